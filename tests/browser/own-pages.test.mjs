// End to end: picovand-cli puts galleries into a web page of the user's own
// (album table, page per image, script slideshow); every page is visited in
// Chromium through the gallery's navigation buttons.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { checkScriptSlideshow, pageName, picture, sourceFolder } from './families.mjs';
import {
  allProblems, buildEnvironment, buildGallery, crawl, fileUrl, finish, leftoverTokens, openBrowser, plainPath,
  requireBrowser, writtenPages,
} from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

const duration = 1000;
const userPage = (placeholders) => '<!DOCTYPE html>\n<html><head><meta charset="utf-8"><title>Unsere Reise</title></head>\n'
  + '<body>\n<h1>Unsere Reise</h1>\n' + Array(placeholders).fill('##PICOVAND##').join('\n<p>Zwischentext</p>\n')
  + '\n<p>Ende der Seite</p>\n</body></html>\n';

let work;
let browser;
let flat;
let nested;
const built = {};

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-own-pages-'));
  flat = sourceFolder(photos, path.join(work, 'Flach'), false);
  nested = sourceFolder(photos, path.join(work, 'Alben'), true);
  fs.writeFileSync(path.join(work, 'einmal.html'), userPage(1));
  fs.writeFileSync(path.join(work, 'zweimal.html'), userPage(2));
  fs.mkdirSync(path.join(work, 'Projekte'));
  const build = (name, preset, source, page, more = []) => {
    built[name] = buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(preset), '--import',
      path.join(work, source), '--recursive', '--captions', 'filename', '--page', path.join(work, page), ...more]);
  };
  build('Album', 2001, 'Alben', 'zweimal.html', ['--albums', '--rows', '2']);
  build('Einzelbilder', 2002, 'Flach', 'zweimal.html', ['--control-set', '103']);
  build('Ohne Skript', 2002, 'Flach', 'einmal.html', ['--no-javascript']);
  build('Diashow', 2003, 'Flach', 'einmal.html', ['--display-time', String(duration), '--no-cross-fade']);
  build('Diashow zweimal', 2003, 'Flach', 'zweimal.html');
  browser = await openBrowser(playwright);
});

after(() => finish(browser, work));

const name = (file) => path.basename(file);
const fragments = (html) => html.split('<!-- begin Pico Vand -->').length - 1;

// Visits every page from the start page: all reached, none broken, the
// user's page around the gallery kept.
async function visit(output, placeholders) {
  const pages = await crawl(browser.context, path.join(output, pageName(0)));
  assert.deepEqual(allProblems(pages), []);
  assert.deepEqual([...pages.keys()].map(name).sort(), writtenPages(output));
  for (const [file, page] of pages) {
    assert.deepEqual(leftoverTokens(page.html), [], name(file));
    assert.equal(fragments(page.html), placeholders, `${name(file)}: one gallery per placeholder`);
    assert.match(page.html, /<h1>Unsere Reise<\/h1>[^]*Ende der Seite/, name(file));
  }
  return pages;
}

const pageLinks = (page) => [...new Set(page.links.filter((l) => /^pcv\d{5}\.htm$/.test(l.href)).map((l) => l.href))].sort();

test('album table: every album page reached through the buttons, the gallery twice on each', async () => {
  const pages = await visit(built.Album, 2);
  const start = pages.get(path.join(built.Album, pageName(0)));
  const sub = [...pages.values()].find((p) => p.images.some((i) => plainPath(i.src).includes(`/Rom & Paris/`)));
  // The sub-album's single page leads home and up to the start page and nowhere else.
  assert.deepEqual(pageLinks(sub), [pageName(0)]);
  assert.ok(pageLinks(start).includes(pageName(1)), 'the start page leads on');
  // A picture opens its large size in the gallery's own window.
  const tab = await browser.context.newPage();
  const errors = [];
  tab.on('pageerror', (e) => errors.push(e.message));
  await tab.goto(fileUrl(path.join(built.Album, pageName(0))));
  const [popup] = await Promise.all([browser.context.waitForEvent('page'), tab.click(`a[href$="pcvb00000.jpg"] >> nth=0`)]);
  await popup.waitForLoadState();
  assert.ok(plainPath(popup.url()).endsWith(picture(nested[0], 'pcvb')), popup.url());
  assert.equal(await popup.evaluate(() => window.name), 'PicoVandWindow');
  assert.equal(tab.url(), fileUrl(path.join(built.Album, pageName(0))), 'the gallery stays where it was');
  assert.deepEqual(errors, []);
  await popup.close();
  await tab.close();
});

test('page per image: each picture on its page, buttons of the chosen control set', async () => {
  const pages = await visit(built.Einzelbilder, 2);
  flat.forEach((r, i) => {
    const page = pages.get(path.join(built.Einzelbilder, pageName(i)));
    const shown = page.images.map((img) => plainPath(img.src));
    assert.deepEqual(shown.filter((s) => s.includes('/pcva')), [picture(r, 'pcva'), picture(r, 'pcva')], pageName(i));
    assert.ok(shown.every((s) => s.includes('/pcva') || s.includes('/_ctrl_0103/')), pageName(i));
    assert.ok(page.html.includes(`>${i + 1}/${flat.length}<`), `${pageName(i)}: position`);
    const expected = new Set([0, flat.length - 1]);
    if (i > 0) expected.add(i - 1);
    if (i < flat.length - 1) expected.add(i + 1);
    for (const link of pageLinks(page)) expected.delete(Number(link.slice(3, 8)));
    assert.deepEqual([...expected].filter((n) => n !== i), [], `${pageName(i)}: first, back, next and last`);
  });
});

test('without JavaScript: no script element, the large picture opens through a plain link', async () => {
  const pages = await visit(built['Ohne Skript'], 1);
  for (const [file, page] of pages) assert.doesNotMatch(page.html, /<script|onclick/i, name(file));
  const tab = await browser.context.newPage();
  await tab.goto(fileUrl(path.join(built['Ohne Skript'], pageName(2))));
  await Promise.all([tab.waitForURL(/pcvb00002\.jpg$/), tab.click('a[href$="pcvb00002.jpg"]')]);
  await tab.close();
});

test('script slideshow in the user page: controls, timer, counter and caption work', async () => {
  await visit(built.Diashow, 1);
  assert.deepEqual(writtenPages(built.Diashow), [pageName(0)]);
  await checkScriptSlideshow(browser.context, fileUrl(path.join(built.Diashow, pageName(0))), flat,
    { duration, fade: false });
  await visit(built['Diashow zweimal'], 2);
});
