// Opens generated galleries in headless Chromium and reports what a visitor
// would run into: script errors, failed requests, pictures that do not
// decode and links to files that are not there. Test files of every project
// type build on these helpers.
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

export const chromiumPath = process.env.PICOVAND_CHROMIUM || '/usr/bin/chromium';

// Exit status that CTest counts as a skipped test.
export const SKIP = 77;

// The built picovand-cli and the shared test photos, as CTest passes them.
// Without the program the test fails; without the photos it is skipped.
export function buildEnvironment() {
  const cli = process.env.PICOVAND_CLI;
  const photos = process.env.PICOVAND_PHOTOS;
  if (!cli || !fs.existsSync(cli)) {
    console.error('PICOVAND_CLI does not name the built picovand-cli');
    process.exit(1);
  }
  if (!photos || !fs.existsSync(photos)) {
    console.error(`test photos not found at ${photos}: skipped`);
    process.exit(SKIP);
  }
  return { cli, photos };
}

// Loads playwright-core, or says why it cannot run here. On CI a missing
// browser or package is a failure, elsewhere the test is skipped.
export async function requireBrowser() {
  let playwright = null;
  let why = '';
  try {
    playwright = await import('playwright-core');
  } catch {
    why = 'playwright-core is not installed (scripts/setup runs npm ci)';
  }
  if (!why && !fs.existsSync(chromiumPath)) why = `no Chromium at ${chromiumPath}`;
  if (why) {
    console.error(`browser checks not run: ${why}`);
    process.exit(process.env.CI ? 1 : SKIP);
  }
  return playwright;
}

// A headless Chromium with a fresh profile that is removed on close;
// options (hasTouch, viewport) go to the browser context.
export async function openBrowser(playwright, options = {}) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'picovand-chromium-'));
  const context = await playwright.chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    viewport: { width: 1280, height: 900 },
    ...options,
    args: ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update',
      '--no-first-run'],
  });
  return {
    context,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

export const fileUrl = (file) => pathToFileURL(file).href;

// The local file a URL names (query and fragment dropped), or null.
export function localFile(url) {
  const u = new URL(url);
  if (u.protocol !== 'file:') return null;
  u.hash = '';
  u.search = '';
  try {
    return fileURLToPath(u);
  } catch {
    return u.pathname;  // a stray "%": no file has this name
  }
}

const imageFile = /\.(jpe?g|png|gif|bmp|svg|webp|avif|tiff?)$/i;

// Loads one page and waits for every picture. Returns the problems found and
// what the page shows: its pictures, its links (in document order) and its HTML.
export async function inspectPage(context, url) {
  const page = await context.newPage();
  const problems = [];
  page.on('pageerror', (e) => problems.push(`script error: ${e.message}`));
  page.on('console', (m) => {
    if (m.type() === 'error') problems.push(`console error: ${m.text()}`);
  });
  page.on('requestfailed', (r) => problems.push(`request failed: ${r.url()} (${r.failure()?.errorText})`));
  page.on('response', (r) => {
    if (r.status() >= 400) problems.push(`request failed: ${r.url()} (status ${r.status()})`);
  });
  try {
    await page.goto(url, { waitUntil: 'load' });
  } catch (e) {
    problems.push(`page cannot be opened: ${e.message.split('\n')[0]}`);
    await page.close();
    return { url, problems, title: '', html: '', images: [], links: [] };
  }
  const shown = await page.evaluate(async () => {
    const images = [...document.images];
    for (const img of images) img.loading = 'eager';
    await Promise.all(images.map((img) => (img.complete ? null : new Promise((done) => {
      img.addEventListener('load', done);
      img.addEventListener('error', done);
    }))));
    return {
      title: document.title,
      html: document.documentElement.outerHTML,
      images: images.map((i) => ({ src: i.getAttribute('src'), url: i.src, width: i.naturalWidth })),
      links: [...document.querySelectorAll('a[href]')].map((a) => ({
        href: a.getAttribute('href'),
        url: a.href,
        rel: a.rel,
        target: a.target,
        text: a.textContent.trim(),
        images: [...a.querySelectorAll('img')].map((i) => i.getAttribute('src')),
      })),
    };
  });
  for (const img of shown.images)
    if (img.width === 0) problems.push(`picture does not decode: ${img.src}`);
  const linkedPictures = new Set();
  for (const link of shown.links) {
    const file = localFile(link.url);
    if (file === null) continue;
    if (!fs.existsSync(file)) problems.push(`link to a missing file: ${link.href}`);
    else if (imageFile.test(file)) linkedPictures.add(link.url);
  }
  // A picture behind a link (the large size) must decode as well.
  const widths = await page.evaluate(async (urls) => Promise.all(urls.map((u) => new Promise((done) => {
    const img = new Image();
    img.onload = () => done([u, img.naturalWidth]);
    img.onerror = () => done([u, 0]);
    img.src = u;
  }))), [...linkedPictures]);
  for (const [u, width] of widths)
    if (width === 0) problems.push(`linked picture does not decode: ${u}`);
  await page.close();
  return { url, problems, ...shown };
}

// Visits every page reachable from start through local links to pages
// (.htm, .html) and inspects each once. Returns a Map from the page's file
// path to its inspection.
export async function crawl(context, startFile) {
  const seen = new Map();
  const queue = [path.resolve(startFile)];
  while (queue.length) {
    const file = queue.shift();
    if (seen.has(file)) continue;
    const result = await inspectPage(context, fileUrl(file));
    seen.set(file, result);
    for (const link of result.links) {
      const target = localFile(link.url);
      if (target && /\.html?$/i.test(target) && fs.existsSync(target) && !seen.has(target)) queue.push(target);
    }
  }
  return seen;
}

// Template tokens a visitor would see as raw text.
export function leftoverTokens(html) {
  return [...new Set(html.match(/CORVANE_PICOVAND_\w+|PCV_EXIF_[A-Z]+_\d+|PCV_\d{3}\w*|PCV_PREV_\w+|pcv_image_folder|##PICOVAND##/g) ?? [])];
}

// Problems of every inspected page, each prefixed with its file name.
export function allProblems(pages) {
  const out = [];
  for (const [file, result] of pages) for (const p of result.problems) out.push(`${path.basename(file)}: ${p}`);
  return out;
}

// Runs picovand-cli build with the user's own folders kept out of it; HOME
// is work. Returns the output folder. A failed build throws with the
// program's messages.
export function buildGallery(cli, work, output, args) {
  execFileSync(cli, ['build', '--output', output, ...args], {
    stdio: ['ignore', 'ignore', 'pipe'],
    env: { ...process.env, HOME: work, XDG_DATA_HOME: '', XDG_DOCUMENTS_DIR: '' },
  });
  return output;
}

// The page files a build wrote, sorted.
export const writtenPages = (output) => fs.readdirSync(output).filter((f) => /\.htm$/.test(f)).sort();

// A web path as plain text: each segment decoded.
export const plainPath = (href) => href.split('/').map(decodeURIComponent).join('/');

// The script slideshow in a browser page: its counter, caption and picture,
// and its controls clicked as a visitor clicks them.
export async function openSlideshow(context, url) {
  const page = await context.newPage();
  const errors = [];
  page.on('pageerror', (e) => errors.push(e.message));
  await page.goto(url, { waitUntil: 'load' });
  const show = {
    page,
    errors,
    state: () => page.evaluate(() => {
      const img = document.getElementById('PicoVand_Image');
      return {
        counter: document.getElementById('PicoVand_Counter').textContent,
        caption: document.getElementById('PicoVand_Comment').textContent,
        src: img.src,
        opacity: Number(getComputedStyle(img).opacity),
      };
    }),
    // Clicks the control that calls fn (a button or link with onclick).
    click: (fn) => page.click(`[onclick*="${fn}("]`),
    waitForCounter: (text, timeout = 3000) => page.waitForFunction(
      (t) => document.getElementById('PicoVand_Counter').textContent === t, text, { timeout }),
  };
  return show;
}

// Closes the browser and removes the work folder, unless PICOVAND_KEEP asks
// to keep what was built for a look.
export async function finish(browser, work) {
  await browser?.close();
  if (!work) return;
  if (process.env.PICOVAND_KEEP) console.log(`galleries kept in ${work}`);
  else fs.rmSync(work, { recursive: true, force: true });
}
