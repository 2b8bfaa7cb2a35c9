// Converts every corpus drawing and a generated large plan in the page, in Debian's chromium,
// and compares with the command line; compares the page's code page 932 decoder with the
// native one over every one- and two-byte sequence; prints the page's speed against
// velmora-cli's. Exit 77 (skipped) without chromium, puppeteer-core, the page or the corpus.
// Usage: node browser-test.mjs DIST VELMORA_CLI CORPUS VELMORA_WEB_CHECK [SCREENSHOT]
import { spawnSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const [dist, cli, corpus, tool, screenshot] = process.argv.slice(2);
const SKIP = 77;
const chromium = process.env.CHROMIUM || '/usr/bin/chromium';
function skip(why) {
  console.log('SKIPPED: ' + why);
  process.exit(SKIP);
}
if (!fs.existsSync(chromium)) skip('no chromium');
if (!fs.existsSync(path.join(dist || '', 'velmora.wasm'))) skip('no web/dist (tools/build-web.sh)');
if (!fs.existsSync(cli || '')) skip('no velmora-cli');
if (!fs.existsSync(corpus || '')) skip('no corpus');
if (!fs.existsSync(tool || '')) skip('no velmora-web-check');
let puppeteer;
try {
  puppeteer = (await import('puppeteer-core')).default;
} catch (e) {
  skip('no puppeteer-core (npm ci in tests/web)');
}

let failures = 0;
function check(ok, what) {
  if (!ok) {
    failures++;
    console.log('FAIL: ' + what);
  }
}

const files = fs.readdirSync(corpus).filter((f) => /\.(jww|jws|jwc|jwk)$/i.test(f)).sort();
const paths = files.map((f) => path.join(corpus, f));
const sizes = new Set(files.map((f) => fs.statSync(path.join(corpus, f)).size));

// A static server that records every request and whether it carried a body.
const served = [];
const types = { '.html': 'text/html', '.js': 'text/javascript', '.mjs': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  let body = 0;
  req.on('data', (c) => (body += c.length));
  req.on('end', () => {
    served.push({ method: req.method, url: req.url, body });
    const rel = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    const file = path.join(path.resolve(dist), rel === '/' ? 'index.html' : rel);
    if (!file.startsWith(path.resolve(dist)) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      if (!rel.endsWith('favicon.ico')) console.log('not found: ' + rel);
      res.writeHead(404);
      res.end();
      return;
    }
    // Cross-origin isolated, so that the stop button reaches the worker during a run; "/?plain"
    // is the page as a plain static server gives it.
    const isolated = !req.url.includes('?plain');
    res.writeHead(200, {
      'Content-Type': types[path.extname(file)] || 'application/octet-stream',
      ...(isolated ? { 'Cross-Origin-Opener-Policy': 'same-origin', 'Cross-Origin-Embedder-Policy': 'require-corp' } : {}),
    });
    res.end(fs.readFileSync(file));
  });
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const origin = `http://127.0.0.1:${server.address().port}`;

const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-chromium-'));
const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync',
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader', `--user-data-dir=${profile}`],
});
const requests = [];
const page = await browser.newPage();
await page.setViewport({ width: 1400, height: 900 });
page.on('request', (r) => requests.push({ url: r.url(), method: r.method(), post: r.postData() || '' }));
page.on('console', (m) => m.type() === 'error' && console.log('console: ' + m.text()));
page.on('pageerror', (e) => check(false, 'page error: ' + e.message));
await page.goto(origin + '/', { waitUntil: 'load' });

// Strips the folders: the page converts in memory, the command line in real folders.
function shape(lines) {
  return lines.map((l) => l.replace(/^(→ )?\/.*\//, '$1').replace(/^(→ )?.*[\\/]/, '$1'));
}

// Time stamps are the only thing allowed to differ: they are blanked in the head of a document.
const STAMPS = /<(created|modified)>[^<]*<\/\1>/g;
function normalise(buf) {
  const head = buf.subarray(0, 4096).toString('latin1').replace(STAMPS, '<$1/>');
  return Buffer.concat([Buffer.from(head, 'latin1'), buf.subarray(4096)]);
}
const sha256 = (buf) => crypto.createHash('sha256').update(normalise(buf)).digest('hex');

// Converts the files in the page. With `hashes`, the outputs come back as digests of their
// normalised bytes (large ones), otherwise in full.
async function runInPage(format, list, { hashes = false, watch = false } = {}) {
  await page.select('#ComboBox3', String(format));
  await page.evaluate(() => document.getElementById('settings').dispatchEvent(new Event('change')));
  // The longest the page's own thread stays busy during the run: the worker must keep it free.
  if (watch) {
    await page.evaluate(() => {
      window.velmoraGap = 0;
      let last = performance.now();
      window.velmoraTick = setInterval(() => {
        if (document.body.dataset.state === 'done') return; // the preview shown after it is not the run's
        const now = performance.now();
        window.velmoraGap = Math.max(window.velmoraGap, now - last);
        last = now;
      }, 5);
    });
  }
  const input = await page.$('#files');
  await input.uploadFile(...list);
  await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 300000 });
  return page.evaluate(async (hashes) => {
    clearInterval(window.velmoraTick);
    const lines = [...document.querySelectorAll('#log li')].map((li) => li.textContent);
    const outs = [];
    for (const a of document.querySelectorAll('#downloads a')) {
      let buf = new Uint8Array(await (await fetch(a.href)).arrayBuffer());
      if (hashes) {
        const n = Math.min(4096, buf.length);
        const head = String.fromCharCode(...buf.subarray(0, n)).replace(/<(created|modified)>[^<]*<\/\1>/g, '<$1/>');
        const norm = new Uint8Array(head.length + buf.length - n);
        for (let i = 0; i < head.length; i++) norm[i] = head.charCodeAt(i);
        norm.set(buf.subarray(n), head.length);
        const digest = new Uint8Array(await crypto.subtle.digest('SHA-256', norm));
        outs.push({ name: a.download, sha256: [...digest].map((b) => b.toString(16).padStart(2, '0')).join('') });
        continue;
      }
      let s = '';
      for (let i = 0; i < buf.length; i += 0x8000) s += String.fromCharCode(...buf.subarray(i, i + 0x8000));
      outs.push({ name: a.download, b64: btoa(s) });
    }
    return { lines, outs, ms: Number(document.body.dataset.runMs), gap: window.velmoraGap || 0 };
  }, hashes);
}

// The page's 3D view of the last output of a run; waits until the page has drawn it.
async function previewOf(name) {
  await page.waitForFunction((n) => document.body.dataset.preview === n, { timeout: 120000 }, name);
  return page.evaluate(() => {
    const c = document.getElementById('canvas');
    const img = new Image();
    return new Promise((res) => {
      img.onload = () => {
        const k = document.createElement('canvas');
        k.width = c.width;
        k.height = c.height;
        const g = k.getContext('2d');
        g.drawImage(img, 0, 0);
        const d = g.getImageData(0, 0, k.width, k.height).data;
        let ink = 0;
        for (let i = 0; i < d.length; i += 4) if (d[i] < 250 || d[i + 1] < 250 || d[i + 2] < 250) ink++;
        res({ ink, layers: [...document.querySelectorAll('#layers li')].map((li) => li.textContent) });
      };
      img.src = c.toDataURL('image/png');
    });
  });
}

function glbLayers(file) {
  const glb = fs.readFileSync(file);
  const json = JSON.parse(glb.subarray(20, 20 + glb.readUInt32LE(12)).toString('utf8'));
  const root = json.nodes[json.scenes[json.scene || 0].nodes[0]];
  return (root.children || []).map((i) => json.nodes[i].name);
}

function runCli(format, list, out = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-cli-'))) {
  const t0 = process.hrtime.bigint();
  const r = spawnSync(cli, [`--format=${format}`, '-o', out, ...list], { encoding: 'utf8' });
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  return { out, lines: r.stdout.split(/\r?\n/).filter((l) => l), ms };
}

const formats = [['dae', 0], ['dae-compact', 1], ['glb', 2]];
for (const [name, index] of formats) {
  const web = await runInPage(index, paths);
  const native = runCli(name, paths);
  check(JSON.stringify(shape(web.lines)) === JSON.stringify(shape(native.lines)),
    `${name}: log lines differ\n  page: ${web.lines.join('\n        ')}\n  cli:  ${native.lines.join('\n        ')}`);
  const nativeNames = fs.readdirSync(native.out).sort();
  check(JSON.stringify(web.outs.map((o) => o.name).sort()) === JSON.stringify(nativeNames), `${name}: output names differ`);
  for (const o of web.outs) {
    const mine = Buffer.from(o.b64, 'base64');
    const theirs = path.join(native.out, o.name);
    check(fs.existsSync(theirs) && normalise(mine).equals(normalise(fs.readFileSync(theirs))), `${name}: ${o.name} differs from velmora-cli`);
  }
  // The last output is shown; a COLLADA one through a glTF made when it is shown.
  const last = web.outs[web.outs.length - 1].name;
  const shown = await previewOf(last);
  const glbOfLast = path.join(native.out, last).replace(/\.dae$/, '.glb');
  if (name !== 'glb') runCli('glb', paths, native.out);
  check(shown.ink > 100, `${name}: preview canvas is blank (${shown.ink} drawn pixels)`);
  check(JSON.stringify(shown.layers) === JSON.stringify(glbLayers(glbOfLast)),
    `${name}: layer list ${JSON.stringify(shown.layers)} is not ${JSON.stringify(glbLayers(glbOfLast))}`);
  console.log(`${name}: ${files.length} files, ${web.outs.length} outputs, page ${web.ms.toFixed(0)} ms, cli ${native.ms.toFixed(0)} ms`);
}

if (screenshot) await page.screenshot({ path: screenshot });

// The code page 932 decoder of the page against the native one, over every one- and two-byte
// sequence: a second instance of the module in the page's worker writes the table.
{
  const worker = page.workers()[0];
  const web = await worker.evaluate(async (url) => {
    const m = await (await import(url)).default({ onLog() {}, onProgress() {}, onMessage() {} });
    m.ccall('velmora_cp932_table', 'number', [], []);
    return new TextDecoder().decode(m.FS.readFile('/cp932.txt'));
  }, origin + '/velmora.mjs');
  const native = spawnSync(tool, ['cp932-table'], { encoding: 'utf8', maxBuffer: 1 << 26 }).stdout;
  const a = web.split('\n');
  const b = native.split('\n');
  const differ = a.filter((l, i) => l !== b[i]);
  check(a.length === b.length && differ.length === 0,
    `code page 932: ${differ.length} of ${b.length - 1} sequences decode otherwise in the page, e.g.\n  page: ${differ.slice(0, 8).join('\n        ')}\n  cli:  ${differ.slice(0, 8).map((l) => b[a.indexOf(l)]).join('\n        ')}`);
  console.log(`code page 932: ${b.length - 1} sequences, ${differ.length} differ`);
}

// Speed: the largest corpus drawing and a generated plan of 100 k entities, alone, best of three
// on each side, against velmora-cli in the same run. The page's time is the worker's conversion
// (the files in and out of the in-memory file system included); the command line's is the whole
// process. Also the longest pause of the page's own thread during the page's runs.
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-web-'));
const plan = path.join(work, 'plan-100k.jww');
check(spawnSync(tool, ['drawing', '100000', plan]).status === 0, 'the generated plan is not written');
const largest = paths.reduce((a, b) => (fs.statSync(a).size >= fs.statSync(b).size ? a : b));
for (const file of [largest, plan]) {
  for (const [name, index] of [['dae', 0], ['glb', 2]]) {
    let webBest = Infinity;
    let cliBest = Infinity;
    let gap = 0;
    for (let i = 0; i < 3; i++) {
      const web = await runInPage(index, [file], { hashes: true, watch: true });
      const native = runCli(name, [file]);
      webBest = Math.min(webBest, web.ms);
      cliBest = Math.min(cliBest, native.ms);
      gap = Math.max(gap, web.gap);
      if (i > 0) continue;
      const o = web.outs[0];
      const theirs = o && path.join(native.out, o.name);
      check(o && fs.existsSync(theirs) && o.sha256 === sha256(fs.readFileSync(theirs)),
        `speed ${name}: ${path.basename(file)} differs from velmora-cli`);
    }
    console.log(`speed ${name}: ${path.basename(file)} (${(fs.statSync(file).size / 1024).toFixed(0)} KiB) page ${webBest.toFixed(0)} ms, ` +
      `velmora-cli ${cliBest.toFixed(0)} ms, ratio ${(webBest / cliBest).toFixed(2)}; page thread busy at most ${gap.toFixed(0)} ms`);
  }
}

// The stop button, pressed as the run starts. Cross-origin isolated, the run ends before its next
// file and says so; otherwise the worker is ended at once and a new one takes the next run.
async function stopRun(page, isolated) {
  await page.select('#ComboBox3', '0');
  await page.evaluate(() => document.getElementById('settings').dispatchEvent(new Event('change')));
  check(await page.evaluate(() => self.crossOriginIsolated) === isolated, `stop: the page is ${isolated ? 'not ' : ''}isolated`);
  const input = await page.$('#files');
  await input.uploadFile(plan, ...paths);
  await page.waitForFunction(() => !document.getElementById('stop').disabled, { timeout: 60000 });
  await page.click('#stop');
  await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 300000 });
  const r = await page.evaluate(() => ({
    lines: [...document.querySelectorAll('#log li')].map((li) => li.textContent),
    outs: document.querySelectorAll('#downloads a').length,
  }));
  const last = isolated ? '[ESC]を押しましたので中断します。' : '中止しました';
  check(r.outs < paths.length + 1 && r.lines[r.lines.length - 1] === last,
    `stop (${isolated ? 'isolated' : 'plain'}): ${r.outs} outputs, log ends with ${JSON.stringify(r.lines.slice(-1))}`);
  await input.uploadFile(paths[0]);
  await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 60000 });
  const after = await page.evaluate(() => document.querySelectorAll('#downloads a').length);
  check(after === 1, `stop (${isolated ? 'isolated' : 'plain'}): the next run gives ${after} outputs`);
}
await stopRun(page, true);
{
  const plain = await browser.newPage();
  plain.on('pageerror', (e) => check(false, 'page error: ' + e.message));
  await plain.goto(origin + '/?plain', { waitUntil: 'load' });
  await stopRun(plain, false);
  await plain.close();
}
fs.rmSync(work, { recursive: true, force: true });

await browser.close();
server.close();

// No request may carry drawing data: only GETs of the page's own files, without a body.
for (const r of requests) {
  const u = new URL(r.url);
  const local = u.origin === origin || u.protocol === 'blob:' || u.protocol === 'data:';
  check(local && (r.method === 'GET' || u.protocol !== 'http:') && r.post === '', `request ${r.method} ${r.url} (${r.post.length} bytes)`);
}
for (const s of served) check(s.method === 'GET' && s.body === 0 && !sizes.has(s.body || -1), `served ${s.method} ${s.url} with ${s.body} bytes`);
console.log(`requests: ${requests.length} from the page, ${served.length} served`);
fs.rmSync(profile, { recursive: true, force: true });
console.log(failures ? `${failures} failures` : 'browser test passed');
process.exit(failures ? 1 : 0);
