// Albums with covers and the start page as index.html: picovand-cli builds a
// web album with sub-albums; Chromium opens it at index.html as a web server
// would, every tile must show a photo of its album with the right count and
// lead to that album.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { allProblems, buildEnvironment, buildGallery, crawl, fileUrl, finish, openBrowser, plainPath, requireBrowser,
  writtenPages } from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

// Album folder (below the import) -> number of photos directly in it.
const tree = { Berge: 3, 'Berge/Gipfel #1': 2, 'Rom & Paris': 1, 'Rom & Paris/50%': 2, 'Nur Unteralben/Tief': 1 };
const source = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg', 'exif_kodak_dc210_comment.jpg'];

let work;
let output;
let browser;
let visited;

// Every album's folder by its name (the names here are unique).
const folders = new Map(Object.keys(tree).flatMap((album) =>
  album.split('/').map((_, i, parts) => [parts[i], parts.slice(0, i + 1).join('/')])));

// The pictures of size A in an album's folder and, with below, its
// sub-albums' folders, in image order.
function thumbnails(album, below) {
  const folder = path.join(output, 'images', album);
  return fs.readdirSync(folder, { recursive: below }).map((f) => f.toString()).filter((f) => /(^|\/)pcva\d{5}\.jpg$/.test(f))
    .map((f) => path.basename(f)).sort();
}

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-covers-'));
  let n = 0;
  fs.mkdirSync(path.join(work, 'Fotos'));
  fs.symlinkSync(path.join(photos, source[0]), path.join(work, 'Fotos', 'start.jpg'));
  for (const [album, count] of Object.entries(tree)) {
    fs.mkdirSync(path.join(work, 'Fotos', album), { recursive: true });
    for (let i = 0; i < count; ++i)
      fs.symlinkSync(path.join(photos, source[n++ % source.length]), path.join(work, 'Fotos', album, `f${i}.jpg`));
  }
  fs.mkdirSync(path.join(work, 'Projekte'));
  output = buildGallery(cli, work, path.join(work, 'Projekte', 'Reise'), ['--preset', '1001', '--import',
    path.join(work, 'Fotos'), '--recursive', '--albums', '--album-covers', '--index-html']);
  browser = await openBrowser(playwright);
  visited = await crawl(browser.context, path.join(output, 'index.html'));
});

after(() => finish(browser, work));

test('index.html is the start page, and every page is reached from it without a dead link or broken picture', () => {
  assert.equal(fs.readFileSync(path.join(output, 'index.html'), 'utf8'), fs.readFileSync(path.join(output, 'pcv00000.htm'), 'utf8'));
  assert.deepEqual(allProblems(visited), []);
  const reached = [...visited.keys()].map((f) => path.basename(f)).sort();
  assert.deepEqual(reached, ['index.html', ...writtenPages(output)].sort());
});

test('each album tile shows the first photo of its album, its count, and leads to the album', async () => {
  const page = await browser.context.newPage();
  let checked = 0;
  for (const file of writtenPages(output)) {
    await page.goto(fileUrl(path.join(output, file)), { waitUntil: 'load' });
    const tiles = await page.$$eval('a.pcv-album', (links) => links.map((a) => ({
      href: a.getAttribute('href'),
      name: a.querySelector('.pcv-album-name').textContent,
      count: a.querySelector('.pcv-count').textContent,
      src: a.querySelector('img').getAttribute('src'),
      decoded: a.querySelector('img').naturalWidth > 0,
      accessibleText: a.textContent.trim(),
    })));
    for (const tile of tiles) {
      const album = folders.get(tile.name);
      const own = thumbnails(album, false);
      const all = thumbnails(album, true);
      // Its own first photo where it has one, else the first one below it.
      assert.ok(plainPath(tile.src).startsWith(`images/${album}/`), `${file}: the cover of ${tile.name} is ${tile.src}`);
      assert.equal(path.basename(tile.src), own.length ? own[0] : all[0], `${file}: ${tile.name}`);
      assert.equal(tile.count, `${all.length} ${all.length === 1 ? 'Bild' : 'Bilder'}`, `${file}: ${tile.name}`);
      assert.ok(tile.decoded, `${file}: ${tile.src} does not decode`);
      assert.equal(tile.accessibleText, `${tile.name} ${tile.count}`);
      // Following the tile shows that album: its pictures lie in its folder.
      await Promise.all([page.waitForNavigation(), page.click(`a.pcv-album[href="${tile.href}"]`)]);
      const pictures = await page.$$eval('img', (imgs) => imgs.map((i) => i.getAttribute('src')));
      assert.ok(pictures.some((src) => plainPath(src).startsWith(`images/${album}/`)), `${tile.href} shows ${album}`);
      await page.goBack();
      ++checked;
    }
  }
  await page.close();
  assert.equal(checked, Object.keys(tree).length + 1, 'every album has its tile (Nur Unteralben too)');
});
