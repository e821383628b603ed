// What the browser tests of the slideshow and own-page project types share:
// the source folder they build from, its expected order and captions, and the
// walk through a script slideshow.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';

import { openSlideshow, plainPath } from './harness.mjs';

const sources = ['exif_nikon_d300_progressive.jpeg', 'iptc_caption_nikon_d1x_reagan.jpg',
  'comment_iptc_description_all_different.jpg', 'bmpsuite_rgb24.bmp', 'palette_transparent.gif', 'watermark_rgba.png',
  'psd_rgb8_2layers_hopper.psd', 'tiff_rgba8_exif_iptc_reagan.tiff', 'exif_nokia_n70_iptc_keywords.jpg',
  'exif_kodak_dc210_comment.jpg'];

// Built with --captions filename, so every caption is its file's name: one of
// them holds quotes, an apostrophe, a backslash and a line break.
export const oddCaption = '07 Sie sagte "Käse" \\ und\nging\'s heim';
const topNames = ['01 Hafen', '02 Strand', '03 Düne', '04 Möwe', '05 Leuchtturm', '06 Watt', oddCaption, '08 Deich',
  '09 Kutter', '10 Netz', '11 Sonne', '12 Abend'];
export const albumName = 'Rom & Paris';
const albumNames = ['r1 Forum', 'r2 Seine'];

// Twelve photos from cameras and phones, from 167 to 4608 pixels wide.
export const cameraPhotos = ['exif_canon_g9_imagedescription.jpg', 'exif_canon_powershot_sd300.jpg', 'exif_casio_exm2.jpg',
  'exif_kodak_dc210_comment.jpg', 'exif_nikon_d300_progressive.jpeg', 'exif_nokia_n70_iptc_keywords.jpg',
  'iptc_caption_nikon_d1x_reagan.jpg', 'large_9mp_nokia_8_3.jpg', 'orientation6_canon_sx60.jpg',
  'portrait_nikon_d70s.jpg', 'comment_iptc_description_all_different.jpg', 'tiff_rgba8_exif_iptc_reagan.tiff'];

// Writes the source folder: twelve pictures and, with album, a sub-folder
// of two more (it sorts after the pictures). Returns the records the folder
// import makes of it, in list order, with image numbers and captions.
export function sourceFolder(photos, folder, album) {
  fs.mkdirSync(folder, { recursive: true });
  const records = [];
  let n = 0;
  const add = (dir, names, albumPath) => {
    for (const name of names) {
      const source = sources[n % sources.length];
      fs.symlinkSync(path.join(photos, source), path.join(dir, name + path.extname(source)));
      records.push({ caption: name, albumPath, number: n++ });
    }
  };
  add(folder, topNames, '/');
  if (album) {
    fs.mkdirSync(path.join(folder, albumName));
    records.push({ isAlbum: true, albumPath: '/', name: albumName });
    add(path.join(folder, albumName), albumNames, `/${albumName}`);
  }
  return records;
}

// The web path of an image's output in one size (prefix pcva, pcvb or pcvc).
export const picture = (r, prefix, extension = 'jpg') =>
  `images${r.albumPath === '/' ? '' : r.albumPath}/${prefix}${String(r.number).padStart(5, '0')}.${extension}`;

export const pageName = (n) => `pcv${String(n).padStart(5, '0')}.htm`;
export const slideName = (n) => `pcv-sld-${String(n).padStart(5, '0')}.htm`;

// Walks the slideshow at url through every control and its timer. slides
// are the image records in order; duration is slideDurationMs.
export async function checkScriptSlideshow(context, url, slides, { duration, fade }) {
  const show = await openSlideshow(context, url);
  const n = slides.length;
  const at = async (i, how) => {
    await show.waitForCounter(`${i + 1}/${n}`);
    const s = await show.state();
    assert.equal(s.caption, slides[i].caption, `${how}: caption`);
    assert.ok(plainPath(new URL(s.src).pathname).endsWith(`/${picture(slides[i], 'pcva')}`), `${how}: picture ${s.src}`);
  };
  const step = async (fn, i, how) => {
    await show.click(fn);
    await at(i, how);
  };

  await at(0, 'start');
  await step('PicoVand_gonext', 1, 'next');
  await step('PicoVand_gofirst', 0, 'first');
  await step('PicoVand_goback', n - 1, 'back from the first slide wraps to the last');
  await step('PicoVand_gonext', 0, 'next from the last slide wraps to the first');
  await step('PicoVand_golast', n - 1, 'last');
  await step('PicoVand_gofirst', 0, 'first again');
  const odd = slides.findIndex((s) => s.caption === oddCaption);
  for (let i = 1; i <= odd; ++i) await step('PicoVand_gonext', i, `next to slide ${i + 1}`);
  let current = odd;

  if (fade) {
    // The picture fades out and in again, and ends fully opaque.
    const opacities = await show.page.evaluate(() => new Promise((done) => {
      const img = document.getElementById('PicoVand_Image');
      const seen = [];
      const start = performance.now();
      PicoVand_gonext();
      (function sample() {
        seen.push(Number(getComputedStyle(img).opacity));
        if (performance.now() - start < 800) requestAnimationFrame(sample);
        else done(seen);
      })();
    }));
    current += 1;
    await at(current, 'after the cross-fade');
    assert.ok(Math.min(...opacities) < 0.5, `the picture never faded: ${opacities}`);
    assert.equal(opacities.at(-1), 1, 'the cross-fade ends at full opacity');
    assert.equal((await show.state()).opacity, 1);
  }

  // Play advances at once, then every duration milliseconds; stop stops.
  await show.page.evaluate(() => {
    window.pvChanges = [];
    new MutationObserver(() => window.pvChanges.push([performance.now(),
      document.getElementById('PicoVand_Counter').textContent]))
      .observe(document.getElementById('PicoVand_Counter'), { childList: true, characterData: true, subtree: true });
  });
  const expected = (k) => `${((current + k) % n) + 1}/${n}`;
  await show.click('PicoVand_play');
  await show.waitForCounter(expected(3), duration * 2 + 3000);
  await show.click('PicoVand_stop');
  const stoppedAt = await show.page.evaluate(() => performance.now());
  await show.page.waitForTimeout(duration * 2.5);
  const changes = await show.page.evaluate(() => window.pvChanges);
  const shown = [...new Set(changes.map(([, text]) => text))];
  assert.deepEqual(shown.slice(0, 3), [expected(1), expected(2), expected(3)], 'play shows the following slides in turn');
  const first = (text) => changes.find(([, t]) => t === text)[0];
  for (const k of [2, 3]) {
    const gap = first(expected(k)) - first(expected(k - 1));
    assert.ok(gap > duration * 0.8 && gap < duration + 600, `slide ${k} after ${gap} ms, not about ${duration} ms`);
  }
  // A fade already under way when stop is pressed may still finish.
  assert.deepEqual(changes.filter(([t]) => t > stoppedAt + 300), [], 'stop stops the show');
  assert.equal((await show.state()).counter, expected(3));
  assert.deepEqual(show.errors, []);
  await show.page.close();
}
