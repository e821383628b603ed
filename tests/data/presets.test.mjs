// Every installed preset built from the test photos and looked at as a
// visitor would: in headless Chromium at desk and phone width, with no script
// errors, broken pictures or dead links, no template token on screen, no
// sideways scrolling on a phone and no picture stretched or blown up.
// Screenshots of each preset's start page land in SHOTS (build/preset-screens).
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { allProblems, buildEnvironment, crawl, fileUrl, openBrowser, requireBrowser } from '../browser/harness.mjs';

const { cli, photos } = buildEnvironment();
const shots = process.env.PICOVAND_SHOTS;
const playwright = await requireBrowser();
const resources = path.join(path.dirname(cli), 'resources');

function presetValue(n, section, key) {
  const ini = fs.readFileSync(path.join(resources, 'CONFIG', `${n}.config`), 'utf8');
  const body = ini.split(/^\[/m).find((s) => s.toUpperCase().startsWith(`${section}]`)) ?? '';
  const m = body.match(new RegExp(`^\\s*${key}\\s*=\\s*(.*)$`, 'im'));
  return m ? m[1].trim() : '';
}
const presets = fs.readdirSync(path.join(resources, 'CONFIG'))
  .map((f) => Number.parseInt(f, 10))
  .filter((n) => n % 1000 !== 0 && n !== 3001)
  .sort((a, b) => a - b);

// Small photos keep the builds quick; a portrait one checks that nothing is
// squeezed into a landscape box.
const pictures = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg',
  'comment_iptc_description_all_different.jpg', 'exif_nokia_n70_iptc_keywords.jpg', 'exif_kodak_dc210_comment.jpg',
  'orientation6_canon_sx60.jpg', 'palette_transparent.gif'];

let work;
let browser;
const built = new Map();

function link(file, folder, name) {
  fs.mkdirSync(folder, { recursive: true });
  fs.symlinkSync(path.join(photos, file), path.join(folder, name));
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-presets-'));
  const source = path.join(work, 'Fotos');
  pictures.forEach((p, i) => link(p, source, `bild${i}${path.extname(p)}`));
  pictures.slice(0, 3).forEach((p, i) => link(p, path.join(source, 'Berge'), `berg${i}${path.extname(p)}`));
  fs.mkdirSync(path.join(work, 'Projekte'));
  for (const n of presets) {
    const output = path.join(work, 'Projekte', `Preset ${n}`);
    const args = ['build', '--preset', String(n), '--output', output, '--import', source, '--recursive'];
    if (presetValue(n, 'FOLDER', 'SUB') !== '0') args.push('--albums');
    if (n >= 2001 && n <= 2003) args.push('--page', path.join(resources, 'DE', 'beispielseite.html'));
    execFileSync(cli, args, { stdio: ['ignore', 'ignore', 'inherit'] });
    built.set(n, output);
  }
  browser = await openBrowser(playwright);
});

after(async () => {
  await browser?.close();
  if (work && !process.env.PICOVAND_KEEP) fs.rmSync(work, { recursive: true, force: true });
});

// What a visitor sees of one page at one width.
async function look(file, width, shot) {
  const page = await browser.context.newPage();
  await page.setViewportSize({ width, height: width > 800 ? 900 : 844 });
  await page.goto(fileUrl(file), { waitUntil: 'load' });
  const seen = await page.evaluate(async () => {
    await Promise.all([...document.images].map((img) => (img.complete ? null
      : new Promise((done) => { img.onload = done; img.onerror = done; }))));
    const pictures = [...document.images].filter((img) => img.offsetWidth > 0 && img.naturalWidth > 0).map((img) => ({
      src: img.getAttribute('src'),
      shown: [img.getBoundingClientRect().width, img.getBoundingClientRect().height],
      natural: [img.naturalWidth, img.naturalHeight],
      fit: getComputedStyle(img).objectFit,
    }));
    return { text: document.body.innerText, scrollWidth: document.documentElement.scrollWidth, pictures };
  });
  if (shot) await page.screenshot({ path: shot, fullPage: false });
  await page.close();
  return seen;
}

function checkLook(seen, width, where) {
  const tokens = seen.text.match(/CORVANE_PICOVAND_\w+|PCV_\w+|pcv_image_folder|##PICOVAND##/g);
  assert.equal(tokens, null, `${where}: tokens on screen: ${tokens}`);
  assert.ok(seen.scrollWidth <= width + 1, `${where}: ${seen.scrollWidth} px wide, scrolls sideways`);
  for (const p of seen.pictures) {
    const [w, h] = p.shown;
    const [nw, nh] = p.natural;
    if (p.fit === 'cover' || p.fit === 'contain' || /\.svg$/i.test(p.src)) continue;
    assert.ok(w <= nw + 1 && h <= nh + 1, `${where}: ${p.src} blown up from ${nw}x${nh} to ${w}x${h}`);
    assert.ok(Math.abs(w / h - nw / nh) < 0.03 * (nw / nh) + 2 / h, `${where}: ${p.src} stretched to ${w}x${h}`);
  }
}

test('every preset builds a gallery a visitor can use', async (t) => {
  if (shots) fs.mkdirSync(shots, { recursive: true });
  for (const n of presets) {
    await t.test(String(n), async () => {
      const start = path.join(built.get(n), 'pcv00000.htm');
      assert.ok(fs.existsSync(start), 'no start page');
      const looks = [];
      for (const width of [1280, 390]) {
        const shot = shots ? path.join(shots, `${n}-${width}.png`) : null;
        looks.push([await look(start, width, shot), width]);
      }
      const pages = await crawl(browser.context, start);
      assert.deepEqual(allProblems(pages), []);
      for (const [seen, width] of looks) checkLook(seen, width, `${n} at ${width}`);
      // One page of the slideshow behind an album.
      const slide = path.join(built.get(n), 'pcv-sld-00001.htm');
      if (fs.existsSync(slide))
        for (const width of [1280, 390]) checkLook(await look(slide, width, null), width, `${n} slideshow at ${width}`);
    });
  }
});

test('script slideshows step through their pictures', async () => {
  for (const n of presets.filter((p) => Math.floor(p / 1000) === 5)) {
    const page = await browser.context.newPage();
    const errors = [];
    page.on('pageerror', (e) => errors.push(e.message));
    await page.goto(fileUrl(path.join(built.get(n), 'pcv00000.htm')), { waitUntil: 'load' });
    const counter = page.locator('#PicoVand_Counter');
    const total = pictures.length + 3;
    assert.equal(await counter.textContent(), `1/${total}`, `${n}: counter`);
    await page.click('[onclick="PicoVand_gonext()"]');
    await page.waitForTimeout(500);
    assert.equal(await counter.textContent(), `2/${total}`, `${n}: next`);
    await page.click('[onclick="PicoVand_golast()"]');
    await page.waitForTimeout(500);
    assert.equal(await counter.textContent(), `${total}/${total}`, `${n}: last`);
    await page.keyboard.press('ArrowRight');
    await page.waitForTimeout(500);
    assert.equal(await counter.textContent(), `1/${total}`, `${n}: the arrow key wraps around`);
    assert.deepEqual(errors, [], `${n}: script errors`);
    await page.close();
  }
});
