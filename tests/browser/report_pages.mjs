// Looks at report pages in headless Chromium, driven through chromedriver:
//   node report_pages.mjs DIR [PAGE]    (every DIR/*/PAGE and DIR/*/*/PAGE;
//                                        PAGE is report.html unless given,
//                                        e.g. compare.html)
// For each page: no console errors and nothing fetched; after --verify, the
// accuracy section with a row per row of verify.csv; in a full-page
// screenshot (saved as report.png, or PAGE's name with .png, beside the page;
// the window is 1400 px wide, the width the pages' rows of charts are laid
// out for) every chart's plotting area holds drawn pixels, and a report that
// has no chart says it has nothing to chart; printed to PDF by
// `chromium --print-to-pdf`, every page is A4 and every chart's title, last
// label and caption share a page; every chart file (charts/*.svg, which a
// report has and a comparison has not) parses as XML. A report's charts of
// height, settlement and profiles are saved as report-charts.png too, for the
// documentation (tools/report-screenshots.sh). Exits 77 (skipped) when a tool is missing, unless
// SLURRY1D_REQUIRE_BROWSER is set: then that is a failure.

import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import zlib from 'node:zlib';

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
const CHROME_FLAGS = ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic',
  '--no-first-run', '--disable-background-networking', '--disable-component-update',
  '--disable-sync', '--hide-scrollbars'];

function which(command) {
  return spawnSync('sh', ['-c', `command -v "${command}"`]).status === 0;
}

function fail(message) {
  console.error(message);
  process.exit(1);
}

const missing = [CHROMIUM, 'chromedriver', 'pdfinfo', 'pdftotext', 'xmllint'].filter((c) => !which(c));
if (missing.length > 0) {
  const message = `browser test: missing ${missing.join(', ')}`;
  if (process.env.SLURRY1D_REQUIRE_BROWSER) fail(`${message} (./run-tests.sh installs them)`);
  console.log(`${message}: skipped`);
  process.exit(77);
}

const root = process.argv[2];
const pageName = process.argv[3] || 'report.html';
if (!root) fail('usage: node report_pages.mjs DIR [PAGE]');
// The pages one or two levels down: DIR/*/PAGE, and DIR/*/*/PAGE for a study
// whose comparison has a directory of its own beside its runs.
const subdirs = (dir) => fs.readdirSync(dir, { withFileTypes: true }).filter((e) => e.isDirectory())
  .map((e) => path.join(dir, e.name));
const pages = subdirs(root).flatMap((d) => [d, ...subdirs(d)]).map((d) => path.join(d, pageName)).filter((p) => fs.existsSync(p)).sort();
if (pages.length === 0) fail(`no report pages under ${root}`);

// ---- chromedriver over its HTTP interface --------------------------------

async function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer();
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

async function startDriver() {
  const port = await freePort();
  const driver = spawn('chromedriver', [`--port=${port}`], { stdio: ['ignore', 'pipe', 'pipe'] });
  await new Promise((resolve, reject) => {
    const timer = setTimeout(() => reject(new Error('chromedriver did not start')), 60000);
    driver.stdout.on('data', (chunk) => {
      if (chunk.toString().includes('started successfully')) {
        clearTimeout(timer);
        resolve();
      }
    });
    driver.on('exit', (code) => reject(new Error(`chromedriver ended with ${code}`)));
  });
  return { driver, base: `http://127.0.0.1:${port}` };
}

async function call(base, method, route, body) {
  const response = await fetch(base + route, {
    method,
    headers: { 'Content-Type': 'application/json' },
    body: body === undefined ? undefined : JSON.stringify(body),
  });
  const json = await response.json();
  if (!response.ok) throw new Error(`${method} ${route}: ${JSON.stringify(json.value)}`);
  return json.value;
}

// ---- PNG pixels -----------------------------------------------------------

function decodePng(buffer) {
  let pos = 8;
  let width = 0; let height = 0; let colorType = 0; const data = [];
  while (pos < buffer.length) {
    const length = buffer.readUInt32BE(pos);
    const type = buffer.toString('ascii', pos + 4, pos + 8);
    const chunk = buffer.subarray(pos + 8, pos + 8 + length);
    if (type === 'IHDR') {
      width = chunk.readUInt32BE(0);
      height = chunk.readUInt32BE(4);
      if (chunk[8] !== 8 || chunk[12] !== 0) throw new Error('PNG: 8-bit, non-interlaced only');
      colorType = chunk[9];
    } else if (type === 'IDAT') {
      data.push(chunk);
    }
    pos += 12 + length;
  }
  const channels = { 2: 3, 6: 4 }[colorType];
  if (!channels) throw new Error(`PNG: colour type ${colorType}`);
  const raw = zlib.inflateSync(Buffer.concat(data));
  const stride = width * channels;
  const pixels = Buffer.alloc(height * stride);
  for (let y = 0; y < height; y++) {
    const filter = raw[y * (stride + 1)];
    const line = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let x = 0; x < stride; x++) {
      const a = x >= channels ? pixels[y * stride + x - channels] : 0;
      const b = y > 0 ? pixels[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? pixels[(y - 1) * stride + x - channels] : 0;
      let v = line[x];
      if (filter === 1) v += a;
      else if (filter === 2) v += b;
      else if (filter === 3) v += (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a); const pb = Math.abs(p - b); const pc = Math.abs(p - c);
        v += pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      pixels[y * stride + x] = v & 0xff;
    }
  }
  return { width, height, channels, pixels };
}

// Pixels of a curve, a marker or a label: dark, or clearly coloured; the
// white background and the light grey grid do not count.
function inkPixels(png, rect) {
  let ink = 0;
  const x0 = Math.max(0, Math.ceil(rect.x + 3)); const x1 = Math.min(png.width, Math.floor(rect.x + rect.width - 3));
  const y0 = Math.max(0, Math.ceil(rect.y + 3)); const y1 = Math.min(png.height, Math.floor(rect.y + rect.height - 3));
  for (let y = y0; y < y1; y++) {
    for (let x = x0; x < x1; x++) {
      const i = (y * png.width + x) * png.channels;
      const r = png.pixels[i]; const g = png.pixels[i + 1]; const b = png.pixels[i + 2];
      if (Math.max(r, g, b) < 170 || Math.max(r, g, b) - Math.min(r, g, b) > 60) ink++;
    }
  }
  return ink;
}

// ---- the checks -------------------------------------------------------------

const squash = (text) => text.replace(/\s+/g, ' ').trim();

function pdfPages(pdf) {
  const info = spawnSync('pdfinfo', ['-f', '1', '-l', '9999', pdf], { encoding: 'utf8' });
  if (info.status !== 0) throw new Error(`pdfinfo: ${info.stderr}`);
  const sizes = [...info.stdout.matchAll(/^Page\s+\d+ size:\s+([\d.]+) x ([\d.]+) pts/gm)].map((m) => [+m[1], +m[2]]);
  const texts = sizes.map((_, i) => {
    const out = spawnSync('pdftotext', ['-f', `${i + 1}`, '-l', `${i + 1}`, pdf, '-'], { encoding: 'utf8' });
    return squash(out.stdout);
  });
  return { sizes, texts };
}

function printToPdf(page, pdf) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'slurry1d-print-'));
  const result = spawnSync(CHROMIUM, [...CHROME_FLAGS, `--user-data-dir=${profile}`,
    `--print-to-pdf=${pdf}`, '--no-pdf-header-footer', pathToFileURL(page).href],
  { encoding: 'utf8', timeout: 120000 });
  fs.rmSync(profile, { recursive: true, force: true });
  if (!fs.existsSync(pdf)) throw new Error(`chromium --print-to-pdf wrote nothing: ${result.stderr}`);
}

const PAGE_FACTS = `
  const charts = [...document.querySelectorAll('figure.chart')].map((figure) => {
    const area = figure.querySelector('rect.plot-area').getBoundingClientRect();
    const texts = [...figure.querySelectorAll('svg text')].map((t) => t.textContent.trim()).filter((t) => t);
    return { id: figure.id, title: figure.querySelector('svg title').textContent,
             last: texts[texts.length - 1], file: figure.querySelector('figcaption').textContent,
             area: { x: area.x + scrollX, y: area.y + scrollY, width: area.width, height: area.height } };
  });
  const outside = [...document.querySelectorAll('[src], [href], link, script, img, iframe, object')]
    .map((e) => e.outerHTML.slice(0, 80));
  // The charts of the run's course, for the documentation: from the heading
  // over the first group of charts to the end of the second.
  const groups = [...document.querySelectorAll('div.charts')].slice(0, 2);
  const first = groups.length > 0 ? (groups[0].previousElementSibling || groups[0]).getBoundingClientRect() : null;
  const last = groups.length > 0 ? groups[groups.length - 1].getBoundingClientRect() : null;
  const course = first && { x: 0, y: first.top + scrollY - 8, width: document.documentElement.scrollWidth,
    height: last.bottom - first.top + 16 };
  const nothingToChart = document.querySelector('p.no-charts') !== null;
  const accuracy = document.querySelectorAll('section#accuracy table.verify tbody tr').length;
  return { charts, outside, course, accuracy, nothingToChart, fetched: performance.getEntriesByType('resource').map((r) => r.name),
           width: document.documentElement.scrollWidth, height: document.documentElement.scrollHeight };`;

async function checkPage(base, session, page, problems) {
  const name = path.relative(root, path.dirname(page));
  const say = (message) => problems.push(`${name}: ${message}`);
  await call(base, 'POST', `/session/${session}/url`, { url: pathToFileURL(page).href });
  const facts = await call(base, 'POST', `/session/${session}/execute/sync`, { script: PAGE_FACTS, args: [] });
  // A run that ended before its starting state was recorded has nothing to chart, and says so.
  if (facts.charts.length === 0 && !facts.nothingToChart) say('no chart on the page');
  if (facts.outside.length > 0) say(`refers to other resources: ${facts.outside.join(' | ')}`);
  if (facts.fetched.length > 0) say(`fetched ${facts.fetched.join(', ')}`);
  // A verified run (verify.csv beside the page) shows its accuracy, a row per output time compared.
  const verifyCsv = path.join(path.dirname(page), 'verify.csv');
  if (fs.existsSync(verifyCsv)) {
    const rows = fs.readFileSync(verifyCsv, 'utf8').trim().split('\n').length - 1;
    if (facts.accuracy !== rows) say(`the accuracy section shows ${facts.accuracy} rows, verify.csv ${rows}`);
  }

  const shot = await call(base, 'POST', `/session/${session}/goog/cdp/execute`, {
    cmd: 'Page.captureScreenshot',
    params: { format: 'png', captureBeyondViewport: true,
      clip: { x: 0, y: 0, width: facts.width, height: facts.height, scale: 1 } },
  });
  const png = Buffer.from(shot.data, 'base64');
  fs.writeFileSync(page.replace(/\.html$/, '.png'), png);
  if (pageName === 'report.html' && facts.course) {
    const course = await call(base, 'POST', `/session/${session}/goog/cdp/execute`, {
      cmd: 'Page.captureScreenshot',
      params: { format: 'png', captureBeyondViewport: true, clip: { ...facts.course, scale: 1 } },
    });
    fs.writeFileSync(path.join(path.dirname(page), 'report-charts.png'), Buffer.from(course.data, 'base64'));
  }
  const image = decodePng(png);
  for (const chart of facts.charts) {
    const ink = inkPixels(image, chart.area);
    if (ink < 30) say(`chart ${chart.id}: its plotting area holds ${ink} drawn pixels`);
  }

  const log = await call(base, 'POST', `/session/${session}/se/log`, { type: 'browser' });
  for (const entry of log) {
    if (entry.level === 'SEVERE' || entry.level === 'WARNING') say(`console: ${entry.level} ${entry.message}`);
  }

  const pdf = page.replace(/\.html$/, '.pdf');
  fs.rmSync(pdf, { force: true });
  printToPdf(page, pdf);
  const { sizes, texts } = pdfPages(pdf);
  if (sizes.length === 0) say('the PDF has no pages');
  sizes.forEach(([w, h], i) => {
    if (Math.abs(w - 595.28) > 1 || Math.abs(h - 841.89) > 1) say(`PDF page ${i + 1} is ${w} x ${h} pt, not A4`);
  });
  for (const chart of facts.charts) {
    const title = squash(chart.title);
    const onPage = texts.findIndex((t) => t.includes(title));
    if (onPage < 0) {
      say(`chart ${chart.id}: title "${title}" not found in the PDF`);
      continue;
    }
    for (const part of [chart.last, chart.file].map(squash)) {
      if (!texts[onPage].includes(part)) say(`chart ${chart.id}: "${part}" is not on page ${onPage + 1} with its title`);
    }
  }

  const chartDir = path.join(path.dirname(page), 'charts');
  const files = fs.existsSync(chartDir) ? fs.readdirSync(chartDir).filter((f) => f.endsWith('.svg')) : [];
  if (pageName === 'report.html' && files.length !== facts.charts.length) say(`${files.length} chart files for ${facts.charts.length} charts`);
  for (const file of files) {
    const lint = spawnSync('xmllint', ['--noout', path.join(path.dirname(page), 'charts', file)], { encoding: 'utf8' });
    if (lint.status !== 0) say(`charts/${file} does not parse as XML: ${lint.stderr}`);
  }
  console.log(`${name}: ${facts.charts.length} charts, ${sizes.length} A4 pages`);
}

const { driver, base } = await startDriver();
const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'slurry1d-browser-'));
const problems = [];
let session;
try {
  session = (await call(base, 'POST', '/session', {
    capabilities: { alwaysMatch: {
      browserName: 'chrome',
      'goog:chromeOptions': { binary: CHROMIUM, args: [...CHROME_FLAGS, `--user-data-dir=${profile}`, '--window-size=1400,1000'] },
      'goog:loggingPrefs': { browser: 'ALL' },
    } },
  })).sessionId;
  for (const page of pages) await checkPage(base, session, page, problems);
} catch (error) {
  problems.push(String(error.stack || error));
} finally {
  if (session) await call(base, 'DELETE', `/session/${session}`).catch(() => {});
  driver.kill();
  fs.rmSync(profile, { recursive: true, force: true });
}
for (const p of problems) console.error(p);
console.log(`${pages.length - new Set(problems.map((p) => p.split(':')[0])).size} passed, ${new Set(problems.map((p) => p.split(':')[0])).size} failed`);
process.exit(problems.length === 0 ? 0 : 1);
