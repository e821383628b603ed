// End to end: picovand-cli builds the slideshow project types from the test
// photos; every page is visited in Chromium, reached through the pages' own
// navigation, and the script slideshow is played as a visitor plays it.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { checkScriptSlideshow, pageName, picture, slideName, sourceFolder } from './families.mjs';
import {
  allProblems, buildEnvironment, buildGallery, crawl, fileUrl, finish, leftoverTokens, localFile, openBrowser,
  plainPath, requireBrowser, writtenPages,
} from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

const duration = 1000;
let work;
let browser;
let flat;     // twelve images
let nested;   // the same and an album of two more
const built = {};

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-slideshows-'));
  flat = sourceFolder(photos, path.join(work, 'Flach'), false);
  nested = sourceFolder(photos, path.join(work, 'Alben'), true);
  fs.mkdirSync(path.join(work, 'Projekte'));
  const build = (name, preset, source, more = []) => {
    built[name] = buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(preset), '--import',
      path.join(work, source), '--recursive', '--captions', 'filename', ...more]);
  };
  // The slideshow presets make no albums; forced, the album records must
  // still leave every page with a picture.
  build('Diashow', 4001, 'Alben', ['--albums', '--force']);
  build('Ohne Skript', 4001, 'Flach', ['--no-javascript']);
  build('Skript', 5001, 'Flach', ['--display-time', String(duration)]);
  build('Vorschau', 6001, 'Flach');
  build('Album', 7001, 'Alben', ['--albums']);
  browser = await openBrowser(playwright);
});

after(() => finish(browser, work));

const images = (records) => records.filter((r) => !r.isAlbum);
const name = (file) => path.basename(file);

// Visits every page from the start page; all must be reached, none broken.
async function visit(output) {
  const pages = await crawl(browser.context, path.join(output, pageName(0)));
  assert.deepEqual(allProblems(pages), []);
  for (const [file, page] of pages) assert.deepEqual(leftoverTokens(page.html), [], name(file));
  assert.deepEqual([...pages.keys()].map(name).sort(), writtenPages(output));
  return pages;
}

const picturesOf = (page, prefix) => page.images.map((i) => plainPath(i.src)).filter((s) => s.includes(`/${prefix}`));

test('page per image: one page per picture, albums left out, next leads through all in order', async () => {
  const pages = await visit(built.Diashow);
  const shown = images(nested);
  assert.deepEqual(writtenPages(built.Diashow), shown.map((_, i) => pageName(i)).sort());
  let file = path.join(built.Diashow, pageName(0));
  shown.forEach((r, i) => {
    const page = pages.get(file);
    assert.deepEqual(picturesOf(page, 'pcva'), [picture(r, 'pcva')], name(file));
    const large = page.links.find((l) => l.images.length && /\/pcvb\d{5}\.jpg$/.test(l.href));
    assert.equal(plainPath(large.href), picture(r, 'pcvb'), name(file));
    const next = page.links.find((l) => l.rel === 'next');
    assert.equal(next.href, i === shown.length - 1 ? '#' : pageName(i + 1), name(file));
    if (i < shown.length - 1) file = localFile(next.url);
  });
});

test('without JavaScript: no script element, the large picture opens through a plain link', async () => {
  const pages = await visit(built['Ohne Skript']);
  for (const [file, page] of pages) {
    assert.doesNotMatch(page.html, /<script|onclick/i, name(file));
  }
  const tab = await browser.context.newPage();
  await tab.goto(fileUrl(path.join(built['Ohne Skript'], pageName(3))));
  const [popup] = await Promise.all([browser.context.waitForEvent('page'), tab.click('a[href$="pcvb00003.jpg"]')]);
  await popup.waitForLoadState();
  assert.equal(plainPath(new URL(popup.url()).pathname).endsWith(`/${picture(flat[3], 'pcvb')}`), true, popup.url());
  await popup.close();
  await tab.close();
});

test('script slideshow: one page; controls, timer, counter, caption and cross-fade work', async () => {
  await visit(built.Skript);
  assert.deepEqual(writtenPages(built.Skript), [pageName(0)]);
  await checkScriptSlideshow(browser.context, fileUrl(path.join(built.Skript, pageName(0))), flat,
    { duration, fade: true });
});

test('preview strip: up to nine neighbours on either side, each linked to its page', async () => {
  const pages = await visit(built.Vorschau);
  flat.forEach((r, i) => {
    const page = pages.get(path.join(built.Vorschau, pageName(i)));
    const strip = page.links.filter((l) => l.images.some((s) => /\/pcva\d{5}\.jpg$/.test(s)));
    const expected = flat.map((_, j) => j).filter((j) => j !== i && Math.abs(j - i) <= 9);
    assert.deepEqual(strip.map((l) => l.href), expected.map(pageName), pageName(i));
    strip.forEach((l, k) => assert.deepEqual(l.images.map(plainPath), [picture(flat[expected[k]], 'pcva')]));
    assert.ok(picturesOf(page, 'pcva').includes(picture(r, 'pcva')), 'the current picture is in the strip');
    assert.deepEqual(picturesOf(page, 'pcvb'), [picture(r, 'pcvb')], pageName(i));
  });
});

test('web album with slideshow: thumbnails open the slideshow page of their record', async () => {
  const pages = await visit(built.Album);
  const slides = writtenPages(built.Album).filter((f) => f.includes('-sld-'));
  assert.deepEqual(slides, nested.map((_, j) => slideName(j)));
  nested.forEach((r, j) => {
    const page = pages.get(path.join(built.Album, slideName(j)));
    assert.deepEqual(picturesOf(page, 'pcvb'), r.isAlbum ? [] : [picture(r, 'pcvb')], slideName(j));
  });
  let thumbnails = 0;
  for (const [file, page] of pages) {
    if (name(file).includes('-sld-')) continue;
    for (const link of page.links.filter((l) => l.href.includes('-sld-'))) {
      const j = Number(link.href.match(/-sld-(\d{5})/)[1]);
      assert.deepEqual(link.images.map(plainPath), [picture(nested[j], 'pcva')], name(file));
      ++thumbnails;
    }
  }
  assert.equal(thumbnails, images(nested).length);
});
