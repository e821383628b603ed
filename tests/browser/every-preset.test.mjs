// Every installed gallery preset as a visitor's browser shows it, at a
// phone's and a desktop's size, served by a web server whose pictures arrive
// late: nothing moves while they arrive (layout shift measured by the
// browser), an album page shows its entries in the columns chosen and no
// empty tile, the page numbers mark the current page and only it, the
// description names the project, and a design that keeps its colours to
// itself follows a system set to dark.
import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { buildEnvironment, buildGallery, finish, openBrowser, requireBrowser, writtenPages } from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();
const resources = path.join(path.dirname(cli), 'resources');

function presetValue(n, section, key) {
  const ini = fs.readFileSync(path.join(resources, 'CONFIG', `${n}.config`), 'utf8');
  const body = ini.split(/^\[/m).find((s) => s.toUpperCase().startsWith(`${section}]`)) ?? '';
  const m = body.match(new RegExp(`^\\s*${key}\\s*=\\s*(.*)$`, 'im'));
  return m ? m[1].trim() : '';
}
// The presets with templates of their own: every family but own pages and the batch conversion.
const presets = fs.readdirSync(path.join(resources, 'CONFIG')).map((f) => Number.parseInt(f, 10))
  .filter((n) => n % 1000 !== 0 && [1, 4, 5, 6, 7].includes(Math.floor(n / 1000))).sort((a, b) => a - b);
const albumFamily = (n) => [1, 7].includes(Math.floor(n / 1000));
// Columns the user chooses where the preset lets them.
const chosenColumns = 4;
const columnsOf = (n) => (presetValue(n, 'PROJECT', 'ENABLEXY') === '1' ? chosenColumns : Number(presetValue(n, 'PROJECT', 'IMAGEX')));
// Colours the preset leaves to its design: no colour row the user may set.
const coloursOwn = (n) => presetValue(n, 'COLFONTS', 'ENABLE') !== '1'
  && ['BORDERCOLOR', 'BACKGROUNDCOLOR', 'TEXTCOLOR', 'LINKCOLOR'].every((k) => !presetValue(n, 'COLFONTS', k));

// A name that must be escaped wherever it goes (characters no file name may
// hold never reach it).
const projectName = 'Reise Nord & Süd';
const pictures = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg', 'portrait_nikon_d70s.jpg',
  'comment_iptc_description_all_different.jpg', 'exif_nokia_n70_iptc_keywords.jpg', 'exif_kodak_dc210_comment.jpg',
  'orientation6_canon_sx60.jpg'];

let work;
let server;
let base;
let browser;
const built = new Map();

// Python's web server from Debian, on a free port of 127.0.0.1.
async function startServer(root) {
  const child = spawn('python3', ['-u', '-m', 'http.server', '0', '--bind', '127.0.0.1', '--directory', root],
    { stdio: ['ignore', 'pipe', 'ignore'] });
  const port = await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('the web server did not start')), 10000);
    child.stdout.on('data', (d) => {
      const m = /port (\d+)/.exec(String(d));
      if (m) { clearTimeout(timer); resolve(m[1]); }
    });
  });
  return { child, base: `http://127.0.0.1:${port}` };
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-every-preset-'));
  const source = path.join(work, 'Fotos');
  fs.mkdirSync(path.join(source, 'Berge'), { recursive: true });
  // Fourteen pictures and an album of three: more than one page in every table.
  for (let i = 0; i < 14; ++i) {
    const p = pictures[i % pictures.length];
    fs.symlinkSync(path.join(photos, p), path.join(source, `bild${String(i).padStart(2, '0')}${path.extname(p)}`));
  }
  for (let i = 0; i < 3; ++i) fs.symlinkSync(path.join(photos, pictures[i]), path.join(source, 'Berge', `berg${i}.jpg`));
  for (const n of presets) {
    const folder = path.join(work, 'Projekte', String(n));
    fs.mkdirSync(folder, { recursive: true });
    const args = ['--preset', String(n), '--import', source, '--recursive'];
    if (presetValue(n, 'FOLDER', 'SUB') === '1') args.push('--albums');
    if (presetValue(n, 'PROJECT', 'ENABLEXY') === '1') args.push('--columns', String(chosenColumns), '--rows', '2');
    built.set(n, buildGallery(cli, work, path.join(folder, projectName), args));
  }
  ({ child: server, base } = await startServer(work));
  browser = await openBrowser(playwright);
});

after(async () => {
  server?.kill();
  await finish(browser, work);
});

const urlOf = (file) => `${base}/${path.relative(work, file).split(path.sep).map(encodeURIComponent).join('/')}`;

// The start page, the second and the last, and for an album with slideshow
// the slide of the album and of a picture.
function pagesOf(n) {
  const written = writtenPages(built.get(n)).filter((f) => !f.includes('-sld-'));
  const files = [...new Set([written[0], written[1], written.at(-1)].filter(Boolean))];
  if (Math.floor(n / 1000) === 7) files.push('pcv-sld-00000.htm', 'pcv-sld-00002.htm');
  return files.map((f) => path.join(built.get(n), f));
}

// One page in a fresh context of the given size and colour scheme: the
// pictures arrive a while after the page, and the page's own layout-shift
// entries are summed as the browser reports them.
async function visit(file, { width, height, colorScheme = 'light' }) {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width, height });
  await page.emulateMedia({ colorScheme });
  await page.route(/\.(jpe?g|png|gif|svg|webp|avif)$/i, async (route) => {
    await new Promise((done) => setTimeout(done, 250));
    await route.continue();
  });
  // Shifts count once the parsed page is on the screen: on a machine short
  // of CPU the parser may paint half a row of buttons before the rest, which
  // the pictures held back here have nothing to do with.
  await page.addInitScript(() => {
    window.pvShifts = [];
    window.pvFrom = Infinity;
    new PerformanceObserver((list) => {
      for (const e of list.getEntries()) if (!e.hadRecentInput) window.pvShifts.push(e);
    }).observe({ type: 'layout-shift', buffered: true });
    document.addEventListener('DOMContentLoaded', () => requestAnimationFrame(() => requestAnimationFrame(() => {
      window.pvFrom = performance.now();
    })));
  });
  await page.goto(urlOf(file), { waitUntil: 'load' });
  const seen = await page.evaluate(async () => {
    // Pictures far below the screen wait for the visitor; those on it arrive.
    const arrived = Promise.all([...document.images].map((img) => (img.complete ? null
      : new Promise((done) => { img.addEventListener('load', done); img.addEventListener('error', done); }))));
    await Promise.race([arrived, new Promise((done) => setTimeout(done, 2500))]);
    await new Promise((done) => setTimeout(done, 300));
    const shown = (e) => e.getClientRects().length > 0 && getComputedStyle(e).visibility !== 'hidden';
    const look = (e) => {
      const s = getComputedStyle(e);
      return { background: s.backgroundColor, color: s.color, weight: Number(s.fontWeight) };
    };
    const grid = document.querySelector('main');
    const tiles = grid ? [...grid.children].filter(shown) : [];
    const numbers = [...document.querySelectorAll('nav a')].filter((a) => shown(a) && /^\d+$/.test(a.textContent.trim()));
    const current = [...document.querySelectorAll('[aria-current]')].filter(shown);
    const body = getComputedStyle(document.body);
    return {
      shift: window.pvShifts.filter((e) => e.startTime >= window.pvFrom).reduce((sum, e) => sum + e.value, 0),
      tiles: tiles.length,
      emptyTiles: tiles.filter((t) => !t.querySelector('img')).length,
      firstRow: tiles.filter((t) => Math.abs(t.getBoundingClientRect().top - tiles[0].getBoundingClientRect().top) < 2).length,
      numbers: numbers.map((a) => ({ text: a.textContent.trim(), look: look(a) })),
      current: current.map((e) => ({ text: e.textContent.trim(), value: e.getAttribute('aria-current'), link: !!e.closest('a'), look: look(e) })),
      description: document.querySelector('meta[name="description"]')?.content ?? null,
      colours: { background: body.backgroundColor, text: body.color, heading: getComputedStyle(document.querySelector('h1')).color },
    };
  });
  await page.close();
  return seen;
}

const sizes = [{ width: 390, height: 844 }, { width: 1280, height: 800 }];

// Every page at both sizes, visited once; the tests below read the results.
const visits = new Map();
async function visited(n) {
  if (!visits.has(n)) {
    const out = [];
    for (const file of pagesOf(n))
      for (const size of sizes) out.push({ file: path.basename(file), ...size, seen: await visit(file, size) });
    visits.set(n, out);
  }
  return visits.get(n);
}

test('nothing moves while the pictures arrive, on a phone or a desktop', async () => {
  const moved = [];
  for (const n of presets)
    for (const v of await visited(n))
      if (v.seen.shift > 0) moved.push(`${n} ${v.file} at ${v.width} px: layout shift ${v.seen.shift.toFixed(4)}`);
  assert.deepEqual(moved, []);
});

test('album pages show their entries in the columns chosen and no empty tile', async () => {
  for (const n of presets.filter(albumFamily)) {
    const columns = columnsOf(n);
    for (const v of await visited(n)) {
      if (v.file.includes('-sld-')) continue;
      const where = `${n} ${v.file} at ${v.width} px`;
      assert.ok(v.seen.tiles > 0, `${where}: no entries`);
      assert.equal(v.seen.emptyTiles, 0, `${where}: empty tiles`);
      if (v.width === 1280) assert.equal(v.seen.firstRow, Math.min(columns, v.seen.tiles), `${where}: columns`);
      else assert.ok(v.seen.firstRow >= 1 && v.seen.firstRow <= columns, `${where}: ${v.seen.firstRow} columns`);
    }
  }
});

test('the page numbers mark the current page, and only it', async () => {
  for (const n of presets.filter((p) => Math.floor(p / 1000) !== 5)) {
    for (const v of await visited(n)) {
      const where = `${n} ${v.file} at ${v.width} px`;
      if (v.seen.numbers.length === 0) continue;  // one page: nothing to number
      assert.equal(v.seen.current.length, 1, `${where}: marked ${JSON.stringify(v.seen.current)}`);
      const [current] = v.seen.current;
      assert.equal(current.value, 'page', where);
      assert.equal(current.link, false, `${where}: the current page is no link`);
      assert.ok(!v.seen.numbers.some((a) => a.text === current.text), `${where}: ${current.text} also a link`);
      assert.equal(new Set(v.seen.numbers.map((a) => JSON.stringify(a.look))).size, 1, `${where}: the other pages look alike`);
      // The current number stands out: on a colour of its own where the others have none, or heavier.
      const other = v.seen.numbers[0].look;
      const coloured = (c) => !/^rgba\(.*, 0\)$|^transparent$/.test(c);
      assert.ok((coloured(current.look.background) && !coloured(other.background)) || current.look.weight > other.weight,
        `${where}: the current page ${JSON.stringify(current.look)} does not stand out from ${JSON.stringify(other)}`);
    }
  }
  // The galleries have more than one page, so the check above ran.
  const numbered = [...visits.values()].flat().filter((v) => v.seen.numbers.length > 0);
  assert.ok(numbered.length >= presets.length, `${numbered.length} numbered pages`);
});

test('every page describes itself with the project name, escaped', async () => {
  for (const n of presets) {
    for (const v of await visited(n)) {
      assert.ok(v.seen.description?.includes(projectName), `${n} ${v.file}: ${v.seen.description}`);
      const html = fs.readFileSync(path.join(built.get(n), v.file), 'utf8');
      assert.match(html, /<meta name="description" content="[^"]*Reise Nord &amp; Süd[^"]*">/, `${n} ${v.file}`);
    }
  }
});

// WCAG's relative luminance and contrast ratio of CSS rgb() colours.
function luminance(css) {
  const [r, g, b] = css.match(/[\d.]+/g).slice(0, 3).map((c) => {
    const v = Number(c) / 255;
    return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
  });
  return 0.2126 * r + 0.7152 * g + 0.0722 * b;
}
const contrast = (a, b) => {
  const [hi, lo] = [luminance(a), luminance(b)].sort((x, y) => y - x);
  return (hi + 0.05) / (lo + 0.05);
};

test('designs that keep their colours to themselves follow a system set to dark; chosen colours stay', async () => {
  const followed = [];
  for (const n of presets) {
    const start = path.join(built.get(n), 'pcv00000.htm');
    const light = (await visit(start, { width: 1280, height: 800 })).colours;
    const dark = (await visit(start, { width: 1280, height: 800, colorScheme: 'dark' })).colours;
    if (coloursOwn(n)) {
      assert.ok(luminance(dark.background) < 0.05, `${n}: ${dark.background} is no dark background`);
      for (const ink of [dark.text, dark.heading])
        assert.ok(contrast(ink, dark.background) >= 4.5, `${n}: ${ink} on ${dark.background}`);
      if (luminance(light.background) > 0.5) followed.push(n);
    } else {
      assert.deepEqual(dark, light, `${n}: the user's colours stay as chosen`);
    }
  }
  assert.ok(followed.length >= 1, 'a light design turns dark');
});
