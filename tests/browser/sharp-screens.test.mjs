// Galleries with high-resolution pictures and in WebP and AVIF, opened in
// Chromium on a screen of two device pixels per CSS pixel and on a plain one:
// every picture decodes, the browser takes the high-resolution candidate only
// where it helps, and each candidate is as wide as its descriptor says.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { allProblems, buildEnvironment, buildGallery, crawl, fileUrl, finish, openBrowser, openSlideshow,
  requireBrowser } from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

let work;
const built = new Map();

before(() => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-sharp-'));
  const source = path.join(work, 'Fotos');
  fs.mkdirSync(source);
  // In list order: a photo large enough for twice every size, one only for
  // the small size's, one too small for any, and a large one.
  for (const name of ['exif_canon_g9_imagedescription.jpg', 'portrait_nikon_d70s.jpg', 'exif_kodak_dc210_comment.jpg',
    'exif_nikon_d300_progressive.jpeg'])
    fs.copyFileSync(path.join(photos, name), path.join(source, name));
  fs.writeFileSync(path.join(work, 'seite.htm'), '<!DOCTYPE html>\n<html><head><title>x</title></head><body>\n' +
    '##PICOVAND##\n</body></html>\n');
  fs.mkdirSync(path.join(work, 'Projekte'));
  for (const [preset, format] of [[1001, 'webp'], [7001, 'avif'], [5001, 'webp'], [2003, 'avif'], [6001, 'avif']]) {
    const name = `p${preset}-${format}`;
    built.set(name, buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(preset), '--force',
      '--import', source, '--hidpi', '--format', format, '--size-a', '160x120', '--size-b', '480x360',
      ...(preset === 2003 ? ['--page', path.join(work, 'seite.htm')] : [])]));
  }
});

after(() => finish(null, work));

// Every picture with candidates on the page at url: the one the browser took,
// its decoded width and the candidates' widths by address.
async function candidates(context, url) {
  const page = await context.newPage();
  await page.goto(url, { waitUntil: 'load' });
  const found = await page.evaluate(async () => {
    const images = [...document.querySelectorAll('img[srcset]')];
    for (const img of images) img.loading = 'eager';
    await Promise.all(images.map((img) => (img.complete ? null : new Promise((done) => {
      img.addEventListener('load', done);
      img.addEventListener('error', done);
    }))));
    // A picture's own width, as a plain image without descriptors decodes it.
    const decoded = (url) => new Promise((done) => {
      const img = new Image();
      img.onload = () => done(img.naturalWidth);
      img.onerror = () => done(0);
      img.src = url;
    });
    return Promise.all(images.map(async (img) => {
      const offered = img.srcset.split(',').map((c) => c.trim().split(' '))
        .map(([u, w]) => [new URL(u, document.baseURI).href, Number.parseInt(w, 10)]);
      return {
        chosen: img.currentSrc,
        attributeWidth: Number(img.getAttribute('width') || 0),
        offered,
        decoded: await Promise.all(offered.map(([u]) => decoded(u))),
      };
    }));
  });
  await page.close();
  return found;
}

for (const scale of [1, 2]) {
  test(`at ${scale} device pixels per CSS pixel every page decodes and takes the candidate it needs`, async () => {
    const browser = await openBrowser(playwright, { deviceScaleFactor: scale });
    try {
      let offered = 0;
      for (const [name, output] of built) {
        const pages = await crawl(browser.context, path.join(output, 'pcv00000.htm'));
        assert.deepEqual(allProblems(pages), [], name);
        for (const file of pages.keys()) {
          for (const img of await candidates(browser.context, fileUrl(file))) {
            offered += 1;
            const [[single, singleWidth], [twin, twinWidth]] = img.offered;
            assert.ok(twin.endsWith(`-2x.${name.split('-')[1]}`), twin);
            assert.ok(twinWidth * 2 >= singleWidth * 3, `${twin}: ${twinWidth} against ${singleWidth}`);
            if (img.attributeWidth) assert.equal(img.attributeWidth, singleWidth, single);
            assert.equal(img.chosen, scale === 1 ? single : twin, `${name} ${path.basename(file)}`);
            assert.deepEqual(img.decoded, [singleWidth, twinWidth], single);
          }
        }
      }
      assert.ok(offered >= 20, `only ${offered} pictures with candidates`);
    } finally {
      await browser.close();
    }
  });
}

test('the script slideshow hands the browser the next slide\'s candidates', async () => {
  const browser = await openBrowser(playwright, { deviceScaleFactor: 2 });
  try {
    const show = await openSlideshow(browser.context, fileUrl(path.join(built.get('p5001-webp'), 'pcv00000.htm')));
    const shown = () => show.page.evaluate(async () => {
      const img = document.getElementById('PicoVand_Image');
      if (!img.complete) await new Promise((done) => img.addEventListener('load', done, { once: true }));
      return { chosen: img.currentSrc, width: img.naturalWidth };
    });
    const first = await shown();
    assert.match(first.chosen, /pcva00000-2x\.webp$/);
    await show.click('PicoVand_gonext');
    await show.waitForCounter('2/4');
    await show.page.waitForFunction(() => /pcva00001/.test(document.getElementById('PicoVand_Image').currentSrc));
    const second = await shown();
    assert.match(second.chosen, /pcva00001-2x\.webp$/);
    assert.ok(second.width > 0);
    // The photo too small for a high-resolution picture shows its only one.
    await show.click('PicoVand_gonext');
    await show.waitForCounter('3/4');
    await show.page.waitForFunction(() => /pcva00002\.webp$/.test(document.getElementById('PicoVand_Image').currentSrc));
    assert.deepEqual(show.errors, []);
  } finally {
    await browser.close();
  }
});
