// End to end: picovand-cli builds a web album with albums and sub-albums from
// the test photos; every page is then visited in Chromium and its navigation
// checked against the album tree it was built from.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';

import { allProblems, buildEnvironment, crawl, leftoverTokens, localFile, openBrowser, requireBrowser } from './harness.mjs';

const { cli, photos } = buildEnvironment();
const playwright = await requireBrowser();

const preset = 1001;
const sources = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg',
  'comment_iptc_description_all_different.jpg', 'exif_nokia_n70_iptc_keywords.jpg', 'exif_kodak_dc210_comment.jpg',
  'bmpsuite_rgb24.bmp', 'palette_transparent.gif', 'watermark_rgba.png', 'psd_rgb8_2layers_hopper.psd',
  'tiff_rgba8_exif_iptc_reagan.tiff', 'orientation6_canon_sx60.jpg'];

// The preset's table: entries per page.
function presetTable() {
  const ini = fs.readFileSync(path.join(path.dirname(cli), 'resources', 'CONFIG', `${preset}.config`), 'utf8');
  const key = (name, fallback) => {
    const section = ini.split(/^\[/m).find((s) => /^PROJECT\]/i.test(s)) ?? '';
    const m = section.match(new RegExp(`^\\s*${name}\\s*=\\s*(\\d+)`, 'im'));
    return m ? Number(m[1]) : fallback;
  };
  return { columns: key('IMAGEX', 1), rows: key('IMAGEY', 0) };
}

// The folder tree the gallery is imported from: albums with awkward names
// (they must still link), one album spread over two pages, two levels deep.
function sourceTree(perPage) {
  let n = 0;
  const pics = (prefix, count) => Array.from({ length: count }, (_, i) => {
    const source = sources[n++ % sources.length];
    return { name: `${prefix}${String(i + 1).padStart(2, '0')}${path.extname(source)}`, source };
  });
  return {
    files: pics('hafen', 3),
    albums: {
      Berge: { files: pics('berg', (perPage || 12) + 2), albums: { 'Gipfel #1': { files: pics('gipfel', 2), albums: {} } } },
      'Grüße aus Köln': { files: pics('dom', 1), albums: {} },
      'Rom & Paris': { files: pics('tour', 1), albums: { '50%': { files: pics('rabatt', 1), albums: {} } } },
    },
  };
}

function writeTree(node, folder) {
  fs.mkdirSync(folder, { recursive: true });
  for (const f of node.files) fs.symlinkSync(path.join(photos, f.source), path.join(folder, f.name));
  for (const [name, sub] of Object.entries(node.albums)) writeTree(sub, path.join(folder, name));
}

// The collection as the folder import makes it: entries by name (bytes),
// each sub-folder an album followed at once by its own content.
function collection(node, albumPath = '/', list = []) {
  const entries = [...node.files.map((f) => ({ name: f.name })), ...Object.keys(node.albums).map((a) => ({ name: a, album: true }))]
    .sort((a, b) => Buffer.compare(Buffer.from(a.name), Buffer.from(b.name)));
  for (const e of entries) {
    list.push({ isAlbum: !!e.album, albumPath, name: e.name });
    if (e.album) collection(node.albums[e.name], albumPath === '/' ? `/${e.name}` : `${albumPath}/${e.name}`, list);
  }
  return list;
}

const pageName = (n) => `pcv${String(n).padStart(5, '0')}.htm`;

// Page numbers, pagination and the order pages are written in, as the album walk does it.
function albumPages(list, perPage) {
  let k = 0;
  for (const r of list) if (!r.isAlbum) r.number = k++;
  const pages = [];
  const written = [];
  const walk = (albumPath, first, parent) => {
    const entries = list.filter((r) => r.albumPath === albumPath);
    const count = perPage === 0 ? 1 : Math.max(1, Math.ceil(entries.length / perPage));
    let next = first + count;
    for (const r of entries.filter((e) => e.isAlbum)) {
      r.firstPage = next;
      next = walk(albumPath === '/' ? `/${r.name}` : `${albumPath}/${r.name}`, next, first);
    }
    for (let b = 0; b < count; ++b) {
      const shown = perPage === 0 ? entries : entries.slice(b * perPage, (b + 1) * perPage);
      pages[first + b] = { albumPath, first, last: first + count - 1, current: first + b, parent, entries: shown };
      written.push(first + b);
    }
    return next;
  };
  walk('/', 0, -1);
  return { pages, firstWritten: written[0] };
}

// The page-number links: at most nine, the current one in the middle where possible.
function numberedPages(p) {
  let start = p.first;
  let end = p.last;
  if (p.last - p.first > 8) {
    start = p.current - p.first > 4 ? p.current - 4 : p.first;
    end = start + 8;
    if (end > p.last) [start, end] = [p.last - 8, p.last];
  }
  const out = [];
  for (let n = start; n <= end; ++n) if (n !== p.current) out.push(n);
  return out;
}

function expectedPageLinks(p) {
  const targets = new Set([p.first, p.last, ...numberedPages(p)]);
  if (p.current !== p.first) targets.add(p.current - 1);
  if (p.current !== p.last) targets.add(p.current + 1);
  if (p.parent !== -1) targets.add(0).add(p.parent);
  for (const e of p.entries) if (e.isAlbum) targets.add(e.firstPage);
  return [...targets].sort((a, b) => a - b).map(pageName);
}

// A web path as plain text: each segment decoded.
const plain = (href) => href.split('/').map(decodeURIComponent).join('/');

const imagePath = (r, prefix) =>
  `images${r.albumPath === '/' ? '' : r.albumPath}/${prefix}${String(r.number).padStart(5, '0')}.jpg`;

let work;
let output;
let browser;
let visited;
let model;

before(async () => {
  work = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-web-album-'));
  const { columns, rows } = presetTable();
  const tree = sourceTree(columns * rows);
  writeTree(tree, path.join(work, 'Fotos'));
  fs.mkdirSync(path.join(work, 'Projekte'));
  output = path.join(work, 'Projekte', 'Reise 2024');
  execFileSync(cli, ['build', '--preset', String(preset), '--output', output, '--import', path.join(work, 'Fotos'),
    '--recursive', '--albums'], {
    stdio: ['ignore', 'inherit', 'inherit'],
    env: { ...process.env, HOME: work, XDG_DATA_HOME: '', XDG_DOCUMENTS_DIR: '' },  // keep the user's folders out of it
  });
  model = albumPages(collection(tree), columns * rows);
  browser = await openBrowser(playwright);
  visited = await crawl(browser.context, path.join(output, pageName(0)));
});

after(async () => {
  await browser?.close();
  if (!work) return;
  if (process.env.PICOVAND_KEEP) console.log(`gallery kept in ${output}`);
  else fs.rmSync(work, { recursive: true, force: true });
});

test('every page loads without script errors, failed requests, broken pictures or dead links', () => {
  assert.deepEqual(allProblems(visited), []);
  for (const [file, page] of visited) assert.deepEqual(leftoverTokens(page.html), [], path.basename(file));
});

test('every page written is reached from the start page, and no other', () => {
  const expected = model.pages.map((_, n) => pageName(n));
  assert.ok(expected.length >= 6, 'the tree gives several albums and pages');
  assert.deepEqual([...visited.keys()].map((f) => path.basename(f)).sort(), expected);
  assert.deepEqual(fs.readdirSync(output).filter((f) => f.endsWith('.htm')).sort(), expected);
});

test('navigation links follow the album tree', () => {
  for (const p of model.pages) {
    const page = visited.get(path.join(output, pageName(p.current)));
    const where = `${pageName(p.current)} (${p.albumPath})`;
    const pageLinks = page.links.map((l) => localFile(l.url)).filter((f) => f && f.endsWith('.htm'))
      .map((f) => path.basename(f));
    assert.deepEqual([...new Set(pageLinks)].sort(), expectedPageLinks(p), where);
    for (const l of page.links) {
      if (l.rel === 'next') assert.equal(l.href, p.current === p.last ? '#' : pageName(p.current + 1), where);
      if (l.rel === 'prev') assert.equal(l.href, p.current === p.first ? '#' : pageName(p.current - 1), where);
    }
  }
});

test('entries show in list order: albums behind the folder icon, images linked to their large size', () => {
  for (const p of model.pages) {
    const page = visited.get(path.join(output, pageName(p.current)));
    const where = `${pageName(p.current)} (${p.albumPath})`;
    const shown = page.links.filter((l) => l.images.some((s) => s.endsWith('/folder.gif')) || l.target === '_blank'
      && /\/pcvb\d{5}\.jpg$/.test(l.href));
    assert.equal(shown.length, p.entries.length, where);
    p.entries.forEach((e, i) => {
      const link = shown[i];
      if (e.isAlbum) {
        assert.equal(link.href, pageName(e.firstPage), where);
        assert.equal(link.text, e.name, where);
      } else {
        assert.equal(plain(link.href), imagePath(e, 'pcvb'), where);
        assert.deepEqual(link.images.map(plain), [imagePath(e, 'pcva')], where);
      }
    });
  }
});

test('exactly one page, the first one written, carries the credit', () => {
  const credited = [...visited].filter(([, page]) => page.html.includes('PicoVandCredit')).map(([f]) => path.basename(f));
  assert.deepEqual(credited, [pageName(model.firstWritten)]);
  assert.notEqual(model.firstWritten, 0, 'the deepest album of the first branch is written first');
});
