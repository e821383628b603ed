// Photos downloaded from anywhere carry texts a stranger wrote: captions
// (IPTC, JPEG comment, EXIF description), camera make and model, and the
// file name itself. Written with exiftool as markup, they must reach every
// kind of page as text: no element, no handler, no script of theirs runs.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { pageName } from './families.mjs';
import { buildEnvironment, buildGallery, crawl, fileUrl, finish, openBrowser, requireBrowser } from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

// Each text sets a flag when it runs, and makes an element a visitor's page
// must not hold.
const attack = (n) => `<img src=x${n} onerror="window.pvOwned=${n}"><b class=pv-owned>${n}</b>`;
const sources = {
  'iptc.jpg': ['-IPTC:Caption-Abstract=' + attack(1)],
  'comment.jpg': ['-Comment=' + attack(2)],
  'exif.jpg': ['-EXIF:ImageDescription=' + attack(3), '-EXIF:Make=' + attack(4), '-EXIF:Model=' + attack(5)],
};
const namedFile = '<img src=x6 onerror=window.pvOwned=6>.jpg';

let work;
let browser;
const built = [];

before(async () => {
  try {
    execFileSync('exiftool', ['-ver'], { stdio: 'ignore' });
  } catch {
    console.error('exiftool is not installed (scripts/setup installs it)');
    process.exit(1);
  }
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-markup-'));
  const meta = path.join(work, 'Fotos');
  const named = path.join(work, 'Namen');
  fs.mkdirSync(meta);
  fs.mkdirSync(named);
  for (const [file, args] of Object.entries(sources)) {
    const to = path.join(meta, file);
    fs.copyFileSync(path.join(photos, 'exif_kodak_dc210_comment.jpg'), to);
    execFileSync('exiftool', ['-q', '-q', '-overwrite_original', '-IPTC:Caption-Abstract=', '-Comment=',
      '-EXIF:ImageDescription=', ...args, to]);
  }
  fs.copyFileSync(path.join(photos, 'exif_kodak_dc210_comment.jpg'), path.join(named, namedFile));
  fs.writeFileSync(path.join(work, 'seite.htm'), '<!DOCTYPE html>\n<html><head><title>x</title></head><body>\n' +
    '##PICOVAND##\n</body></html>\n');
  fs.mkdirSync(path.join(work, 'Projekte'));
  const build = (name, preset, source, captions, more = []) => built.push({
    name,
    preset,
    output: buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(preset), '--import',
      source, '--captions', captions, ...more]),
  });
  // Every family; the presets that list shooting data among them (1001, 4001, 6001).
  for (const preset of [1001, 1002, 4001, 4002, 5001, 6001, 7001])
    build(`p${preset}`, preset, meta, 'iptc,comment,exif');
  for (const preset of [2001, 2002, 2003])
    build(`p${preset}`, preset, meta, 'iptc,comment,exif', ['--page', path.join(work, 'seite.htm')]);
  for (const preset of [1001, 2003, 5001])
    build(`n${preset}`, preset, named, 'filename', preset === 2003 ? ['--page', path.join(work, 'seite.htm')] : []);
  browser = await openBrowser(playwright);
});

after(() => finish(browser, work));

// What of the stranger's markup became part of the page.
async function injected(page) {
  return page.evaluate(() => ({
    owned: window.pvOwned ?? null,
    elements: document.querySelectorAll('img[src^="x"], .pv-owned, [onerror]').length,
  }));
}

test('captions, camera data and file names are text on every page of every family', async () => {
  for (const { name, output } of built) {
    const start = fs.existsSync(path.join(output, pageName(0))) ? pageName(0) : fs.readdirSync(output)
      .find((f) => f.endsWith('.htm'));
    const pages = await crawl(browser.context, path.join(output, start));
    assert.ok(pages.size > 0, name);
    let shownAsText = 0;
    for (const file of pages.keys()) {
      const page = await browser.context.newPage();
      await page.goto(fileUrl(file), { waitUntil: 'load' });
      // The script slideshows set their captions while they play.
      for (let i = 0; i < 4; i++) {
        const next = await page.$('[onclick*="PicoVand_gonext("]');
        if (!next) break;
        await next.click();
        await page.waitForTimeout(300);
        assert.deepEqual(await injected(page), { owned: null, elements: 0 }, `${name} ${path.basename(file)}`);
      }
      assert.deepEqual(await injected(page), { owned: null, elements: 0 }, `${name} ${path.basename(file)}`);
      if ((await page.textContent('body')).includes('<img src=x')) ++shownAsText;
      await page.close();
    }
    // The texts are still there, as the letters they are (the own-page
    // album shows pictures alone).
    if (name !== 'p2001') assert.ok(shownAsText > 0, `${name}: the captions are shown`);
  }
});
