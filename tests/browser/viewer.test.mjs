// The photo viewer of the presets for today's screens, as a visitor uses it:
// galleries built by picovand-cli, served by Python's web server on
// 127.0.0.1 (and by a small server of our own where a page must arrive in two
// pieces) and opened in headless Chromium at a phone's and a desktop's size.
// A thumbnail opens its photo over the same page, with its own address;
// keys, a swipe, Escape and Back work; nothing shifts; axe-core finds
// nothing; the first view of an album page stays small.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { after, before, test } from 'node:test';

import { cameraPhotos, pageName, picture, slideName, sourceFolder } from './families.mjs';

import { buildEnvironment, buildGallery, finish, openBrowser, requireBrowser } from './harness.mjs';

// The presets for today's screens write WebP.
const photo = (r, prefix) => picture(r, prefix, 'webp');

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();
let axeSource;
try {
  axeSource = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
} catch {
  console.error('axe-core is not installed (scripts/setup runs npm ci): skipped');
  process.exit(process.env.CI ? 1 : 77);
}

const phone = { viewport: { width: 390, height: 844 }, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
const desktop = { viewport: { width: 1280, height: 800 } };


let work;
let server;
let base;
let projects;
let records;   // twelve pictures and an album of two, in list order
const browsers = {};

// Serves folder on a free port of 127.0.0.1 until the tests end.
function serve(folder) {
  return new Promise((resolve, reject) => {
    const child = spawn('/usr/bin/python3', ['-m', 'http.server', '0', '--bind', '127.0.0.1'],
      { cwd: folder, stdio: ['ignore', 'pipe', 'ignore'] });
    const timer = setTimeout(() => reject(new Error('the web server did not start')), 10000);
    child.stdout.on('data', (data) => {
      const m = String(data).match(/port (\d+)/);
      if (m) {
        clearTimeout(timer);
        resolve({ child, url: `http://127.0.0.1:${m[1]}/` });
      }
    });
    child.on('exit', () => reject(new Error('the web server ended')));
  });
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-viewer-'));
  records = sourceFolder(photos, path.join(work, 'Fotos'), true);
  projects = path.join(work, 'Projekte');
  fs.mkdirSync(projects);
  for (const [n, more] of [[1004, ['--albums']], [7004, ['--albums']], [4004, []], [5004, []], [6004, []]])
    buildGallery(cli, work, path.join(projects, String(n)), ['--preset', String(n), '--import',
      path.join(work, 'Fotos'), '--recursive', '--captions', 'filename', ...more]);
  // A wide photo whose page picture (1280 pixels) is sharp enough for a phone.
  fs.mkdirSync(path.join(work, 'Breit'));
  fs.symlinkSync(path.join(photos, 'large_9mp_nokia_8_3.jpg'), path.join(work, 'Breit', 'weit.jpg'));
  for (const n of [4004, 5004])
    buildGallery(cli, work, path.join(projects, `breit${n}`), ['--preset', String(n), '--import', path.join(work, 'Breit')]);
  // Twelve photos from cameras and phones, for the bytes of a first view.
  fs.mkdirSync(path.join(work, 'Echt'));
  for (const f of cameraPhotos) fs.symlinkSync(path.join(photos, f), path.join(work, 'Echt', f));
  buildGallery(cli, work, path.join(projects, 'echt'), ['--preset', '1004', '--import', path.join(work, 'Echt')]);
  buildGallery(cli, work, path.join(projects, 'ohne'), ['--preset', '1004', '--import', path.join(work, 'Fotos'),
    '--captions', 'filename', '--no-javascript']);
  ({ child: server, url: base } = await serve(projects));
  browsers.phone = await openBrowser(playwright, phone);
  browsers.desktop = await openBrowser(playwright, desktop);
});

after(async () => {
  server?.kill();
  await browsers.phone?.close();
  await finish(browsers.desktop, work);
});

const images = () => records.filter((r) => !r.isAlbum);
const url = (gallery, file, hash = '') => `${base}${gallery}/${file}${hash}`;

async function open(device, address) {
  const page = await browsers[device].context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  page.on('popup', (p) => errors.push(`a new page opened: ${p.url()}`));
  await page.goto(address, { waitUntil: 'load' });
  return { page, errors };
}

// What the viewer shows: whether it is open, its photo and how much of the
// screen the photo covers, its caption, the page's address and focus.
const viewer = (page) => page.evaluate(async () => {
  const dlg = document.querySelector('dialog.pv-view');
  const img = dlg?.querySelector('img');
  // The page's picture stands in until the sharp photo has come.
  for (let t = 0; dlg?.open && dlg.querySelector('[aria-busy]') && t < 100; t++) await new Promise((r) => setTimeout(r, 50));
  if (dlg?.open && img.getAttribute('src')) await img.decode().catch(() => {});
  const box = img?.getBoundingClientRect();
  const scale = img && img.naturalWidth ? Math.min(box.width / img.naturalWidth, box.height / img.naturalHeight) : 0;
  return {
    open: Boolean(dlg?.open),
    src: img ? decodeURI(new URL(img.currentSrc || img.src || '.', location.href).pathname) : '',
    caption: dlg?.querySelector('.pv-view-text').textContent ?? '',
    counter: dlg?.querySelector('.pv-view-count').textContent ?? '',
    fills: [img ? img.naturalWidth * scale / innerWidth : 0, img ? img.naturalHeight * scale / innerHeight : 0],
    path: decodeURI(location.pathname),
    hash: decodeURIComponent(location.hash),
    focusInside: Boolean(dlg?.contains(document.activeElement)),
    focused: document.activeElement?.getAttribute('href') ?? '',
  };
});

const waitOpen = (page, open = true) => page.waitForFunction(
  (o) => Boolean(document.querySelector('dialog.pv-view')?.open) === o, open, { timeout: 20000 });

// A swipe or a pinch with real touch input; points are [from, to] pairs.
async function touch(page, fingers) {
  const cdp = await page.context().newCDPSession(page);
  const at = (t) => fingers.map(([from, to], id) => ({ x: from[0] + (to[0] - from[0]) * t,
    y: from[1] + (to[1] - from[1]) * t, id }));
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: at(0) });
  for (const t of [0.25, 0.5, 0.75, 1]) await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: at(t) });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}

test('an album thumbnail opens its photo over the page; keys, Escape and Back', async () => {
  const { page, errors } = await open('desktop', url(1004, pageName(0)));
  const pictures = images().filter((r) => r.albumPath === '/');
  const start = await viewer(page);
  await page.click(`a[href="${photo(pictures[1], 'pcvb')}"] img`);
  await waitOpen(page);
  let v = await viewer(page);
  assert.equal(v.path, start.path, 'the page stays');
  assert.equal(v.src, `/1004/${photo(pictures[1], 'pcvb')}`);
  assert.equal(v.caption, '02 Strand');
  assert.equal(v.counter, `2 / ${pictures.length}`);
  assert.equal(v.hash, '#foto-pcvb00001');
  assert.ok(v.focusInside, 'focus moves into the viewer');
  assert.ok(Math.max(...v.fills) >= 0.9, `the photo covers ${v.fills} of the screen`);

  await page.keyboard.press('ArrowRight');
  v = await viewer(page);
  assert.equal(v.src, `/1004/${photo(pictures[2], 'pcvb')}`);
  assert.equal(v.hash, '#foto-pcvb00002');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  await page.keyboard.press('ArrowLeft');
  v = await viewer(page);
  assert.equal(v.src, `/1004/${photo(pictures.at(-1), 'pcvb')}`, 'it wraps around');

  await page.keyboard.press('Escape');
  await waitOpen(page, false);
  v = await viewer(page);
  assert.equal(v.hash, '', 'Escape takes the address back');
  assert.equal(v.focused, photo(pictures.at(-1), 'pcvb'), 'focus returns to the thumbnail');
  assert.equal(page.url(), url(1004, pageName(0)));

  // Back closes it and leaves the visitor on the album page.
  await page.click(`a[href="${photo(pictures[3], 'pcvb')}"] img`);
  await waitOpen(page);
  await page.goBack();
  await waitOpen(page, false);
  assert.equal(page.url(), url(1004, pageName(0)));
  // Forward opens it again. The dialog reports its closing a task late; when
  // that report comes after the viewer opened again, the viewer stays.
  await page.goForward();
  await waitOpen(page);
  assert.equal((await viewer(page)).hash, '#foto-pcvb00003');
  const wentBack = await page.evaluate(() => new Promise((done) => {
    const dlg = document.querySelector('dialog.pv-view');
    let backs = 0;
    const back = history.back;
    history.back = () => { backs++; back.call(history); };
    dlg.addEventListener('close', () => done(backs), { once: true });
    dlg.close();
    dlg.showModal();
  }));
  assert.equal(wentBack, 0, 'a late close report does not take the address back');
  v = await viewer(page);
  assert.ok(v.open);
  assert.equal(v.hash, '#foto-pcvb00003');
  await page.goBack();
  await waitOpen(page, false);
  // The close button closes it. The click goes to the button's place without
  // waiting for the photo to settle: on a busy machine the picture arriving
  // late kept the button "unstable" for long.
  await page.click(`a[href="${photo(pictures[3], 'pcvb')}"] img`);
  await waitOpen(page);
  await page.getByRole('button', { name: 'Schließen' }).click({ force: true });
  await waitOpen(page, false);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the address of a photo opens it directly, and Back returns to its page', async () => {
  const { page, errors } = await open('desktop', url(1004, pageName(0), '#foto-pcvb00004'));
  await waitOpen(page);
  const v = await viewer(page);
  assert.equal(v.src, `/1004/${photo(images()[4], 'pcvb')}`);
  assert.equal(v.caption, '05 Leuchtturm');
  await page.goBack();
  await waitOpen(page, false);
  assert.equal(page.url(), url(1004, pageName(0)));
  // An address that names no photo of the page opens nothing.
  await page.goto(url(1004, pageName(0), '#foto-pcvb99999'));
  assert.equal((await viewer(page)).open, false);
  assert.deepEqual(errors, []);
  await page.close();
  // Nor does one that does not decode, loaded afresh: the page shows.
  const broken = await open('desktop', url(1004, pageName(0), '#foto-%E0%A4'));
  assert.equal(await broken.page.evaluate(() => Boolean(document.querySelector('dialog.pv-view')?.open)), false);
  assert.ok(await broken.page.locator('a[href$=".webp"] img').first().isVisible(), 'the page is not left hidden');
  assert.deepEqual(broken.errors, []);
  await broken.page.close();
});

test('on a phone a swipe moves, a pinch zooms and a swipe down closes', async () => {
  const { page, errors } = await open('phone', url(1004, pageName(0), '#foto-pcvb00000'));
  await waitOpen(page);
  let v = await viewer(page);
  assert.ok(Math.max(...v.fills) >= 0.9, `the photo covers ${v.fills} of the screen`);
  await touch(page, [[[320, 400], [80, 410]]]);
  v = await viewer(page);
  assert.equal(v.hash, '#foto-pcvb00001', 'a swipe to the left shows the next photo');
  await touch(page, [[[80, 400], [320, 390]]]);
  assert.equal((await viewer(page)).hash, '#foto-pcvb00000');
  await touch(page, [[[180, 400], [120, 340]], [[210, 440], [270, 500]]]);
  const zoomed = await page.evaluate(() => getComputedStyle(document.querySelector('.pv-view-stage img')).transform);
  assert.match(zoomed, /^matrix\((\d|\.)+, 0, 0, (\d|\.)+/, 'a pinch scales the photo');
  assert.ok(Number(zoomed.slice(7).split(',')[0]) > 1.5, zoomed);
  // Zoomed in, a swipe pans instead of moving on.
  await touch(page, [[[300, 400], [100, 400]]]);
  assert.equal((await viewer(page)).hash, '#foto-pcvb00000');
  await page.evaluate(() => document.querySelector('.pv-view-zoom').click());
  await touch(page, [[[200, 300], [205, 600]]]);
  await waitOpen(page, false);
  assert.deepEqual(errors, []);
  await page.close();
});

test("opened by its address, the page's picture stands in at once and the sharp photo follows before its neighbours", async () => {
  // A photo of the first album page whose thumbnail has a sharp twin: a 3x phone shows the twin.
  const html = fs.readFileSync(path.join(work, 'Projekte', '1004', pageName(0)), 'utf8');
  const [, big, twin] = html.match(/<a href="(images\/pcvb\d+\.webp)"[^>]*><img src="images\/pcva\d+\.webp" srcset="[^"]*(images\/pcva\d+-2x\.webp) /);
  const file = (u) => decodeURI(new URL(u).pathname).split('/').pop();
  const page = await browsers.phone.context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  const cdp = await page.context().newCDPSession(page);
  await cdp.send('Network.enable');
  const names = {};
  const seen = [];
  cdp.on('Network.requestWillBeSent', (e) => {
    names[e.requestId] = file(e.request.url);
    seen.push(`start ${names[e.requestId]} ${e.request.initialPriority}`);
  });
  cdp.on('Network.loadingFinished', (e) => seen.push(`end ${names[e.requestId]}`));
  // The sharp photo comes only when let through.
  let letThrough;
  const gate = new Promise((resolve) => { letThrough = resolve; setTimeout(resolve, 10000); });
  await page.route(`**/${big}`, async (route) => { await gate; await route.continue(); });
  // The page's load waits for the photo, which waits here: its first view is checked before.
  await page.goto(url(1004, pageName(0), `#foto-${path.basename(big, '.webp')}`), { waitUntil: 'domcontentloaded' });
  await waitOpen(page);
  const early = await page.evaluate(async () => {
    const img = document.querySelector('.pv-view img');
    await img.decode();
    const box = img.getBoundingClientRect();
    const scale = Math.min(box.width / img.naturalWidth, box.height / img.naturalHeight);
    return { src: decodeURI(new URL(img.currentSrc).pathname), busy: img.parentNode.getAttribute('aria-busy'),
      fills: Math.max(img.naturalWidth * scale / innerWidth, img.naturalHeight * scale / innerHeight),
      under: getComputedStyle(document.querySelector('.pv')).display };
  });
  assert.equal(early.src, `/1004/${twin}`, 'the thumbnail the page chose for this screen stands in');
  assert.equal(early.busy, 'true');
  assert.ok(early.fills >= 0.9, `the stand-in covers ${early.fills} of the screen`);
  assert.equal(early.under, 'none', 'the page under the viewer waits unseen');
  for (let t = 0; t < 100 && !seen.some((s) => s.startsWith(`start ${path.basename(big)}`)); t++) await page.waitForTimeout(50);
  assert.ok(seen.includes(`start ${path.basename(big)} High`), `the photo is fetched first: ${seen.join(', ')}`);
  assert.ok(!seen.some((s) => /^start pcvb/.test(s) && !s.includes(path.basename(big))), `the neighbours wait: ${seen.join(', ')}`);
  letThrough();
  const v = await viewer(page);
  assert.equal(v.src, `/1004/${big}`, 'the sharp photo replaces the stand-in');
  assert.ok(Math.max(...v.fills) >= 0.9, `the photo covers ${v.fills} of the screen`);
  await page.waitForFunction(() => performance.getEntriesByType('resource').filter((r) => /pcvb/.test(r.name)).length >= 3);
  const ended = seen.indexOf(`end ${path.basename(big)}`);
  const neighbours = seen.filter((s, i) => /^start pcvb/.test(s) && !s.includes(path.basename(big)) && i > ended);
  assert.ok(ended >= 0 && neighbours.length === 2, `the neighbours follow the photo: ${seen.join(', ')}`);
  await page.keyboard.press('Escape');
  await waitOpen(page, false);
  assert.notEqual(await page.evaluate(() => getComputedStyle(document.querySelector('.pv')).display), 'none');
  assert.deepEqual(errors, []);
  await page.close();
});

// A thumbnail's rounded size gives it a shape a hair off its photo's (the
// wide camera photo: 360 x 154 for 1920 x 823); the sharp photo must paint
// within the box the stand-in painted, not a pixel beyond (a visible jump,
// and a later largest paint for the browser).
test('the sharp photo paints within the box its stand-in had', async () => {
  const { page, errors } = await open('desktop', url('echt', pageName(0)));
  let letThrough;
  const gate = new Promise((resolve) => { letThrough = resolve; setTimeout(resolve, 10000); });
  await page.route('**/pcvb00008.webp', async (route) => { await gate; await route.continue(); });
  // Where the picture paints: its box, or the part a contained picture covers.
  const painted = () => page.evaluate(async () => {
    const img = document.querySelector('dialog.pv-view img');
    await img.decode().catch(() => {});
    const r = img.getBoundingClientRect();
    let [x, y, w, h] = [r.x, r.y, r.width, r.height];
    if (getComputedStyle(img).objectFit === 'contain') {
      const k = Math.min(w / img.naturalWidth, h / img.naturalHeight);
      [x, y, w, h] = [x + (w - img.naturalWidth * k) / 2, y + (h - img.naturalHeight * k) / 2,
        img.naturalWidth * k, img.naturalHeight * k];
    }
    return { box: [x, y, w, h].map((n) => Math.round(n * 4) / 4), file: img.currentSrc.split('/').pop() };
  });
  await page.click('a[href="images/pcvb00008.webp"] img');
  await waitOpen(page);
  const standIn = await painted();
  assert.equal(standIn.file, 'pcva00008.webp');
  letThrough();
  assert.equal((await viewer(page)).src, '/echt/images/pcvb00008.webp');
  const sharp = await painted();
  const [x, y, w, h] = standIn.box;
  const [sx, sy, sw, sh] = sharp.box;
  assert.ok(sx >= x && sy >= y && sx + sw <= x + w && sy + sh <= y + h, `${sharp.box} within ${standIn.box}`);
  assert.ok(sw >= 0.99 * w && sh >= 0.99 * h, `${sharp.box} fills ${standIn.box}`);
  assert.deepEqual(errors, []);
  await page.close();
});

test('a desktop click zooms in on the spot and out again', async () => {
  const { page } = await open('desktop', url(1004, pageName(0), '#foto-pcvb00000'));
  await waitOpen(page);
  await page.mouse.click(900, 300);
  const t = await page.evaluate(() => new DOMMatrix(getComputedStyle(document.querySelector('.pv-view-stage img')).transform));
  assert.equal(t.a, 2.5);
  assert.ok(t.e < 0 && t.f > 0, 'the spot right of and above the middle comes into view');
  assert.equal(await page.getAttribute('.pv-view-zoom', 'aria-pressed'), 'true');
  await page.mouse.click(900, 300);
  assert.equal(await page.evaluate(() => getComputedStyle(document.querySelector('.pv-view-stage img')).transform), 'none');
  await page.close();
});

test('the viewer shows the picture of the page where it is sharp enough and the large photo when zoomed', async () => {
  for (const [gallery, hash] of [['breit4004', '#foto'], ['breit5004', '#foto-pcvb00000']]) {
    const shows = (page) => page.waitForFunction(() => {
      const img = document.querySelector('.pv-view img');
      return img.getAttribute('src') && img.complete;
    })
      .then(() => viewer(page)).then((v) => v.src);
    for (const device of ['phone', 'desktop']) {
      const { page, errors } = await open(device, url(gallery, pageName(0), hash));
      await waitOpen(page);
      assert.equal(await shows(page), `/${gallery}/images/pcva00000.webp`, `${gallery} on ${device}: 1280 pixels fill it`);
      await page.evaluate(() => document.querySelector('.pv-view-zoom').click());
      assert.equal(await shows(page), `/${gallery}/images/pcvb00000.webp`, `${gallery} on ${device}: zoomed in`);
      assert.deepEqual(errors, []);
      await page.close();
    }
    // A screen wider than the page's picture gets a picture at least as wide as
    // the screen at once: the large photo, or the page picture's sharp twin.
    const page = await browsers.desktop.context.newPage();
    await page.setViewportSize({ width: 1920, height: 1080 });
    await page.goto(url(gallery, pageName(0), hash));
    await waitOpen(page);
    assert.match(await shows(page), new RegExp(`^/${gallery}/images/(pcvb00000|pcva00000-2x)\\.webp$`), gallery);
    assert.ok(await page.evaluate(() => document.querySelector('.pv-view img').naturalWidth >= 1920), gallery);
    await page.close();
  }
});

test('the album with slideshow opens the large photo of the slide page in place', async () => {
  const { page, errors } = await open('desktop', url(7004, pageName(0)));
  await page.click(`a[href="${slideName(2)}"] img`);
  await waitOpen(page);
  let v = await viewer(page);
  await page.waitForFunction(() => document.querySelector('.pv-view img').getAttribute('src'));
  v = await viewer(page);
  assert.equal(v.path, `/7004/${pageName(0)}`);
  assert.equal(v.src, `/7004/${photo(images()[2], 'pcvc')}`);
  assert.equal(v.caption, '03 Düne');
  assert.equal(v.hash, '#foto-pcv-sld-00002');
  await page.keyboard.press('Escape');
  await waitOpen(page, false);
  assert.deepEqual(errors, []);
  await page.close();
});

test('on the pages of one photo the viewer moves from page to page and Back closes it', async () => {
  for (const [gallery, prefix] of [[4004, 'pcvb'], [6004, 'pcvc'], [7004, 'pcvc']]) {
    const file = gallery === 7004 ? slideName : pageName;
    const { page, errors } = await open('desktop', url(gallery, file(0)));
    await page.click('.pv-stage a img');
    await waitOpen(page);
    let v = await viewer(page);
    assert.equal(v.src, `/${gallery}/${photo(images()[0], prefix)}`, `${gallery}`);
    assert.equal(v.hash, '#foto');
    await page.keyboard.press('ArrowRight');
    await page.waitForURL(url(gallery, file(1), '#foto'));
    await waitOpen(page);
    v = await viewer(page);
    assert.equal(v.src, `/${gallery}/${photo(images()[1], prefix)}`, `${gallery}: the next page's photo`);
    await page.goBack();
    await waitOpen(page, false);
    assert.equal(page.url(), url(gallery, file(1)), `${gallery}: Back stays on the photo's page`);
    assert.deepEqual(errors, [], `${gallery}`);
    await page.close();
  }
});

test('the script slideshow opens its current picture and follows the viewer', async () => {
  const { page, errors } = await open('desktop', url(5004, pageName(0)));
  await page.click('[onclick="PicoVand_gonext()"]');
  await page.waitForFunction(() => document.getElementById('PicoVand_Counter').textContent.startsWith('2/'));
  await page.click('#PicoVand_Image');
  await waitOpen(page);
  let v = await viewer(page);
  assert.equal(v.src, `/5004/${photo(images()[1], 'pcvb')}`);
  assert.equal(v.caption, '02 Strand');
  await page.keyboard.press('ArrowRight');
  v = await viewer(page);
  assert.equal(v.caption, '03 Düne');
  assert.equal(await page.textContent('#PicoVand_Counter'), `2/${images().length}`, 'the show waits behind the viewer');
  await page.keyboard.press('Escape');
  await waitOpen(page, false);
  await page.waitForFunction(() => document.getElementById('PicoVand_Counter').textContent.startsWith('3/'));
  assert.deepEqual(errors, []);
  await page.close();
});

test('without script the thumbnails link to their photos', async () => {
  const html = fs.readFileSync(path.join(work, 'Projekte', 'ohne', pageName(0)), 'utf8');
  assert.doesNotMatch(html, /<script|onclick/);
  for (const r of images().slice(0, 3)) {
    assert.match(html, new RegExp(`<a href="${photo(r, 'pcvb')}"`));
    assert.ok(fs.existsSync(path.join(work, 'Projekte', 'ohne', photo(r, 'pcvb'))));
  }
});

// Pages of every new preset (start, album and photo pages) and the address
// that opens the viewer on each.
const checked = [[1004, pageName(0), '#foto-pcvb00000'], [1004, pageName(2), '#foto-pcvb00012'],
  [7004, pageName(0), '#foto-pcv-sld-00000'], [7004, slideName(3), '#foto'], [4004, pageName(2), '#foto'],
  [5004, pageName(0), '#foto-pcvb00000'], [6004, pageName(2), '#foto']];

test('nothing shifts while a page loads or the viewer opens from its address', async () => {
  const shifts = [];
  for (const device of ['phone', 'desktop']) {
    for (const [gallery, file, address] of checked) {
      for (const hash of ['', address]) {
        const page = await browsers[device].context.newPage();
        await page.addInitScript(() => {
          window.shift = 0;
          new PerformanceObserver((list) => {
            for (const e of list.getEntries()) if (!e.hadRecentInput) window.shift += e.value;
          }).observe({ type: 'layout-shift', buffered: true });
        });
        await page.goto(url(gallery, file, hash), { waitUntil: 'load' });
        // Under a viewer opened by its address the page waits unseen, its lazy pictures unfetched.
        await page.evaluate(() => Promise.all([...document.images].filter((i) => i.checkVisibility())
          .map((i) => i.decode().catch(() => {}))));
        if (hash) await waitOpen(page);
        await page.waitForTimeout(300);
        const shift = await page.evaluate(() => window.shift);
        if (shift > 0) shifts.push(`${gallery}/${file}${hash} on ${device}: ${shift.toFixed(4)}`);
        await page.close();
      }
    }
  }
  assert.deepEqual(shifts, []);
});

// Serves folder as a slow connection delivers a page larger than its first
// flight of packets: the page's first split bytes (?split=N), a pause, then
// the rest. Everything else comes at once.
function serveInPieces(folder) {
  const types = { '.htm': 'text/html; charset=utf-8', '.html': 'text/html; charset=utf-8', '.css': 'text/css',
    '.svg': 'image/svg+xml', '.jpg': 'image/jpeg', '.webp': 'image/webp' };
  const server = http.createServer((req, res) => {
    const address = new URL(req.url, 'http://127.0.0.1');
    const file = path.join(folder, decodeURIComponent(address.pathname));
    if (!file.startsWith(folder + path.sep) || !fs.existsSync(file)) {
      res.writeHead(404);
      res.end();
      return;
    }
    const body = fs.readFileSync(file);
    res.writeHead(200, { 'content-type': types[path.extname(file)] ?? 'application/octet-stream' });
    const split = Number(address.searchParams.get('split'));
    if (!split) {
      res.end(body);
      return;
    }
    res.write(body.subarray(0, split));
    setTimeout(() => res.end(body.subarray(split)), 150);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Rows centred on the page (the pager, the slideshow's buttons, the preview
// strip) would move sideways as their later members arrive, were the page
// painted before it is whole.
test('a page that arrives in two pieces paints nothing that moves later', async () => {
  const pieces = await serveInPieces(projects);
  const at = `http://127.0.0.1:${pieces.address().port}/`;
  const moved = [];
  try {
    for (const device of ['phone', 'desktop']) {
      for (const [gallery, file] of [[1004, pageName(0)], [7004, slideName(3)], [4004, pageName(2)],
        [5004, pageName(0)], [6004, pageName(2)]]) {
        const text = fs.readFileSync(path.join(projects, String(gallery), file), 'utf8');
        for (let split = text.indexOf('<body'); split < text.length; split += 600) {
          const page = await browsers[device].context.newPage();
          await page.addInitScript(() => {
            window.shift = 0;
            new PerformanceObserver((list) => {
              for (const e of list.getEntries()) window.shift += e.value;
            }).observe({ type: 'layout-shift', buffered: true });
          });
          await page.goto(`${at}${gallery}/${file}?split=${split}`, { waitUntil: 'load' });
          await page.waitForTimeout(100);
          const shift = await page.evaluate(() => window.shift);
          if (shift > 0) moved.push(`${gallery}/${file} cut at ${split} on ${device}: ${shift.toFixed(4)}`);
          await page.close();
        }
      }
    }
  } finally {
    pieces.close();
  }
  assert.deepEqual(moved, []);
});

test('axe-core finds no violation of any kind, with the viewer closed and open', async () => {
  const found = [];
  for (const device of ['phone', 'desktop']) {
    for (const [gallery, file] of checked) {
      const page = await browsers[device].context.newPage();
      await page.goto(url(gallery, file), { waitUntil: 'load' });
      await page.addScriptTag({ path: axeSource });
      // The credit line the program adds to the first page of a build stands
      // outside the page's landmarks; its markup is not the template's.
      const run = () => page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] }))
        .violations.filter((v) => v.id !== 'region' || v.nodes.some((n) => !/PicoVandCredit/.test(n.target.join(' '))))
        .map((v) => `${v.id} (${v.impact}): ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`));
      for (const v of await run()) found.push(`${gallery}/${file} on ${device}: ${v}`);
      const opener = await page.$('a[onclick^="PicoVand_open"] img, #PicoVand_Image');
      if (opener) {
        await opener.click();
        await waitOpen(page);
        for (const v of await run()) found.push(`${gallery}/${file} on ${device}, viewer open: ${v}`);
      }
      await page.close();
    }
  }
  assert.deepEqual(found, []);
});

test('the first view of an album page of twelve camera photos on a phone stays within 250 KiB', async () => {
  const page = await browsers.phone.context.newPage();
  const sizes = [];
  let twins = 0;
  page.on('requestfinished', (r) => {
    if (/-2x\.webp$/.test(r.url())) twins++;
    sizes.push(r.sizes());
  });
  await page.goto(url('echt', pageName(0)), { waitUntil: 'networkidle' });
  const bytes = (await Promise.all(sizes)).reduce((sum, s) => sum + s.responseBodySize, 0);
  await page.close();
  assert.equal(twins, 8, 'the phone fetches the sharp pictures of the photos that have them');
  assert.ok(bytes <= 250 * 1024, `${Math.round(bytes / 1024)} KiB`);
});
