"""The photo viewer of the presets made for today's screens: a thumbnail (or
the picture of a slide page) opens its large photo over the page in a modal
dialog, as large as the screen allows, with its caption. Arrow keys, a swipe
and the buttons move on, Escape and Back close it, a pinch or a click zooms.
Each photo has its own address (#foto-<file> on album pages, #foto on a page
of one picture), which opens it directly.

The script takes over the window-opener functions the page writers call from
the links, so the generated markup stays as it is; without script the links
lead to the photo as before. It lives in the page's one script element, which
the script-free option removes with the rest.
"""

VIEWER_JS = r"""(function () {
var d = document, items = null, at = 0, dlg, stage, pic, cap, count, zoomBtn, prevBtn, nextBtn;
var zoom = 1, px = 0, py = 0, touch = null, pages = {}, seen = {};
var TAG = '#foto';
// Opened by its address, the viewer covers the page from the start: the page
// stays unseen meanwhile, so its pictures do not take the photo's bandwidth.
if (location.hash.indexOf(TAG) === 0) d.documentElement.classList.add('pv-under');
function unveil() { d.documentElement.classList.remove('pv-under'); }
function key(url) { var f = new URL(url, location.href).pathname.split('/').pop(); return decodeURIComponent(f).replace(/\.[^.]*$/, '').replace(/[^\w-]+/g, '_'); }
function collect() {
  items = [];
  if (window.PicoVand_imgarray && window.PicoVand_lnkarray) {
    for (var i = 0; i < PicoVand_imgarray.length; i++) {
      var shown = new URL(PicoVand_imgarray[i].location, location.href).href;
      var src = PicoVand_lnkarray[i] ? new URL(PicoVand_lnkarray[i], location.href).href : shown;
      items.push({src: src, key: key(src), caption: PicoVand_comarray[i].trim(), alt: PicoVand_altarray[i],
        probe: src === shown ? null : shown});
    }
    return;
  }
  var links = d.querySelectorAll('a[onclick^="PicoVand_open"]');
  for (var j = 0; j < links.length; j++) {
    var a = links[j], img = a.querySelector('img');
    if (!img || /folder\.gif$/.test(img.src)) continue;
    var fig = a.closest('figure'), c = fig ? fig.querySelector('figcaption p') : d.querySelector('.pv-caption');
    var page = /\.html?$/i.test(a.pathname);
    items.push({href: a.href, src: page ? null : a.href, page: page, key: key(a.href), el: a,
      caption: c ? c.textContent.trim() : '', alt: img.alt, offers: page ? [] : offers(img, location.href)});
  }
}
// The sizes of a photo a picture of the page offers besides its link: its own
// width and height, and the widths of its srcset.
function offers(img, base) {
  var list = [], w = +img.getAttribute('width'), h = +img.getAttribute('height');
  if (w && h) list.push({src: new URL(img.getAttribute('src'), base).href, w: w, h: h});
  (img.getAttribute('srcset') || '').split(',').forEach(function (c) {
    var m = c.trim().match(/^(\S+)\s+(\d+)w$/);
    if (m) list.push({src: new URL(m[1], base).href, w: +m[2]});
  });
  return list;
}
// The smallest offered picture that is sharp on this screen, else the large photo.
function pick(it) {
  var c = it.offers || [], best = null;
  if (!c.length || zoom > 1) return it.src;
  var need = Math.min(innerWidth, innerHeight * c[0].w / c[0].h) * (window.devicePixelRatio || 1) * 0.98;
  c.forEach(function (o) { if (o.w >= need && (!best || o.w < best.w)) best = o; });
  return best ? best.src : it.src;
}
function single() { return items.length === 1 && !window.PicoVand_imgarray && !items[0].page; }
function address(i) { return single() ? TAG : TAG + '-' + items[i].key; }
// A slide page names its photo: the stage's link to the larger size, else its picture.
function resolve(it, done, quiet) {
  if (it.probe && !it.offers) {
    // The slideshow's picture names no size: it tells it once loaded.
    var im = new Image();
    im.onload = im.onerror = function () {
      it.offers = im.naturalWidth ? [{src: it.probe, w: im.naturalWidth, h: im.naturalHeight}] : [];
      done(it);
    };
    im.src = it.probe;
    return;
  }
  if (it.src) return done(it);
  var p = pages[it.href] || (pages[it.href] = fetch(it.href).then(function (r) { return r.text(); }));
  p.then(function (html) {
    var doc = new DOMParser().parseFromString(html, 'text/html');
    var a = doc.querySelector('.pv-stage a[href]'), img = doc.querySelector('.pv-stage img');
    var c = doc.querySelector('.pv-caption');
    if (!img) throw new Error('no picture');
    it.src = new URL(a ? a.getAttribute('href') : img.getAttribute('src'), it.href).href;
    it.offers = offers(img, it.href);
    if (c) it.caption = c.textContent.trim();
    done(it);
  }).catch(function () { delete pages[it.href]; if (!quiet) location.href = it.href; });
}
function build() {
  dlg = d.createElement('dialog');
  dlg.className = 'pv-view';
  dlg.setAttribute('aria-label', 'Fotoansicht');
  dlg.innerHTML = '<button type="button" class="pv-view-close" aria-label="Schlie\u00dfen">\u00d7</button>' +
    '<figure><div class="pv-view-stage"><img alt="" draggable="false"></div>' +
    '<figcaption><span class="pv-view-text"></span> <span class="pv-view-count"></span></figcaption></figure>' +
    '<button type="button" class="pv-view-zoom" aria-label="Vergr\u00f6\u00dfern" aria-pressed="false">+</button>' +
    '<button type="button" class="pv-view-prev" aria-label="Vorheriges Foto">\u2039</button>' +
    '<button type="button" class="pv-view-next" aria-label="N\u00e4chstes Foto">\u203a</button>';
  d.body.appendChild(dlg);
  stage = dlg.querySelector('.pv-view-stage');
  pic = stage.querySelector('img');
  pic.fetchPriority = 'high';
  cap = dlg.querySelector('.pv-view-text');
  count = dlg.querySelector('.pv-view-count');
  zoomBtn = dlg.querySelector('.pv-view-zoom');
  prevBtn = dlg.querySelector('.pv-view-prev');
  nextBtn = dlg.querySelector('.pv-view-next');
  dlg.querySelector('.pv-view-close').onclick = close;
  prevBtn.onclick = function () { step(-1); };
  nextBtn.onclick = function () { step(1); };
  zoomBtn.onclick = function () { setZoom(zoom > 1 ? 1 : 2.5); };
  dlg.addEventListener('cancel', function (e) { e.preventDefault(); close(); });
  // Escape may close the dialog itself; the history follows. The event comes
  // a task late: by then Forward may have opened the viewer again.
  dlg.addEventListener('close', function () { if (!dlg.open && history.state && history.state.pvView) history.back(); });
  // The page's own keys and swipes rest while the viewer is open.
  ['touchstart', 'touchmove', 'touchend'].forEach(function (t) {
    dlg.addEventListener(t, function (e) { e.stopPropagation(); }, {passive: true});
  });
  dlg.addEventListener('keydown', function (e) {
    e.stopPropagation();
    if (e.altKey || e.ctrlKey || e.metaKey) return;
    var k = {ArrowLeft: -1, ArrowRight: 1}[e.key];
    if (k) { e.preventDefault(); step(k); }
    else if (e.key === '+' || e.key === '=') setZoom(zoom * 1.5);
    else if (e.key === '-') setZoom(zoom / 1.5);
  });
  pic.addEventListener('click', function (e) {
    if (zoom > 1) return setZoom(1);
    var r = stage.getBoundingClientRect();
    setZoom(2.5);
    pan((e.clientX - r.left - r.width / 2) * (1 - zoom), (e.clientY - r.top - r.height / 2) * (1 - zoom));
  });
  stage.addEventListener('mousemove', function (e) {
    if (zoom === 1) return;
    var r = stage.getBoundingClientRect();
    pan((e.clientX - r.left - r.width / 2) * (1 - zoom), (e.clientY - r.top - r.height / 2) * (1 - zoom));
  });
  stage.addEventListener('touchstart', function (e) {
    var t = e.touches;
    touch = t.length === 2 ? {d: dist(t), z: zoom}
      : {x: t[0].clientX, y: t[0].clientY, px: px, py: py, z: zoom};
  }, {passive: true});
  stage.addEventListener('touchmove', function (e) {
    var t = e.touches;
    if (!touch) return;
    if (t.length === 2 && touch.d) setZoom(touch.z * dist(t) / touch.d);
    else if (t.length === 1 && zoom > 1 && !touch.d) pan(touch.px + t[0].clientX - touch.x, touch.py + t[0].clientY - touch.y);
  }, {passive: true});
  stage.addEventListener('touchend', function (e) {
    if (!touch || e.touches.length) return;
    var c = e.changedTouches[0], dx = c.clientX - touch.x, dy = c.clientY - touch.y;
    if (!touch.d && touch.z === 1 && zoom === 1) {
      if (Math.abs(dx) >= 40 && Math.abs(dx) >= 1.5 * Math.abs(dy)) step(dx > 0 ? -1 : 1);
      else if (dy >= 80 && dy >= 1.5 * Math.abs(dx)) close();
    }
    touch = null;
  });
}
function dist(t) { return Math.hypot(t[0].clientX - t[1].clientX, t[0].clientY - t[1].clientY); }
function setZoom(z) {
  zoom = Math.max(1, Math.min(4, z));
  // Zoomed in, the large photo shows its detail.
  var it = items[at];
  if (zoom > 1 && it.src && pic.getAttribute('src') && pic.getAttribute('src') !== it.src) photo(it.src);
  pan(zoom === 1 ? 0 : px, zoom === 1 ? 0 : py);
  dlg.classList.toggle('pv-zoomed', zoom > 1);
  zoomBtn.setAttribute('aria-pressed', String(zoom > 1));
}
function pan(x, y) {
  var mx = stage.clientWidth * (zoom - 1) / 2, my = stage.clientHeight * (zoom - 1) / 2;
  px = Math.max(-mx, Math.min(mx, x));
  py = Math.max(-my, Math.min(my, y));
  pic.style.transform = zoom === 1 ? '' : 'translate(' + px + 'px,' + py + 'px) scale(' + zoom + ')';
}
function neighbour(rel) {
  var a = d.querySelector('a[rel="' + rel + '"]');
  return a && a.getAttribute('href') !== '#' ? a.href : null;
}
// The viewer's picture is one photo file, or the page's own picture of it,
// chosen from the same candidates as the page chose, so it is at hand or
// small and stands in at once until the sharp photo has come.
function photo(src) {
  pic.removeAttribute('srcset');
  pic.removeAttribute('sizes');
  if (src) pic.src = src;
  else pic.removeAttribute('src');
}
function stand(it) {
  var img = it.el && it.el.querySelector('img');
  // The page's picture gives the photo's box its shape from the start; the
  // sharp file then paints within the same box, never a rounding pixel beyond.
  var w = img && +img.getAttribute('width'), h = img && +img.getAttribute('height');
  if (w && h) pic.style.setProperty('--shape', w / h);
  else pic.style.removeProperty('--shape');
  photo(img ? img.getAttribute('src') : it.probe || it.src);
  if (img && img.srcset) {
    pic.sizes = img.sizes;
    pic.srcset = img.srcset;
  }
}
function load(src, high, done) {
  var im = new Image();
  if (high) im.fetchPriority = 'high';
  im.src = src;
  im.decode().then(function () { seen[src] = 1; done(true); }, function () { done(false); });
}
// Shows the sharp photo once it is decoded, unless the visitor has moved on
// or zoomed meanwhile; then fetches the neighbours, so they take none of its
// bandwidth. A photo that fails to come leaves the page's picture in place.
function sharpen(it, then) {
  var want = pick(it), was = pic.getAttribute('src');
  function done(ok) {
    if (items[at] !== it) return;
    if (ok && pic.getAttribute('src') === was) photo(want);
    stage.removeAttribute('aria-busy');
    then();
  }
  if (want === (pic.currentSrc || pic.src) || seen[want]) return done(true);
  // The sharp photo is fetched once the page's picture is on the screen.
  (was ? pic.decode() : Promise.resolve()).catch(function () {}).then(function () {
    requestAnimationFrame(function () {
      requestAnimationFrame(function () { if (items[at] === it) load(want, true, done); });
    });
  });
}
function show(i, push) {
  if (!dlg) build();
  at = (i + items.length) % items.length;
  var it = items[at], many = items.length > 1;
  setZoom(1);
  stage.setAttribute('aria-busy', 'true');
  stand(it);
  pic.alt = it.alt || it.caption || '';
  cap.textContent = it.caption || '';
  count.textContent = many ? (at + 1) + ' / ' + items.length : '';
  cap.parentNode.hidden = !it.caption && !many;
  prevBtn.hidden = !many && !(single() && neighbour('prev'));
  nextBtn.hidden = !many && !(single() && neighbour('next'));
  var near = many ? [items[(at + items.length - 1) % items.length], items[(at + 1) % items.length]]
    : ['prev', 'next'].map(neighbour).filter(Boolean).map(function (h) { return {href: h, page: true}; });
  resolve(it, function () {
    if (items[at] !== it) return;
    pic.alt = it.alt || it.caption || '';
    cap.textContent = it.caption || '';
    cap.parentNode.hidden = !it.caption && !many;
    sharpen(it, function () {
      near.forEach(function (o) { resolve(o, function () { load(pick(o), false, function () {}); }, true); });
    });
  });
  if (!dlg.open) {
    if (window.PicoVand_stop) PicoVand_stop();
    dlg.showModal();
  }
  if (push) history.pushState({pvView: 1}, '', address(at));
  else history.replaceState({pvView: 1}, '', address(at));
}
function step(by) {
  if (!single()) return show(at + by, false);
  var next = neighbour(by < 0 ? 'prev' : 'next');
  if (next) location.replace(next.split('#')[0] + TAG);
}
function close() {
  if (history.state && history.state.pvView) history.back();
  else hide();
}
function hide() {
  unveil();
  if (!dlg || !dlg.open) return;
  dlg.close();
  var it = items[at];
  if (window.PicoVand_update) { PicoVand_pic = at; PicoVand_update(); }
  if (it.el) it.el.focus();
}
function fromAddress(push) {
  // An address cut or typed wrongly may not decode; it names no photo, and
  // the page under the viewer must still come back.
  var h;
  try { h = decodeURIComponent(location.hash); } catch (e) { h = location.hash; }
  if (h.indexOf(TAG) !== 0) return hide();
  if (!items) collect();
  for (var i = 0; i < items.length; i++)
    if (h === address(i)) {
      if (push) history.replaceState(null, '', location.pathname + location.search);
      return show(i, push);
    }
  unveil();
}
window.PicoVand_openimg = window.PicoVand_opensld = function (href) {
  if (!items) collect();
  for (var i = 0; i < items.length; i++)
    if (href === undefined ? i === PicoVand_pic : items[i].href === new URL(href, location.href).href) return show(i, true);
  if (href) location.href = href;
};
window.addEventListener('popstate', function () { fromAddress(false); });
d.addEventListener('DOMContentLoaded', function () { fromAddress(true); });
})();
"""

VIEWER_CSS = """\
/* The photo viewer over the page: the photo fills the screen, the caption
   and the buttons lie on it. */
.pv-view {
  position: fixed; inset: 0; width: 100%; height: 100%; max-width: none; max-height: none;
  margin: 0; padding: 0; border: 0; overflow: hidden; overscroll-behavior: contain;
  background: #000; color: #f4f4f4; font-family: system-ui, sans-serif;
}
.pv-view::backdrop { background: #000; }
.pv-under body > :not(.pv-view) { display: none; }
.pv-view figure { position: absolute; inset: 0; margin: 0; }
.pv-view-stage { position: absolute; inset: 0; overflow: hidden; touch-action: none; }
.pv-view-stage img {
  display: block; width: 100%; height: 100%; max-width: none; object-fit: contain;
  cursor: zoom-in; user-select: none; -webkit-user-select: none;
}
.pv-zoomed .pv-view-stage img { cursor: zoom-out; }
@supports (width: 1cqw) {
  .pv-view-stage { container-type: size; }
  .pv-view-stage img[style*="--shape"] {
    position: absolute; inset: 0; margin: auto; width: min(100cqw, 100cqh * var(--shape)); height: auto;
    aspect-ratio: var(--shape);
  }
}
.pv-view figcaption {
  position: absolute; left: 0; right: 0; bottom: 0; padding: 2.5rem 4rem max(1rem, env(safe-area-inset-bottom));
  background: linear-gradient(rgb(0 0 0 / 0), rgb(0 0 0 / .72)); text-align: center; line-height: 1.4;
  pointer-events: none; overflow-wrap: anywhere;
}
.pv-view-count { color: #d0d0d0; font-size: .85em; font-variant-numeric: tabular-nums; white-space: nowrap; }
.pv-zoomed figcaption { opacity: 0; }
.pv-view button {
  position: absolute; z-index: 1; display: flex; align-items: center; justify-content: center;
  width: 2.75rem; height: 2.75rem; padding: 0 0 .15em; border: 0; border-radius: 999px;
  background: rgb(0 0 0 / .55); color: #fff; font: 400 1.9rem/1 system-ui, sans-serif; cursor: pointer;
}
.pv-view button[hidden] { display: none; }
.pv-view button:hover { background: rgb(0 0 0 / .8); }
.pv-view button:focus-visible { outline: 2px solid #fff; outline-offset: 2px; }
.pv-view-close { top: .75rem; right: .75rem; }
.pv-view-zoom { top: .75rem; right: 4rem; }
.pv-view-prev, .pv-view-next { top: calc(50% - 1.375rem); }
.pv-view-prev { left: .75rem; }
.pv-view-next { right: .75rem; }
@media (hover: none) { .pv-view-zoom { display: none; } }
"""
