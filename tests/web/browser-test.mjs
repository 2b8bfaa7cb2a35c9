// Converts every corpus drawing in the page, in Debian's chromium, and compares with the
// command line. Exit 77 (skipped) without chromium, puppeteer-core, the page or the corpus.
// Usage: node browser-test.mjs DIST VELMORA_CLI CORPUS SCREENSHOT
import { spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';

const [dist, cli, corpus, screenshot] = process.argv.slice(2);
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
    res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
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

async function runInPage(format, list) {
  await page.select('#ComboBox3', String(format));
  await page.evaluate(() => document.getElementById('settings').dispatchEvent(new Event('change')));
  const input = await page.$('#files');
  await input.uploadFile(...list);
  await page.waitForFunction(() => document.body.dataset.state === 'done', { timeout: 20000 });
  return page.evaluate(async () => {
    const lines = [...document.querySelectorAll('#log li')].map((li) => li.textContent);
    const outs = [];
    for (const a of document.querySelectorAll('#downloads a')) {
      const buf = new Uint8Array(await (await fetch(a.href)).arrayBuffer());
      let s = '';
      for (let i = 0; i < buf.length; i += 0x8000) s += String.fromCharCode(...buf.subarray(i, i + 0x8000));
      outs.push({ name: a.download, b64: btoa(s) });
    }
    return { lines, outs, ms: Number(document.body.dataset.runMs) };
  });
}

function runCli(format, list) {
  const out = fs.mkdtempSync(path.join(os.tmpdir(), 'velmora-cli-'));
  const t0 = process.hrtime.bigint();
  const r = spawnSync(cli, [`--format=${format}`, '-o', out, ...list], { encoding: 'utf8' });
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  return { out, lines: r.stdout.split(/\r?\n/).filter((l) => l), ms };
}

// Time stamps are the only thing allowed to differ.
function normalise(buf) {
  return buf.toString('latin1').replace(/<(created|modified)>[^<]*<\/\1>/g, '<$1/>');
}

const formats = [['dae', 0], ['dae-compact', 1], ['glb', 2]];
let lastGlb = null;
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
    check(fs.existsSync(theirs) && normalise(mine) === normalise(fs.readFileSync(theirs)), `${name}: ${o.name} differs from velmora-cli`);
  }
  if (name === 'glb') lastGlb = path.join(native.out, web.outs[web.outs.length - 1].name);
  console.log(`${name}: ${files.length} files, ${web.outs.length} outputs, page ${web.ms.toFixed(0)} ms, cli ${native.ms.toFixed(0)} ms`);
}

// The preview: pixels drawn and the layers of the last document.
const preview = await page.evaluate(() => {
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
check(preview.ink > 100, `preview canvas is blank (${preview.ink} drawn pixels)`);
{
  const glb = fs.readFileSync(lastGlb);
  const json = JSON.parse(glb.subarray(20, 20 + glb.readUInt32LE(12)).toString('utf8'));
  const root = json.nodes[json.scenes[json.scene || 0].nodes[0]];
  const layers = (root.children || []).map((i) => json.nodes[i].name);
  check(JSON.stringify(layers) === JSON.stringify(preview.layers), `layer list ${JSON.stringify(preview.layers)} is not ${JSON.stringify(layers)}`);
}
if (screenshot) await page.screenshot({ path: screenshot });

// Speed: the largest drawing alone, best of three on each side.
const largest = paths.reduce((a, b) => (fs.statSync(a).size >= fs.statSync(b).size ? a : b));
let webBest = Infinity;
let cliBest = Infinity;
for (let i = 0; i < 3; i++) {
  webBest = Math.min(webBest, (await runInPage(0, [largest])).ms);
  cliBest = Math.min(cliBest, runCli('dae', [largest]).ms);
}
const limit = Number(process.env.VELMORA_WEB_SPEED_LIMIT || 2);
console.log(`speed: ${path.basename(largest)} page ${webBest.toFixed(0)} ms, velmora-cli ${cliBest.toFixed(0)} ms, ratio ${(webBest / cliBest).toFixed(2)}`);
check(webBest <= limit * cliBest, `the page takes more than ${limit} x the command line`);

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
