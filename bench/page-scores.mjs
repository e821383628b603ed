// Lighthouse's scores of the pages the presets for today's screens write, as a
// visitor's browser meets them on a web host: Debian's nginx on 127.0.0.1
// serves the galleries over TLS and HTTP/2 with gzip, as hosting does today;
// --plain serves them over bare HTTP/1.1 without compression instead, to show
// what the server adds. Each page is scored on a phone (390 x 844 at 3x) and
// a desktop (1280 x 800) in Debian's headless Chromium.
//
//   node bench/page-scores.mjs [--plain] [--runs N] [--presets 1004,7004,...]
//
// Two photo sets: the browser tests' pictures (twelve, many of them tiny, and
// an album of two) and twelve photographs from cameras and phones. --runs N
// scores every page N times and keeps the run with the median performance.
// Needs `scripts/setup --bench` (nginx, and Lighthouse in build/bench-tools).
import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';

import { cameraPhotos, sourceFolder } from '../tests/browser/families.mjs';
import { buildGallery } from '../tests/browser/harness.mjs';

const root = path.resolve(path.dirname(new URL(import.meta.url).pathname), '..');
const cli = path.join(root, 'build/bin/picovand-cli');
const photos = path.resolve(root, '../shared/testdata/photos');
const lighthouse = path.join(root, 'build/bench-tools/node_modules/.bin/lighthouse');

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i < 0 ? fallback : args[i + 1];
};
const plain = args.includes('--plain');
const runs = Number(option('--runs', '1'));
const presets = option('--presets', '1004,7004,4004,6004,5004').split(',');
for (const [what, file] of [['picovand-cli', cli], ['Lighthouse', lighthouse], ['the photos', photos]]) {
  if (!fs.existsSync(file)) {
    console.error(`page-scores: ${what} not found at ${file}; run scripts/setup --bench`);
    process.exit(2);
  }
}


// The pages scored per preset: the start page, an album or slide page, and a
// photo opened in the viewer by its address. n is the photo shown; the test
// set's album has its page at number 2.
const five = (n) => String(n).padStart(5, '0');
const pagesOf = {
  1004: (n, album) => ['index.html', ...(album ? ['pcv00002.htm'] : []), `pcv00000.htm#foto-pcvb${five(n)}`],
  7004: (n, album) => ['index.html', ...(album ? ['pcv00002.htm'] : []), `pcv-sld-${five(n)}.htm`,
    `pcv00000.htm#foto-pcv-sld-${five(n)}`],
  4004: (n) => ['index.html', `pcv${five(n)}.htm`, `pcv${five(n)}.htm#foto`],
  6004: (n) => ['index.html', `pcv${five(n)}.htm`, `pcv${five(n)}.htm#foto`],
  5004: (n) => ['index.html', `pcv00000.htm#foto-pcvb${five(n)}`],
};

const work = fs.mkdtempSync(path.join(os.tmpdir(), 'page-scores-'));
// nginx's workers run as an unprivileged user when the bench runs as root.
fs.chmodSync(work, 0o755);
let server;
const cleanUp = () => {
  if (server) server.kill();
  fs.rmSync(work, { recursive: true, force: true });
};
process.on('exit', cleanUp);
process.on('SIGINT', () => process.exit(130));
process.on('SIGTERM', () => process.exit(143));

// The galleries: <set>/g<preset>, built as a user builds them.
const sets = [
  // The photo shown on its own: a small picture of the test set, and a
  // detailed 1600 x 1200 camera photo.
  { name: 'test pictures', dir: 'tests', photo: 4, album: true,
    fill: (folder) => sourceFolder(photos, folder, true) },
  { name: 'camera photos', dir: 'camera', photo: 3, album: false,
    fill: (folder) => {
      fs.mkdirSync(folder, { recursive: true });
      for (const f of cameraPhotos) fs.symlinkSync(path.join(photos, f), path.join(folder, f));
    } },
];
for (const set of sets) {
  const folder = path.join(work, 'photos-' + set.dir);
  set.fill(folder);
  fs.mkdirSync(path.join(work, 'site', set.dir), { recursive: true });
  for (const preset of presets) {
    buildGallery(cli, work, path.join(work, 'site', set.dir, 'g' + preset), ['--preset', preset, '--import', folder,
      '--recursive', '--captions', 'filename', ...(set.album && /^[17]/.test(preset) ? ['--albums'] : [])]);
  }
}

const freePort = () => new Promise((resolve) => {
  const s = net.createServer().listen(0, '127.0.0.1', () => {
    const { port } = s.address();
    s.close(() => resolve(port));
  });
});

// nginx with its own configuration, in the foreground, stopped on exit.
const port = await freePort();
const conf = path.join(work, 'nginx.conf');
const listen = plain ? `listen 127.0.0.1:${port};`
  : `listen 127.0.0.1:${port} ssl http2; ssl_certificate ${work}/cert.pem; ssl_certificate_key ${work}/key.pem;`;
if (!plain) {
  execFileSync('openssl', ['req', '-x509', '-newkey', 'rsa:2048', '-nodes', '-days', '1', '-subj', '/CN=127.0.0.1',
    '-keyout', path.join(work, 'key.pem'), '-out', path.join(work, 'cert.pem')], { stdio: 'ignore' });
}
const temp = path.join(work, 'nginx-temp');
fs.mkdirSync(temp);
fs.writeFileSync(conf, `daemon off;
worker_processes 1;
pid ${work}/nginx.pid;
error_log ${work}/nginx-error.log;
events { worker_connections 64; }
http {
  include /etc/nginx/mime.types;
  access_log off;
  client_body_temp_path ${temp}; proxy_temp_path ${temp}; fastcgi_temp_path ${temp};
  uwsgi_temp_path ${temp}; scgi_temp_path ${temp};
  gzip ${plain ? 'off' : 'on'};
  gzip_types text/css application/javascript image/svg+xml;
  server { ${listen} root ${work}/site; }
}
`);
server = spawn('/usr/sbin/nginx', ['-c', conf, '-p', work], { stdio: 'ignore' });
// The bench ends when its pages are scored; nginx is stopped on the way out.
server.unref();
const base = `${plain ? 'http' : 'https'}://127.0.0.1:${port}`;
for (let i = 0; ; i++) {
  const up = await new Promise((resolve) => {
    const s = net.connect(port, '127.0.0.1', () => { s.end(); resolve(true); }).on('error', () => resolve(false));
  });
  if (up) break;
  if (i === 50) {
    console.error('page-scores: nginx did not start: ' + fs.readFileSync(path.join(work, 'nginx-error.log'), 'utf8'));
    process.exit(1);
  }
  await new Promise((r) => setTimeout(r, 100));
}

const devices = {
  phone: ['--form-factor=mobile', '--screenEmulation.mobile', '--screenEmulation.width=390',
    '--screenEmulation.height=844', '--screenEmulation.deviceScaleFactor=3'],
  desktop: ['--preset=desktop', '--screenEmulation.width=1280', '--screenEmulation.height=800',
    '--screenEmulation.deviceScaleFactor=1'],
};
const categories = ['performance', 'accessibility', 'best-practices', 'seo'];

function score(url, device) {
  const out = execFileSync(lighthouse, [url, ...devices[device], '--quiet', '--output=json', '--output-path=stdout',
    '--max-wait-for-load=60000', '--chrome-flags=--headless=new --no-sandbox --ignore-certificate-errors'],
  { env: { ...process.env, CHROME_PATH: '/usr/bin/chromium' }, maxBuffer: 256 << 20, timeout: 180000 });
  const r = JSON.parse(out);
  const a = r.audits;
  const failed = categories.filter((c) => c !== 'performance').flatMap((c) => r.categories[c].auditRefs)
    .filter((ref) => ref.weight > 0 && a[ref.id].score !== null && a[ref.id].score < 1).map((ref) => ref.id);
  return {
    scores: categories.map((c) => Math.round(r.categories[c].score * 100)),
    lcp: Math.round(a['largest-contentful-paint'].numericValue),
    cls: a['cumulative-layout-shift'].numericValue,
    kib: Math.round(a['total-byte-weight'].numericValue / 1024),
    failed,
  };
}

console.log(`served by nginx ${plain ? 'over HTTP/1.1 without compression' : 'over TLS and HTTP/2 with gzip'}; ` +
  `${runs} run(s) per page, the median performance kept`);
console.log('set            preset  page                                device   perf a11y  bp  seo  LCP ms  CLS    KiB  failed audits');
const worst = {};
for (const set of sets) {
  for (const preset of presets) {
    for (const page of pagesOf[preset](set.photo, set.album)) {
      for (const device of Object.keys(devices)) {
        const where = [set.name.padEnd(14), preset.padEnd(6), page.padEnd(35), device.padEnd(7)];
        let all;
        try {
          all = Array.from({ length: runs }, () => score(`${base}/${set.dir}/g${preset}/${page}`, device));
        } catch (e) {
          console.log([...where, 'not scored:', String(e.stderr || e.message).trim()].join(' '));
          process.exitCode = 1;
          continue;
        }
        all.sort((x, y) => x.scores[0] - y.scores[0]);
        const r = all[Math.floor(runs / 2)];
        r.scores.forEach((s, i) => { worst[categories[i]] = Math.min(worst[categories[i]] ?? 100, s); });
        console.log([...where, ...r.scores.map((s) => String(s).padStart(4)), String(r.lcp).padStart(6), r.cls.toFixed(3),
          String(r.kib).padStart(5), r.failed.join(',')].join(' '));
      }
    }
  }
}
console.log('lowest: ' + categories.map((c) => `${c} ${worst[c]}`).join(', '));
