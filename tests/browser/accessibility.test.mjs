// Galleries everyone can use: every family built by picovand-cli is checked
// with axe-core at a phone's and a desktop's width and with the HTML checker;
// pictures name themselves; the slideshows follow the arrow keys and a swipe;
// the script slideshow fetches only what it is about to show.
import assert from 'node:assert/strict';
import { execFileSync, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath } from 'node:url';
import { after, before, test } from 'node:test';

import { pageName, slideName } from './families.mjs';
import {
  buildEnvironment, buildGallery, fileUrl, finish, openBrowser, requireBrowser, writtenPages,
} from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();
const root = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '..', '..');
let axeSource;
try {
  axeSource = createRequire(import.meta.url).resolve('axe-core/axe.min.js');
} catch {
  console.error('axe-core is not installed (scripts/setup runs npm ci): skipped');
  process.exit(process.env.CI ? 1 : 77);
}

// Captions as a photographer might type them: quotes, an ampersand and "<"
// in the JPEG comment. One picture has none and is named by its file.
const captions = ['Er sagte "Hallo" & ging <heim>', "Tom's Boot < 5 m", 'Möwe über dem Watt', ''];
// Small photos keep the builds quick.
const sources = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg',
  'comment_iptc_description_all_different.jpg', 'portrait_nikon_d70s.jpg', 'bmpsuite_rgb24.bmp',
  'exif_kodak_dc210_comment.jpg'];
const fileNames = ['01 Hafen', '02 Boot', '03 Watt', '04 Düne', '05 Deich', '06 Abend'];

let work;
let browser;
const built = {};

// Six pictures with captions in their JPEG comments (written by exiftool as
// a photographer's program would) and an album of two more.
function writeSources(folder) {
  fs.mkdirSync(path.join(folder, 'Rom & Paris'), { recursive: true });
  sources.forEach((source, i) => {
    const to = path.join(i < 4 ? folder : path.join(folder, 'Rom & Paris'), fileNames[i] + path.extname(source));
    fs.copyFileSync(path.join(photos, source), to);
    if (!to.endsWith('.bmp')) execFileSync('exiftool', ['-q', '-m', '-overwrite_original', '-IPTC:all=',
      '-ImageDescription=', `-Comment=${captions[i] ?? ''}`, to]);
  });
}

// The caption of each picture in list order, or its file name without one.
const altTexts = [...captions.slice(0, 3), fileNames[3]];

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-access-'));
  writeSources(path.join(work, 'Fotos'));
  fs.writeFileSync(path.join(work, 'seite.html'), '<!DOCTYPE html>\n<html lang="de"><head><meta charset="utf-8">'
    + '<meta name="viewport" content="width=device-width, initial-scale=1"><title>Unsere Reise</title></head>\n'
    + '<body>\n<main>\n<h1>Unsere Reise</h1>\n##PICOVAND##\n<p>Zwischentext</p>\n##PICOVAND##\n</main>\n</body></html>\n');
  fs.mkdirSync(path.join(work, 'Projekte'));
  const build = (name, preset, more = []) => {
    built[name] = buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(preset), '--import',
      path.join(work, 'Fotos'), '--recursive', '--captions', 'comment', ...more]);
  };
  build('Webalbum', 1001, ['--albums']);
  build('Webalbum mit Diashow', 7001, ['--albums']);
  build('Diashow', 4001);
  build('Vorschau', 6001);
  build('Skript', 5001, ['--display-time', '60000']);
  // The own-page galleries with table settings of the user's: borders with
  // and without a colour of their own, backgrounds, spacing.
  build('Eigenes Album', 2001, ['--albums', '--page', path.join(work, 'seite.html'), '--table-border', '2',
    '--foreground-color', '#1f5f8b', '--background-color', '#fdf6e3']);
  build('Eigene Einzelbilder', 2002, ['--page', path.join(work, 'seite.html'), '--table-border', '3',
    '--background-color', '#eef4fb', '--cell-spacing', '4']);
  build('Eigene Diashow', 2003, ['--page', path.join(work, 'seite.html'), '--no-cross-fade', '--table-border', '1',
    '--foreground-color', '#555555', '--background-color', '#f4f4f4', '--table-width', '640']);
  browser = await openBrowser(playwright, { hasTouch: true });
});

after(() => finish(browser, work));

// The start page and one inner page of each family.
const checkedPages = {
  Webalbum: [pageName(0), pageName(1)],
  'Webalbum mit Diashow': [pageName(0), slideName(1)],
  Diashow: [pageName(0), pageName(2)],
  Vorschau: [pageName(0), pageName(2)],
  Skript: [pageName(0)],
  'Eigenes Album': [pageName(0), pageName(1)],
  'Eigene Einzelbilder': [pageName(0), pageName(2)],
  'Eigene Diashow': [pageName(0)],
};

async function open(file, width = 1280) {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width, height: width < 600 ? 844 : 900 });
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(fileUrl(file), { waitUntil: 'load' });
  return { page, errors };
}

test('axe-core finds nothing critical or serious at 390 and 1280 px, and no text is under 12 px on a phone', async () => {
  const found = [];
  for (const [gallery, files] of Object.entries(checkedPages)) {
    for (const file of files) {
      const { page } = await open(path.join(built[gallery], file), 390);
      await page.addScriptTag({ path: axeSource });
      for (const width of [390, 1280]) {
        await page.setViewportSize({ width, height: 900 });
        const violations = await page.evaluate(async () => (await window.axe.run(document,
          { resultTypes: ['violations'], runOnly: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'best-practice'] }))
          .violations.filter((v) => ['critical', 'serious'].includes(v.impact))
          .map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(', ')}`));
        for (const v of violations) found.push(`${gallery}/${file} @${width}: ${v}`);
      }
      // On a phone no text is smaller than 12 px (text set at no size at
      // all, such as the brackets around the current page number, is not shown).
      await page.setViewportSize({ width: 390, height: 844 });
      const small = await page.evaluate(() => [...document.body.querySelectorAll('*')].filter((e) => {
        const text = [...e.childNodes].some((n) => n.nodeType === Node.TEXT_NODE && n.textContent.trim());
        const size = parseFloat(getComputedStyle(e).fontSize);
        return text && e.getClientRects().length && size > 0 && size < 12;
      }).map((e) => `${e.tagName.toLowerCase()}.${e.className} ${getComputedStyle(e).fontSize}`));
      for (const e of small) found.push(`${gallery}/${file} @390: text under 12 px: ${e}`);
      await page.close();
    }
  }
  assert.deepEqual(found, []);
});

// The galleries in the user's own page are checked in a valid page of the
// user's, placeholder twice.
test('every gallery page is valid HTML apart from the credit block and the captions', { skip: !fs.existsSync(
  path.join(root, 'node_modules/vnu-jar/build/dist/vnu.jar')) && 'HTML checker not installed' }, () => {
  const files = Object.values(built).flatMap((out) => writtenPages(out).map((f) => path.join(out, f)));
  const run = spawnSync('java', ['-jar', path.join(root, 'node_modules/vnu-jar/build/dist/vnu.jar'), '--errors-only',
    '--format', 'json', ...files], { encoding: 'utf8' });
  const messages = JSON.parse(run.stderr).messages.filter((m) => m.type === 'error');
  // The credit block is written as specified, style element and all; a
  // caption is the user's text as typed, markup included ("<heim>"). Their
  // lines are left to them.
  const lines = (file) => fs.readFileSync(file, 'utf8').split('\n');
  const errors = messages.filter((m) => {
    const all = lines(fileURLToPath(m.url));
    const first = all.findIndex((l) => l.includes('.PicoVandCredit {'));
    const inCredit = first >= 0 && m.lastLine >= first && m.lastLine <= all.findIndex((l, i) => i >= first
      && l.includes('</body>')) + 1;
    const line = all[m.lastLine - 1] ?? '';
    return !inCredit && !captions.some((c) => c.includes('<') && line.includes(c));
  }).map((m) => `${path.basename(path.dirname(fileURLToPath(m.url)))}/${path.basename(m.url)}:${m.lastLine}: ${m.message}`);
  assert.deepEqual(errors, []);
  assert.ok(files.length >= 30, `${files.length} pages checked`);
});

test('pictures carry their caption or file name as alt, escaped; thumbnails their size and lazy loading', async () => {
  const shown = async (file) => {
    const { page } = await open(file);
    const images = await page.evaluate(() => [...document.images].map((i) => ({
      src: decodeURIComponent(i.getAttribute('src')), alt: i.getAttribute('alt'), width: i.getAttribute('width'),
      height: i.getAttribute('height'), natural: [i.naturalWidth, i.naturalHeight], lazy: i.loading === 'lazy',
      shown: [i.clientWidth, i.clientHeight],
      linked: !!i.closest('a'),
    })));
    await page.close();
    return images;
  };
  for (const [gallery, files] of Object.entries(checkedPages))
    for (const file of files)
      for (const img of await shown(path.join(built[gallery], file)))
        assert.notEqual(img.alt, null, `${gallery}/${file}: ${img.src} has no alt`);

  const thumbs = (await shown(path.join(built.Webalbum, pageName(0)))).filter((i) => /pcva\d{5}/.test(i.src));
  assert.deepEqual(thumbs.map((i) => i.alt), altTexts);
  const undistorted = (img) => Math.abs(img.shown[0] / img.shown[1] - img.natural[0] / img.natural[1]) < 0.03;
  for (const t of thumbs) {
    assert.deepEqual([Number(t.width), Number(t.height)], t.natural, `${t.src}: width and height of the file`);
    assert.ok(undistorted(t), `${t.src} shown ${t.shown} for ${t.natural}`);
  }
  const album = (await shown(path.join(built.Webalbum, pageName(0)))).find((i) => i.src.endsWith('folder.gif'));
  assert.equal(album.alt, 'Rom & Paris');

  // Each slide page names its picture the same way, and so does the strip.
  for (let i = 0; i < 4; ++i) {
    const main = (await shown(path.join(built.Diashow, pageName(i)))).filter((img) => /pcva\d{5}/.test(img.src));
    assert.deepEqual(main.map((img) => img.alt), [altTexts[i]], `page per image ${i}`);
    const own = (await shown(path.join(built['Eigene Einzelbilder'], pageName(i))))
      .filter((img) => /pcva\d{5}/.test(img.src));
    assert.deepEqual(own.map((img) => img.alt), [altTexts[i], altTexts[i]], `own page per image ${i}`);
  }
  const strip = (await shown(path.join(built.Vorschau, pageName(2)))).filter((img) => /pcva\d{5}/.test(img.src));
  assert.ok(strip.length >= 3 && strip.every((img) => img.width && img.height && undistorted(img)), 'the strip');
  assert.ok(strip.every((img) => altTexts.concat(captions).includes(img.alt) || /^0\d /.test(img.alt)));

  // A full page of thumbnails: the first screenful loads at once, the rest lazily.
  const many = fs.mkdtempSync(path.join(work, 'viele-'));
  for (let i = 0; i < 14; ++i) fs.symlinkSync(path.join(photos, sources[i % 3]), path.join(many, `${10 + i}.jpg`));
  const out = buildGallery(cli, work, path.join(work, 'Projekte', 'Viele'), ['--preset', '1001', '--import', many,
    '--captions', 'filename']);
  const grid = (await shown(path.join(out, pageName(0)))).filter((i) => /pcva\d{5}/.test(i.src));
  assert.equal(grid.length, 12);
  assert.deepEqual(grid.map((i) => i.lazy), [...Array(8).fill(false), ...Array(4).fill(true)]);
  assert.deepEqual(grid.map((i) => i.alt), grid.map((_, k) => String(10 + k)));
});

// Swipes with Chromium's touch input: a finger moved by dx pixels.
async function swipe(page, dx) {
  const cdp = await page.context().newCDPSession(page);
  const y = 300;
  const x = dx < 0 ? 300 : 60;
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
  for (let k = 1; k <= 4; ++k)
    await cdp.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [{ x: x + (dx * k) / 4, y: y + k }] });
  await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await cdp.detach();
}

test('every slideshow family follows the arrow keys and a swipe', async () => {
  // Families of one page per picture: the page changes.
  const linked = [['Diashow', pageName], ['Vorschau', pageName], ['Webalbum mit Diashow', slideName],
    ['Eigene Einzelbilder', pageName]];
  for (const [gallery, name] of linked) {
    const { page, errors } = await open(path.join(built[gallery], name(1)), 390);
    const at = async (n, how) => {
      await page.waitForURL((u) => u.pathname.endsWith('/' + name(n)), { timeout: 3000 })
        .catch(() => assert.fail(`${gallery}: ${how} leads to ${page.url()}, not ${name(n)}`));
    };
    await page.keyboard.press('ArrowRight');
    await at(2, 'the right arrow');
    await page.keyboard.press('ArrowLeft');
    await at(1, 'the left arrow');
    await swipe(page, -200);
    await at(2, 'a swipe to the left');
    await swipe(page, 200);
    await at(1, 'a swipe to the right');
    await swipe(page, 20);
    await page.waitForTimeout(300);
    assert.ok(page.url().endsWith(name(1)), `${gallery}: a short touch is no swipe`);
    assert.deepEqual(errors, [], gallery);
    await page.close();
  }
  // The script slideshows: the counter changes, once per gesture even where
  // the page shows the slideshow twice.
  for (const gallery of ['Skript', 'Eigene Diashow']) {
    const { page, errors } = await open(path.join(built[gallery], pageName(0)), 390);
    const counters = () => page.evaluate(() => [...document.querySelectorAll('[id^="PicoVand_Counter"]')]
      .map((e) => e.textContent));
    const at = async (text, how) => {
      await page.waitForFunction((t) => [...document.querySelectorAll('[id^="PicoVand_Counter"]')]
        .every((e) => e.textContent === t), text, { timeout: 3000 })
        .catch(async () => assert.fail(`${gallery}: ${how} shows ${await counters()}, not ${text}`));
    };
    const n = (await counters())[0].split('/')[1];
    await page.keyboard.press('ArrowRight');
    await at(`2/${n}`, 'the right arrow');
    await page.keyboard.press('ArrowLeft');
    await at(`1/${n}`, 'the left arrow');
    await swipe(page, -200);
    await at(`2/${n}`, 'a swipe to the left');
    await swipe(page, 200);
    await at(`1/${n}`, 'a swipe to the right');
    assert.deepEqual(errors, [], gallery);
    await page.close();
  }
});

test('the own-page slideshow works in every copy of a page that holds the placeholder twice', async () => {
  const { page, errors } = await open(path.join(built['Eigene Diashow'], pageName(0)));
  const state = () => page.evaluate(() => ({
    ids: [...document.querySelectorAll('[id]')].map((e) => e.id),
    counters: [...document.querySelectorAll('[id^="PicoVand_Counter"]')].map((e) => e.textContent),
    pictures: [...document.querySelectorAll('img[id^="PicoVand_Image"]')].map((e) => [e.getAttribute('src'), e.alt]),
    captions: [...document.querySelectorAll('[id^="PicoVand_Comment"]')].map((e) => e.textContent),
  }));
  const before = await state();
  assert.equal(before.ids.length, new Set(before.ids).size, `ids are unique: ${before.ids}`);
  assert.equal(before.counters.length, 2);
  // The second copy's controls move both copies.
  await page.locator('[onclick*="PicoVand_gonext("]').nth(1).click();
  await page.waitForFunction(() => [...document.querySelectorAll('[id^="PicoVand_Counter"]')]
    .every((e) => e.textContent.startsWith('2/')));
  const next = await state();
  assert.deepEqual(next.pictures[0], next.pictures[1]);
  assert.notEqual(next.pictures[1][0], before.pictures[1][0], 'the second copy changed its picture');
  assert.equal(next.pictures[1][1], altTexts[1], 'the alt text follows the slide');
  assert.deepEqual(next.captions, [captions[1], captions[1]]);
  assert.deepEqual(errors, []);
  await page.close();
});

test('the script slideshow asks for the first picture and its neighbours only, and the next one ahead', async () => {
  const many = fs.mkdtempSync(path.join(work, 'show-'));
  for (let i = 0; i < 12; ++i) fs.symlinkSync(path.join(photos, sources[i % 3]), path.join(many, `${10 + i}.jpg`));
  for (const fade of ['--cross-fade', '--no-cross-fade']) {
    const out = buildGallery(cli, work, path.join(work, 'Projekte', `Zwanzig${fade}`), ['--preset', '5001', '--import',
      many, fade]);
    const page = await browser.context.newPage();
    const asked = [];
    page.on('request', (r) => {
      const m = /pcva(\d{5})\./.exec(r.url());
      if (m) asked.push(Number(m[1]));
    });
    await page.goto(fileUrl(path.join(out, pageName(0))), { waitUntil: 'load' });
    await page.waitForTimeout(500);
    assert.ok(asked.length >= 1 && asked.length <= 4, `${fade}: ${asked.length} pictures at load: ${asked}`);
    assert.deepEqual([...new Set(asked)].sort((a, b) => a - b), [0, 1, 11], fade);
    // Each step fetches the picture after the new one before it is shown.
    for (let k = 1; k <= 3; ++k) {
      await page.keyboard.press('ArrowRight');
      await page.waitForFunction((t) => document.getElementById('PicoVand_Counter').textContent === t, `${k + 1}/12`);
      assert.ok(asked.includes(k + 1), `${fade}: picture ${k + 1} asked for while ${k} shows: ${asked}`);
    }
    await page.close();
  }
});
