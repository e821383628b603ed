// End to end: picovand-cli puts galleries into a web page of the user's own
// (album table, page per image, script slideshow); every page is visited in
// Chromium through the gallery's navigation buttons, and the table's
// borders, spacing and colours are measured as the browser lays them out.
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
const userPage = (placeholders, doctype = '<!DOCTYPE html>\n') => doctype
  + '<html><head><meta charset="utf-8"><title>Unsere Reise</title></head>\n'
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
  // An older page without doctype: the browser lays it out in quirks mode.
  fs.writeFileSync(path.join(work, 'alt.html'), userPage(1, ''));
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

// What the browser shows of the gallery table on the start page: the outer
// table (the first of the gallery), its cells, pictures and navigation bar.
async function tableLook(file) {
  const page = await browser.context.newPage();
  await page.goto(fileUrl(file), { waitUntil: 'load' });
  const look = await page.evaluate(() => {
    const box = (e) => e.getBoundingClientRect();
    const style = (e, p) => getComputedStyle(e).getPropertyValue(p);
    const border = (e) => ['top', 'right', 'bottom', 'left'].map((side) => [style(e, `border-${side}-width`),
      style(e, `border-${side}-style`), style(e, `border-${side}-color`)].join(' ')).join(', ');
    // The room left and right of a cell's text.
    const textSides = (cell) => {
      const lines = [];
      const walk = document.createTreeWalker(cell, NodeFilter.SHOW_TEXT);
      for (let n = walk.nextNode(); n; n = walk.nextNode()) {
        if (!n.textContent.trim()) continue;
        const r = document.createRange();
        r.selectNodeContents(n);
        lines.push(r.getBoundingClientRect());
      }
      const c = box(cell);
      return [Math.min(...lines.map((l) => l.left)) - c.left, c.right - Math.max(...lines.map((l) => l.right))];
    };
    const table = document.querySelector('table');
    const cells = [...table.rows].flatMap((r) => [...r.cells]);
    const gaps = [];
    for (const row of table.rows)
      for (let k = 1; k < row.cells.length; ++k) gaps.push(box(row.cells[k]).left - box(row.cells[k - 1]).right);
    for (let r = 1; r < table.rows.length; ++r)
      gaps.push(box(table.rows[r].cells[0]).top - box(table.rows[r - 1].cells[0]).bottom);
    const first = box(cells[0]);
    const bar = table.querySelector('table');
    const buttons = [...bar.rows[0].cells];
    return {
      mode: document.compatMode,
      width: box(table).width,
      bodyWidth: box(document.body).width,
      border: border(table),
      background: style(table, 'background-color'),
      color: style(cells[0], 'color'),
      edge: [first.left - box(table).left - parseFloat(style(table, 'border-left-width')),
        first.top - box(table).top - parseFloat(style(table, 'border-top-width'))],
      gaps,
      cellBorders: [...new Set(cells.map(border))],
      padding: [...new Set(cells.map((c) => style(c, 'padding')))],
      centring: [...table.querySelectorAll('img')].filter((i) => !bar.contains(i)).map((img) => {
        const c = box(img.closest('td'));
        return [box(img).left - c.left, c.right - box(img).right];
      }),
      head: table.rows[0].cells.length === 2 ? [...table.rows[0].cells].map(textSides) : [],
      buttonGaps: buttons.slice(1).map((c, k) => box(c).left - box(buttons[k]).right),
      bar: [...new Set(buttons.map((c) => `${style(c, 'padding')} ${style(c, 'border-top-style')}`))],
      numbers: buttons.filter((c) => c.textContent.trim()).map(textSides),
    };
  });
  await page.close();
  return look;
}

test('the table look the user chose is what the browser shows, with a doctype and without', async () => {
  const three = path.join(work, 'Drei');
  fs.mkdirSync(three);
  for (const f of fs.readdirSync(path.join(work, 'Flach')).sort().slice(0, 3))
    fs.symlinkSync(path.join(work, 'Flach', f), path.join(three, f));
  const rgb = (hex) => `rgb(${[1, 3, 5].map((k) => parseInt(hex.slice(k, k + 2), 16)).join(', ')})`;
  const text = '#203040';
  const cases = [
    // Album: a border in a colour of its own is solid, around the cells too.
    { preset: 2001, border: 3, colour: '#2a6f97', spacing: 7, padding: 5, background: '#fff3d6', width: 700,
      more: ['--columns', '2', '--rows', '1'] },
    // Page per image: a border without a colour is raised around sunken
    // cells; the table fills the page's width.
    { preset: 2002, border: 2, spacing: 4, padding: 9, width: 0, more: [] },
    // Script slideshow without a border.
    { preset: 2003, border: 0, spacing: 6, padding: 3, background: '#e8f4e8', width: 0, more: ['--no-cross-fade'] },
  ];
  for (const c of cases)
    for (const page of ['einmal.html', 'alt.html']) {
      const name = `Tabelle ${c.preset} ${page}`;
      const out = buildGallery(cli, work, path.join(work, 'Projekte', name), ['--preset', String(c.preset), '--import',
        three, '--page', path.join(work, page), '--table-border', String(c.border), '--cell-spacing',
        String(c.spacing), '--cell-padding', String(c.padding), '--table-width', String(c.width), '--text-color', text,
        '--background-color', c.background ?? 'standard', '--foreground-color', c.colour ?? 'standard', ...c.more]);
      const look = await tableLook(path.join(out, pageName(0)));
      const at = `${name} (${look.mode})`;
      assert.equal(look.mode, page === 'alt.html' ? 'BackCompat' : 'CSS1Compat');
      const colour = rgb(c.colour ?? text);
      const sides = (b) => Array(4).fill(b).join(', ');
      assert.equal(look.border, sides(`${c.border}px ${!c.border ? 'none' : c.colour ? 'solid' : 'outset'} ${colour}`),
        `${at}: table border`);
      assert.deepEqual(look.cellBorders, [sides(!c.border ? `0px none ${colour}`
        : `1px ${c.colour ? 'solid' : 'inset'} ${colour}`)], `${at}: cell borders`);
      assert.equal(look.background, c.background ? rgb(c.background) : 'rgba(0, 0, 0, 0)', `${at}: background`);
      assert.equal(look.color, rgb(text), `${at}: text colour`);
      assert.deepEqual(look.padding, [`${c.padding}px`], `${at}: cell padding`);
      assert.deepEqual(look.edge, [c.spacing, c.spacing], `${at}: spacing at the table's edge`);
      assert.ok(look.gaps.length >= 3 && look.gaps.every((g) => g === c.spacing), `${at}: spacing ${look.gaps}`);
      if (c.width) assert.equal(look.width, c.width, `${at}: table width`);
      else assert.equal(look.width, look.bodyWidth, `${at}: the table fills the page's width`);
      assert.ok(look.centring.length >= 1 && look.centring.every(([l, r]) => Math.abs(l - r) <= 1),
        `${at}: pictures centred ${JSON.stringify(look.centring)}`);
      if (c.preset !== 2001) {
        const inset = c.padding + (c.border ? 1 : 0);
        const [title, position] = look.head;
        assert.ok(Math.abs(title[0] - inset) <= 1 && title[1] > 20, `${at}: title on the left ${title}`);
        assert.ok(Math.abs(position[1] - inset) <= 1 && position[0] > 20, `${at}: position on the right ${position}`);
      }
      // The navigation bar: buttons five pixels apart with nothing around
      // them, the page numbers in the middle of their cell.
      assert.ok(look.buttonGaps.length >= 4 && look.buttonGaps.every((g) => g === 5), `${at}: ${look.buttonGaps}`);
      assert.deepEqual(look.bar, ['0px none'], `${at}: bar cells`);
      assert.ok(look.numbers.every(([l, r]) => Math.abs(l - r) <= 1), `${at}: page numbers centred ${look.numbers}`);
    }
});
