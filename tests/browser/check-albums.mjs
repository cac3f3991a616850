// Builds albums with ambrelin-build for generated picture folders and opens
// every page in headless Chromium from the file system, checking what a
// visitor gets: every thumbnail and picture loads, every thumbnail leads to
// the section of its own picture, every picture links to its file, and
// descriptions, titles and templates render as the user wrote them. A camera
// folder is also served over HTTP from 127.0.0.1 without a charset.
//
// node check-albums.mjs --builder PATH --pictures PATH --work DIR
//   --builder   the ambrelin-build executable
//   --pictures  the picture generator (MakeAlbumPictures.cpp)
//   --work      a scratch folder; emptied first
// Environment: CHROMIUM (default /usr/bin/chromium). Exits 0 when every
// album passed, 1 when one failed, 77 when there is no Chromium to run.

import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

const SkipStatus = 77;
const here = path.dirname(fileURLToPath(import.meta.url));

function parseArguments(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i += 2) {
    const key = argv[i].replace(/^--/, '');
    if (!['builder', 'pictures', 'work'].includes(key) || i + 1 >= argv.length) {
      throw new Error(`unexpected argument ${argv[i]}`);
    }
    options[key] = path.resolve(argv[i + 1]);
  }
  for (const key of ['builder', 'pictures', 'work']) {
    if (!options[key]) throw new Error(`--${key} is missing`);
  }
  return options;
}

// ---------------------------------------------------------------------------
// The folders. Each case names its pictures (kind, size, name as on disk),
// descriptions, extra files, the build's options and its own checks.

const FixedEpoch = '1796656029'; // 15:07:09 UTC on 7 December 2026
const FooterStart = 'Page created using Ambrelin by Orvane, vers ';

// Width and height as stored; an orientation (1 to 8) adds an EXIF block.
function jpeg(name, width, height, orientation) {
  return { kind: orientation ? `jpeg-exif ${orientation}` : 'jpeg', name, width, height };
}
function bmp(name, width, height) {
  return { kind: 'bmp', name, width, height };
}
function ico(name) {
  return { kind: 'ico', name, width: 32, height: 32 }; // measured at the icon size
}
// The phone and messenger kinds; a turn is the HEIC's EXIF-like orientation,
// the AVIF's irot or the PNG's eXIf orientation.
function picture(kind, name, width, height, turn) {
  return { kind: turn === undefined ? kind : `${kind} ${turn}`, name, width, height };
}
// Kinds Chromium does not show: only Safari shows HEIC, HEIF and TIFF, no
// browser shows WMF and EMF.
const notInChromium = /\.(heic|heif|hif|tiff?|wmf|emf)$/i;

const crlf = (lines) => lines.map((line) => `${line}\r\n`).join('');

// One record of the description file "!.KVD": 513 bytes, a length-prefixed
// name at 0, a length-prefixed description at 256, the hidden flag at 512.
// A Buffer is stored as it is (Windows-1252 of the earlier program).
function descriptionRecord(name, description) {
  const record = Buffer.alloc(513);
  const nameBytes = Buffer.from(name, 'utf8');
  const descriptionBytes = Buffer.isBuffer(description) ? description : Buffer.from(description, 'utf8');
  if (nameBytes.length > 255 || descriptionBytes.length > 255) throw new Error('field too long');
  record[0] = nameBytes.length;
  nameBytes.copy(record, 1);
  record[256] = descriptionBytes.length;
  descriptionBytes.copy(record, 257);
  return record;
}

// Lower-case names with every character that needs care in a URL or in
// HTML text, plus letters outside ASCII.
const specialNames = [
  'a b  c.jpg',
  'track #1.jpg',
  '100% real.jpg',
  '%41%2f.jpg',
  'fish & chips.jpeg',
  "it's mine.jpg",
  'x=y.bmp',
  'crème brûlée.jpg',
  'straße über.bmp',
  'ελλάδα.jpg',
  '日本の写真.jpg',
  'what?.jpg',
  'semi;colon+plus~tilde.jpg',
  'back`tick.jpg',
  'say "cheese".jpg',
  '<b>not bold.jpg',
  'a&amp;b.jpg',
  'note:1.jpg',
  'back\\slash.jpg',
  'icon sign.ico',
];

function range(count, make) {
  return Array.from({ length: count }, (_, i) => make(i + 1));
}
const pad = (n) => String(n).padStart(3, '0');

const cases = [
  {
    name: 'special-names',
    folder: 'names & blanks #1 %20 ü',
    args: ['--title', 'Names & <i>specials</i>', '--filenames'],
    pictures: specialNames.map((name, i) =>
      name.endsWith('.bmp') ? bmp(name, 40 + i, 30) : name.endsWith('.ico') ? ico(name) : jpeg(name, 64, 48 + i),
    ),
    check(page, c, fail) {
      if (page.title !== 'Names & <i>specials</i>') fail(`title reads ${JSON.stringify(page.title)}`);
      if (page.h1Italic !== 'specials') fail('the title\'s own <i> did not become an element in the heading');
      const headings = page.sections.map((s) => s.heading);
      const smalls = page.thumbnailTables[0].cells.map((cell) => cell.caption);
      for (const name of specialNames) {
        if (!headings.includes(name)) fail(`no section heading reads ${JSON.stringify(name)}`);
        if (!smalls.includes(name)) fail(`no thumbnail caption reads ${JSON.stringify(name)}`);
      }
      if (page.boldElements !== 0) fail('a file name became HTML');
    },
  },
  {
    name: 'one-picture',
    pictures: [jpeg('only.jpg', 320, 240)],
    check(page, c, fail) {
      expectRows(page, [1], fail);
      if (page.sections[0]?.anchor !== 'AMB1') fail('the only picture is not AMB1');
    },
  },
  {
    name: 'nine-with-names',
    args: ['--filenames'],
    pictures: range(9, (n) => jpeg(`pic${n}.jpg`, 80, 60)),
    check(page, c, fail) {
      expectRows(page, [4, 4, 1], fail);
      if (page.sections.some((s) => s.heading === null)) fail('a section has no file name heading');
    },
  },
  {
    name: 'nine-without-names',
    args: ['--no-filenames'],
    pictures: range(9, (n) => jpeg(`pic${n}.jpg`, 80, 60)),
    check(page, c, fail) {
      expectRows(page, [8, 1], fail);
      if (page.sections.some((s) => s.heading !== null)) fail('a section shows a file name');
      if (page.thumbnailTables[0].cells.some((cell) => cell.caption !== '')) fail('a caption shows a file name');
    },
  },
  {
    name: 'three-hundred',
    args: ['--filenames'],
    pictures: range(300, (n) => jpeg(`p${pad(n)}.jpg`, [48, 36, 40][n % 3], [36, 48, 40][n % 3])),
    check(page, c, fail) {
      expectRows(page, Array(75).fill(4), fail);
      if (page.sections[0]?.anchor !== 'AMB300') fail('the first picture is not AMB300');
    },
  },
  {
    name: 'shapes',
    args: ['--filenames'],
    pictures: [
      jpeg('landscape.jpg', 1024, 768),
      jpeg('portrait.jpg', 600, 900),
      jpeg('square.jpg', 500, 500),
      jpeg('wide.jpg', 2000, 500),
      bmp('small.bmp', 300, 200),
      bmp('tall.bmp', 40, 100),
      ico('zicon.ico'),
    ],
    check(page, c, fail) {
      const expected = {
        'landscape.jpg': [533, 400, false],
        'portrait.jpg': [266, 400, true],
        'square.jpg': [400, 400, false],
        'wide.jpg': [768, 192, false],
        'small.bmp': [300, 200, false],
        'tall.bmp': [40, 100, true],
        'zicon.ico': [32, 32, false],
      };
      for (const s of page.sections) {
        const [w, h, portrait] = expected[s.file] ?? [];
        if (w === undefined) continue;
        if (s.picture.width !== w || s.picture.height !== h)
          fail(`${s.file}: shown ${s.picture.width} x ${s.picture.height}, expected ${w} x ${h}`);
        if (Math.round(s.picture.renderedWidth) !== w || Math.round(s.picture.renderedHeight) !== h)
          fail(`${s.file}: rendered ${s.picture.renderedWidth} x ${s.picture.renderedHeight}`);
        if ((s.picture.align === 'left') !== portrait) fail(`${s.file}: align is "${s.picture.align}"`);
        if (s.picture.centred === portrait) fail(`${s.file}: centring is wrong`);
        if (s.clearsLeft !== portrait) fail(`${s.file}: <BR Clear = Left> ${portrait ? 'missing' : 'present'}`);
      }
      for (const cell of page.thumbnailTables[0].cells) {
        if (Math.round(cell.renderedWidth) !== 75) fail(`thumbnail ${cell.src} is ${cell.renderedWidth} wide`);
      }
    },
  },
  {
    // As cameras and phones store pictures: the pixels as the sensor saw them
    // and an EXIF orientation, which the browser applies. The shape check of
    // every album does the rest; five, six and eight show as portraits.
    name: 'rotated',
    pictures: [
      jpeg('one.jpg', 640, 480, 1),
      jpeg('three.jpg', 640, 480, 3),
      jpeg('five.jpg', 640, 480, 5),
      jpeg('six.jpg', 640, 480, 6),
      jpeg('seven tall.jpg', 480, 640, 7),
      jpeg('eight.jpg', 640, 480, 8),
    ],
    check(page, c, fail) {
      const portraits = page.sections.filter((s) => s.picture?.align === 'left').map((s) => s.file);
      if (portraits.sort().join() !== 'eight.jpg,five.jpg,six.jpg') fail(`portraits: ${portraits.join(', ')}`);
    },
  },
  {
    // A folder copied from a phone, built with --all-kinds: every picture of
    // a kind Chromium shows (AVIF, WebP, PNG, GIF, JPEG) loads, turned as the
    // page says (the AVIF by irot, the PNG by its eXIf orientation), and in
    // the shape the page gives it; HEIC and TIFF are left to Safari.
    name: 'phone-folder',
    args: ['--all-kinds', '--filenames'],
    notes: (c) => [`${fs.realpathSync(c.dir)}: HEIC 1, TIFF 1 only in Safari (--publish DIR makes copies that every browser shows)`],
    pictures: [
      jpeg('img_0001.jpg', 1024, 768),
      picture('heic', 'img_0002.heic', 640, 480, 6),
      picture('avif', 'img_0003.avif', 640, 480, 1),
      picture('webp', 'sticker.webp', 320, 320),
      picture('png-exif', 'screenshot.png', 640, 480, 6),
      picture('gif', 'funny.gif', 480, 270), // larger than 400: its first frame
      picture('tiff', 'scan.tif', 425, 550),
    ],
    check(page, c, fail) {
      const expected = { 'img_0001.jpg': [533, 400, 1024, 768], 'img_0003.avif': [300, 400, 480, 640],
        'sticker.webp': [320, 320, 320, 320], 'screenshot.png': [300, 400, 480, 640], 'funny.gif': [480, 270, 480, 270],
        'img_0002.heic': [300, 400], 'scan.tif': [309, 400] };
      for (const { file, picture: p } of page.sections) {
        const [w, h, naturalW, naturalH] = expected[file] ?? [];
        if (p?.width !== w || p?.height !== h) fail(`${file}: the page gives ${p?.width} x ${p?.height}, expected ${w} x ${h}`);
        if (naturalW === undefined) continue;
        if (!p.complete || p.naturalWidth !== naturalW || p.naturalHeight !== naturalH)
          fail(`${file}: Chromium shows ${p.naturalWidth} x ${p.naturalHeight}, expected ${naturalW} x ${naturalH}`);
      }
    },
  },
  {
    name: 'descriptions',
    args: ['--no-filenames'],
    pictures: ['bold.jpg', 'fish.jpg', 'lines.jpg', 'link.jpg', 'lessmore.jpg', 'accents.jpg', 'empty.jpg', 'entity.jpg'].map(
      (name) => jpeg(name, 120, 90),
    ),
    files: {
      '!.KVD': Buffer.concat([
        descriptionRecord('bold.jpg', 'Some <b>bold</b> words'),
        descriptionRecord('FISH.JPG', 'Fish & Chips'),
        descriptionRecord('lines.jpg', 'Sunset\r\nBeach\r\nat dawn'),
        descriptionRecord('link.jpg', 'See <a id="own-link" href="#AMB1">the last one</a>'),
        descriptionRecord('lessmore.jpg', '5 < 6 > 4'),
        descriptionRecord('accents.jpg', 'Crème brûlée, 日本'),
        descriptionRecord('entity.jpg', 'Tom &amp; Jerry &lt;3'),
        descriptionRecord('gone.jpg', 'A picture no longer in the folder'),
      ]),
    },
    check(page, c, fail) {
      const byFile = Object.fromEntries(page.sections.map((s) => [s.file, s.description]));
      const expectText = (file, text) => {
        if (byFile[file]?.text !== text)
          fail(`${file}: description reads ${JSON.stringify(byFile[file]?.text)}, expected ${JSON.stringify(text)}`);
      };
      expectText('bold.jpg', 'Some bold words');
      if (byFile['bold.jpg']?.bold !== 'bold') fail('bold.jpg: <b>bold</b> did not give a <b> element');
      expectText('fish.jpg', 'Fish & Chips');
      expectText('lines.jpg', 'Sunset\nBeach\nat dawn'); // CR LF reaches the page as a line break
      if (byFile['lines.jpg']?.shown !== 'Sunset Beach at dawn') fail('lines.jpg: line breaks do not show as blanks');
      expectText('link.jpg', 'See the last one');
      if (byFile['link.jpg']?.linkHref !== '#AMB1') fail('link.jpg: the description\'s own link is lost');
      expectText('lessmore.jpg', '5 < 6 > 4');
      expectText('accents.jpg', 'Crème brûlée, 日本');
      expectText('empty.jpg', '');
      expectText('entity.jpg', 'Tom & Jerry <3');
      if (page.bodyText.includes('no longer in the folder')) fail('a record of a missing picture reached the page');
    },
  },
  {
    name: 'edited-template',
    args: ['--filenames'],
    pictures: range(5, (n) => jpeg(`t${n}.jpg`, 90, 60)),
    files: {
      'album.SRC': crlf([
        '<HTML><Head><Title>Our own page</Title></Head>',
        '<Body>',
        '<p id="intro">Our own words &amp; more</p>',
        '<!--INC Pics.INC -->',
        '<h2 id="index">Index</h2>',
        '<!--INC tn.inc -->',
        '<!--INC TN.INC --> this text goes with the marker',
        '<!--inc TN.INC -->',
        '<!--INC  TN.INC -->',
        '<!--INC Other.INC -->',
        '<p id="outro">The end</p>',
        '</Body></HTML>',
      ]),
      'Other.INC': crlf(['<p id="other">must not appear</p>']),
    },
    check(page, c, fail) {
      if (page.thumbnailTables.length !== 2) fail(`${page.thumbnailTables.length} thumbnail tables, expected 2`);
      if (page.title !== 'Our own page') fail('the edited title is lost');
      for (const id of ['intro', 'index', 'outro']) {
        if (page.ids[id] !== 1) fail(`#${id} appears ${page.ids[id] ?? 0} times`);
      }
      if (page.ids.other) fail('a marker of an unknown fragment was expanded');
      if (!page.picturesBeforeThumbnails) fail('the moved picture marker did not move the pictures');
      if (page.bodyText.includes(FooterStart)) fail('the removed footer marker still gave a footer');
      if (page.bodyText.includes('goes with the marker')) fail('text after a marker reached the page');
      for (const comment of ['inc TN.INC', 'INC  TN.INC', 'INC Other.INC']) {
        if (!page.comments.some((text) => text.trim() === comment)) fail(`the comment "${comment}" is missing`);
      }
    },
  },
  {
    name: 'email-fragment',
    pictures: [jpeg('mail.jpg', 200, 150), jpeg('more.jpg', 150, 200)],
    files: {
      'Email.Inc': crlf([
        '<p id="contact">Contact: <a href="mailto:someone@example.invalid">write to us</a>',
        '&amp; say hello</p>',
      ]),
    },
    check(page, c, fail) {
      if (page.ids.contact !== 1) fail(`#contact appears ${page.ids.contact ?? 0} times`);
      if (page.contactText !== 'Contact: write to us\n& say hello') fail(`contact reads ${JSON.stringify(page.contactText)}`);
      if (page.comments.some((text) => /^INC Email\.INC/i.test(text.trim()))) fail('the e-mail marker stayed');
      if (!page.bodyText.includes(FooterStart)) fail('the footer is missing');
    },
  },
  {
    // Not judged: the page names pictures by their lower-cased names, so on
    // a file system that tells letter case apart a picture stored as
    // Photo.JPG is not found under photo.jpg. Reported, and warned about.
    name: 'upper-case-names',
    note: true,
    warnings: ['1 picture has capital letters in its name, and the page links it in lower case, which this folder does not find: Photo.JPG (--lowercase-names renames it)'],
    pictures: [jpeg('Photo.JPG', 64, 48), jpeg('lower.jpg', 64, 48)],
  },
  {
    // A folder as a camera or phone leaves it, built with --lowercase-names,
    // opened from the disk and over HTTP without a charset.
    name: 'camera-folder',
    folder: 'Holiday',
    args: ['--lowercase-names', '--filenames', '--title', 'Café — Zürich'],
    http: true,
    pictures: [
      jpeg('DSC_0001.JPG', 1024, 768),
      jpeg('IMG_0002.JPG', 600, 900),
      jpeg('holiday.jpg', 2000, 500),
      jpeg('café au lait.jpg', 300, 200),
      jpeg('Scan0005.jpeg', 1275, 1650),
      jpeg('PXL_20260807_101500.jpg', 640, 480, 6), // a phone's portrait, stored sideways
    ],
    files: {
      '!.KVD': Buffer.concat([
        descriptionRecord('DSC_0001.JPG', 'Lever de soleil à Sète — 6 h'),
        descriptionRecord('IMG_0002.JPG', 'Zürich, Straße am See'),
        descriptionRecord('café au lait.jpg', 'Un café au lait, s’il vous plaît'),
        descriptionRecord('SCAN0005.JPEG', Buffer.from('Gr\xFC\xDFe aus K\xF6ln \x96 \x93Dom\x94 \x80', 'latin1')),
      ]),
    },
    check(page, c, fail) {
      const shown = JSON.stringify([page.title, page.h1Text, ...page.sections.map((s) => [s.heading, s.description?.shown])]);
      const expected = JSON.stringify(['Café — Zürich', 'Café — Zürich', ['café au lait.jpg', 'Un café au lait, s’il vous plaît'],
        ['dsc_0001.jpg', 'Lever de soleil à Sète — 6 h'], ['holiday.jpg', ''], ['img_0002.jpg', 'Zürich, Straße am See'],
        ['pxl_20260807_101500.jpg', ''], ['scan0005.jpeg', 'Grüße aus Köln – “Dom” €']]);
      if (shown !== expected) fail(`the page reads ${shown}`);
      for (const img of page.images) {
        const ratio = img.renderedWidth / img.renderedHeight / (img.naturalWidth / img.naturalHeight);
        if (!img.complete || img.naturalWidth <= 0) fail(`image ${img.src} did not load`);
        else if (Math.abs(ratio - 1) > 0.05) fail(`image ${img.src} is shown ${img.renderedWidth} x ${img.renderedHeight}, not in its own shape`);
      }
    },
  },
  {
    // The web copy of a camera and phone folder (ambrelin-build --publish
    // DIR --max-size 400): opened from DIR and over HTTP, every picture
    // loads in its own shape, upright, within 400 x 400, from its
    // lower-cased copy; the kinds browsers do not show, metafiles among
    // them, as JPEG or PNG copies of their own names.
    name: 'published',
    publishMaxSize: '400',
    http: true,
    args: ['--all-kinds'],
    copies: { 'img_0002.heic': 'img_0002.heic.jpg', 'scan.tif': 'scan.jpg', 'pic.avif': 'pic.jpg',
      'sticker.webp': 'sticker.jpg', 'scan.bmp': 'scan.png', 'logo.ico': 'logo.png', 'chart.wmf': 'chart.png',
      'plan.emf': 'plan.png', 'funny.gif': 'funny.png' },
    warnings: [
      '2 pictures have capital letters in their names, and the page links them in lower case, which this folder does not find: DSC_0001.JPG, IMG_0002.JPG (--lowercase-names renames them)',
    ],
    pictures: [
      jpeg('DSC_0001.JPG', 1024, 768),
      jpeg('IMG_0002.JPG', 640, 480, 6), // shown 480 x 640, published 300 x 400
      jpeg('img_0003.jpg', 480, 320, 8),
      jpeg('small.jpg', 200, 150, 3), // small enough, turned by 180 degrees
      jpeg('tiny.jpg', 160, 128, 5),
      bmp('scan.bmp', 300, 200),
      ico('logo.ico'),
      picture('heic', 'img_0002.heic', 640, 480, 6), // its JPEG's name is taken
      picture('tiff', 'scan.tif', 425, 550),
      picture('avif', 'pic.avif', 640, 480, 1),
      picture('webp', 'sticker.webp', 320, 320),
      picture('png', 'shot.png', 800, 600),
      picture('gif', 'funny.gif', 480, 270), // larger than 400: its first frame
      { kind: 'wmf', name: 'chart.wmf', width: 300, height: 150 }, // drawn at twice its size
      { kind: 'emf', name: 'plan.emf', width: 100, height: 50 },
    ],
    check(page, c, fail) {
      const expected = { 'dsc_0001.jpg': [400, 300], 'img_0002.jpg': [300, 400], 'img_0003.jpg': [267, 400],
        'small.jpg': [200, 150], 'tiny.jpg': [128, 160], 'scan.png': [300, 200], 'logo.png': [16, 16],
        'img_0002.heic.jpg': [300, 400], 'scan.jpg': [309, 400], 'pic.jpg': [300, 400], 'sticker.jpg': [320, 320],
        'shot.png': [400, 300], 'funny.png': [400, 225], 'chart.png': [400, 200], 'plan.png': [200, 100] };
      const copies = page.sections.map((s) => s.file).sort().join();
      if (copies !== Object.keys(expected).sort().join()) fail(`the page shows ${copies}`);
      for (const { file, picture: p } of page.sections) {
        if (!p?.complete || !(p.naturalWidth > 0)) {
          fail(`${file} did not load`);
          continue;
        }
        const ratio = p.renderedWidth / p.renderedHeight / (p.naturalWidth / p.naturalHeight);
        if (Math.abs(ratio - 1) > 0.05) fail(`${file} is shown ${p.renderedWidth} x ${p.renderedHeight}, not in its own shape`);
        const size = expected[file];
        if (size && (p.naturalWidth !== size[0] || p.naturalHeight !== size[1]))
          fail(`${file} is ${p.naturalWidth} x ${p.naturalHeight}, expected ${size[0]} x ${size[1]}`);
      }
    },
  },
];

// Serves folder as a plain web server would: names looked up as they are
// (letter case counts), the page as "text/html" without a charset.
async function serveFolder(folder) {
  const server = http.createServer((request, response) => {
    const file = path.join(folder, decodeURIComponent(new URL(request.url, 'http://x').pathname));
    const found = path.dirname(file) === folder && fs.existsSync(file) && fs.statSync(file).isFile();
    const types = { '.html': 'text/html', '.png': 'image/png', '.gif': 'image/gif' };
    response.writeHead(found ? 200 : 404, { 'Content-Type': types[path.extname(file)] ?? 'image/jpeg' });
    response.end(found ? fs.readFileSync(file) : '');
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return server;
}

// Checks of every default-template album: the e-mail marker without a file
// stays as an invisible comment, and the footer is there.
function defaultTemplateChecks(page, c, fail) {
  if (c.files?.['album.SRC']) return;
  if (!page.bodyText.includes(FooterStart)) fail('the footer is missing');
  if (!c.files?.['Email.Inc'] && !page.comments.some((text) => text.trim() === 'INC Email.INC'))
    fail('the e-mail marker comment is missing');
}

function expectRows(page, expected, fail) {
  const rows = page.thumbnailTables[0]?.rows ?? [];
  if (JSON.stringify(rows) !== JSON.stringify(expected))
    fail(`thumbnail rows hold ${JSON.stringify(rows)} cells, expected ${JSON.stringify(expected)}`);
}

// ---------------------------------------------------------------------------
// What the page shows, gathered inside the browser.

function gatherPage() {
  const all = Array.from(document.querySelectorAll('*'));
  const position = new Map(all.map((element, i) => [element, i]));
  const imageInfo = (img) => {
    const box = img.getBoundingClientRect();
    return {
      src: img.getAttribute('src'),
      url: img.src,
      complete: img.complete,
      naturalWidth: img.naturalWidth,
      naturalHeight: img.naturalHeight,
      width: img.getAttribute('width') === null ? null : Number(img.getAttribute('width')),
      height: img.getAttribute('height') === null ? null : Number(img.getAttribute('height')),
      align: (img.getAttribute('align') || '').toLowerCase(),
      centred: img.closest('center') !== null,
      renderedWidth: box.width,
      renderedHeight: box.height,
    };
  };

  const anchorCounts = {};
  for (const a of document.querySelectorAll('a[name]')) {
    anchorCounts[a.name] = (anchorCounts[a.name] || 0) + 1;
  }
  const ids = {};
  for (const element of document.querySelectorAll('[id]')) ids[element.id] = (ids[element.id] || 0) + 1;

  // Thumbnail tables: the tables whose cells hold a link to an anchor with
  // an image in it.
  const thumbnailTables = Array.from(document.querySelectorAll('table'))
    .filter((table) => table.querySelector('td a[href^="#AMB"] img'))
    .map((table) => {
      const rows = Array.from(table.rows).map((row) => row.cells.length);
      const cells = Array.from(table.querySelectorAll('td')).map((cell) => {
        const link = cell.querySelector('a');
        const img = cell.querySelector('img');
        return {
          href: link?.getAttribute('href') ?? null,
          src: img?.getAttribute('src') ?? null,
          url: img?.src ?? null,
          caption: cell.querySelector('small')?.textContent ?? null,
          renderedWidth: img ? img.getBoundingClientRect().width : 0,
        };
      });
      return { rows, cells, position: position.get(table) };
    });

  // Picture sections: from each anchor AMBn to the next horizontal rule.
  const sections = Array.from(document.querySelectorAll('a[name^="AMB"]')).map((anchor) => {
    const start = position.get(anchor);
    let end = all.length;
    for (let i = start + 1; i < all.length; i++) {
      if (all[i].tagName === 'HR') {
        end = i;
        break;
      }
    }
    const inside = all.slice(start + 1, end);
    const heading = inside.find((e) => e.tagName === 'H3');
    const link = inside.find((e) => e.tagName === 'A' && e.hasAttribute('href') && e.querySelector('img'));
    const img = link?.querySelector('img');
    // The description is the last centred block that holds neither the
    // picture nor the heading.
    const centres = inside.filter((e) => e.tagName === 'CENTER' && !e.querySelector('img, h3'));
    const description = centres.length ? centres[centres.length - 1] : null;
    return {
      anchor: anchor.name,
      heading: heading ? heading.textContent : null,
      href: link?.getAttribute('href') ?? null,
      hrefUrl: link?.href ?? null,
      file: img ? decodeURIComponent(img.getAttribute('src')) : null,
      picture: img ? imageInfo(img) : null,
      clearsLeft: inside.some((e) => e.tagName === 'BR' && (e.getAttribute('clear') || '').toLowerCase() === 'left'),
      description: description && {
        text: description.textContent,
        shown: description.innerText,
        bold: description.querySelector('b')?.textContent ?? null,
        linkHref: description.querySelector('a')?.getAttribute('href') ?? null,
      },
    };
  });

  const comments = [];
  const walker = document.createTreeWalker(document, NodeFilter.SHOW_COMMENT);
  while (walker.nextNode()) comments.push(walker.currentNode.data);

  const firstSection = document.querySelector('a[name^="AMB"]');
  const background = document.body?.getAttribute('background');
  return {
    title: document.title,
    backgroundUrl: background ? new URL(background, document.baseURI).href.split('#')[0] : null,
    h1Italic: document.querySelector('h1 i')?.textContent ?? null,
    h1Text: document.querySelector('h1')?.innerText ?? null,
    boldElements: document.querySelectorAll('h3 b, small b').length,
    images: Array.from(document.images).map(imageInfo),
    anchorCounts,
    ids,
    thumbnailTables,
    sections,
    comments,
    bodyText: document.body ? document.body.innerText : '',
    contactText: document.getElementById('contact')?.textContent ?? null,
    picturesBeforeThumbnails:
      firstSection !== null &&
      thumbnailTables.length > 0 &&
      position.get(firstSection) < thumbnailTables[0].position,
  };
}

// ---------------------------------------------------------------------------
// The checks every album must pass.

function commonChecks(page, c, folder, failedRequests, fail) {
  // The names the page links: a published copy's where its kind changed.
  const pictureNames = c.pictures.map((p) => c.copies?.[p.name.toLowerCase()] ?? p.name.toLowerCase()).sort();

  for (const img of page.images) {
    if (notInChromium.test(img.src)) continue;
    if (!img.complete || img.naturalWidth <= 0) fail(`image ${img.src} did not load`);
  }
  // The default template's body tag reads <Body Background= Text="#000000">:
  // with nothing after "Background=", the browser takes Text="#000000" as
  // the background image's address and asks for a file named Text=". That
  // request fails in every album made from the default template.
  for (const url of failedRequests) {
    if (url.split('#')[0] !== page.backgroundUrl) fail(`request failed: ${decodeURI(url)}`);
  }

  for (const [name, count] of Object.entries(page.anchorCounts)) {
    if (name.startsWith('AMB') && count !== 1) fail(`anchor ${name} appears ${count} times`);
  }
  const expectedAnchors = pictureNames.map((_, i) => `AMB${i + 1}`).sort();
  const anchors = Object.keys(page.anchorCounts).filter((n) => n.startsWith('AMB')).sort();
  if (JSON.stringify(anchors) !== JSON.stringify(expectedAnchors))
    fail(`anchors ${anchors.length}, expected AMB1 to AMB${pictureNames.length}`);

  const sectionByAnchor = new Map(page.sections.map((s) => [s.anchor, s]));
  if (page.thumbnailTables.length === 0) fail('no thumbnail table');
  for (const table of page.thumbnailTables) {
    const cellFiles = table.cells.map((cell) => decodeURIComponent(cell.src ?? '')).sort();
    if (JSON.stringify(cellFiles) !== JSON.stringify(pictureNames))
      fail(`the thumbnail table shows ${cellFiles.length} pictures, expected ${pictureNames.length}`);
    for (const cell of table.cells) {
      const target = cell.href?.startsWith('#') ? sectionByAnchor.get(cell.href.slice(1)) : undefined;
      if (!target) {
        fail(`thumbnail ${cell.src} links to ${cell.href}, which is no picture section`);
      } else if (target.picture?.url !== cell.url) {
        fail(`thumbnail ${cell.src} leads to the section of ${target.picture?.src}`);
      }
    }
  }

  const sectionFiles = page.sections.map((s) => s.file).sort();
  if (JSON.stringify(sectionFiles) !== JSON.stringify(pictureNames))
    fail(`the picture sections show ${JSON.stringify(sectionFiles)}, expected ${JSON.stringify(pictureNames)}`);
  for (const s of page.sections) {
    if (!s.hrefUrl?.startsWith('file:')) {
      fail(`${s.anchor}: the picture has no link`);
      continue;
    }
    const target = fileURLToPath(s.hrefUrl);
    if (!fs.existsSync(target) || !fs.statSync(target).isFile()) {
      fail(`${s.anchor}: the link ${s.href} leads to no file`);
    } else if (path.dirname(target) !== folder || path.basename(target) !== s.file) {
      fail(`${s.anchor}: the link ${s.href} leads to ${target}`);
    }
    if (s.picture && s.picture.url !== s.hrefUrl) fail(`${s.anchor}: the picture links to another file`);
  }

  // Every picture is shown in its own shape: the ratio of the shown width and
  // height is the picture's as the browser draws it (turned upright by its
  // EXIF orientation), give or take 5 %.
  for (const { file, picture: p } of page.sections) {
    if (!p || !(p.naturalHeight > 0 && p.renderedHeight > 0)) continue;
    const ratio = p.renderedWidth / p.renderedHeight / (p.naturalWidth / p.naturalHeight);
    if (Math.abs(ratio - 1) > 0.05)
      fail(`${file}: shown ${p.renderedWidth} x ${p.renderedHeight}, the picture is ${p.naturalWidth} x ${p.naturalHeight}`);
  }
}

// ---------------------------------------------------------------------------

function run(command, args, options = {}) {
  const result = spawnSync(command, args, { encoding: 'utf8', ...options });
  if (result.error) throw result.error;
  return result;
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const chromiumPath = process.env.CHROMIUM || '/usr/bin/chromium';
  if (!fs.existsSync(chromiumPath)) {
    console.log(`SKIP: no Chromium at ${chromiumPath} (scripts/setup.sh installs the Debian package)`);
    return SkipStatus;
  }
  let chromium;
  try {
    ({ chromium } = await import(path.join(here, 'node_modules', 'playwright-core', 'index.mjs')));
  } catch (error) {
    console.log(`playwright-core is not installed in ${here}: run scripts/setup.sh (${error.message})`);
    return 1;
  }

  const started = Date.now();
  fs.rmSync(options.work, { recursive: true, force: true });
  fs.mkdirSync(options.work, { recursive: true });

  // Folders, extra files and the picture generator's work list.
  const pictureLines = [];
  for (const c of cases) {
    c.dir = path.join(options.work, c.folder ?? c.name);
    fs.mkdirSync(c.dir, { recursive: true });
    for (const p of c.pictures) {
      const target = path.join(c.dir, p.name);
      pictureLines.push(p.kind === 'ico' ? `ico ${target}` : `${p.kind} ${p.width} ${p.height} ${target}`);
    }
    for (const [name, content] of Object.entries(c.files ?? {})) fs.writeFileSync(path.join(c.dir, name), content);
  }
  // Sanitizer builds of the tools: Qt's own allocations that live until
  // exit are no leaks of ours.
  const toolEnv = { ...process.env, ASAN_OPTIONS: process.env.ASAN_OPTIONS ?? 'detect_leaks=0' };
  const made = run(options.pictures, [], { input: pictureLines.join('\n') + '\n', env: toolEnv });
  if (made.status !== 0) throw new Error(`the picture generator failed: ${made.stderr}`);

  const buildEnv = { ...toolEnv, SOURCE_DATE_EPOCH: FixedEpoch, LC_ALL: 'C.UTF-8' };
  const profile = fs.mkdtempSync(path.join(options.work, 'chromium-profile-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: chromiumPath,
    headless: true,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });

  let passed = 0;
  let failed = 0;
  try {
    for (const c of cases) {
      const problems = [];
      const fail = (text) => problems.push(text);
      // A published album is opened from the folder it was published to.
      const published = c.publishMaxSize && path.join(options.work, `${c.name}-web`);
      const publishArgs = published ? ['--publish', published, '--max-size', c.publishMaxSize] : [];
      const built = run(options.builder, [...(c.args ?? []), ...publishArgs, c.dir], { env: buildEnv });
      const pageFolder = published || c.dir;
      // Standard error holds the case warning and the notes this folder
      // expects, nothing else.
      const warnings =
        (c.warnings ?? []).map((text) => `ambrelin-build: warning: ${fs.realpathSync(c.dir)}: ${text}\n`).join('') +
        (c.notes?.(c) ?? []).map((text) => `ambrelin-build: note: ${text}\n`).join('');
      if (built.status === 0 && built.stderr !== warnings) fail(`standard error reads ${JSON.stringify(built.stderr)}`);
      const pageLine = built.stdout.trim().split('\n').pop();
      if (built.status !== 0 || !pageLine || !fs.existsSync(pageLine)) {
        fail(`ambrelin-build exited ${built.status}: ${built.stderr.trim()}`);
      } else {
        const page = await context.newPage();
        const failedRequests = [];
        page.on('requestfailed', (request) => failedRequests.push(request.url()));
        await page.goto(pathToFileURL(pageLine).href, { waitUntil: 'load', timeout: 30000 });
        const shown = await page.evaluate(gatherPage);
        await page.close();
        if (c.note) {
          const broken = shown.images.filter((img) => !img.complete || img.naturalWidth <= 0);
          console.log(
            `note - ${c.name}: ${broken.length} of ${shown.images.length} images do not load ` +
              `(${[...new Set(broken.map((img) => img.src))].join(', ')})`,
          );
        } else {
          commonChecks(shown, c, pageFolder, failedRequests, fail);
          defaultTemplateChecks(shown, c, fail);
          c.check?.(shown, c, fail);
        }
        if (c.http) {
          const server = await serveFolder(pageFolder);
          const served = await context.newPage();
          await served.goto(`http://127.0.0.1:${server.address().port}/${path.basename(pageLine)}`, { waitUntil: 'load' });
          c.check(await served.evaluate(gatherPage), c, (text) => fail(`over HTTP: ${text}`));
          await served.close();
          server.close();
        }
      }
      if (problems.length === 0) {
        passed++;
        console.log(`ok - ${c.name} (${c.pictures.length} picture${c.pictures.length === 1 ? "" : "s"})`);
      } else {
        failed++;
        console.log(`not ok - ${c.name}`);
        for (const text of problems.slice(0, 20)) console.log(`    ${text}`);
        if (problems.length > 20) console.log(`    ... and ${problems.length - 20} more`);
      }
    }
  } finally {
    await context.close();
  }
  console.log(`${((Date.now() - started) / 1000).toFixed(1)} s with Chromium ${context.browser()?.version() ?? ''}`);
  console.log(`${passed} passed, ${failed} failed`);
  return failed === 0 ? 0 : 1;
}

main().then(
  (status) => process.exit(status),
  (error) => {
    console.error(error);
    process.exit(1);
  },
);
