import { makeZip } from './zip.js';
import { Preview } from './preview.js';

const KEY = 'velmora.settings';
// The window's defaults on a first start.
const DEFAULTS = {
  CheckBox1: 1, CheckBox2: 1, CheckBox3: 1, CheckBox4: 1, CheckBox5: 1, CheckBox6: 0,
  ComboBox1: 0, ComboBox2: 0, ComboBox3: 0, RadioButton: 5,
  Edit2: '1', Edit3: '12', Edit4: '10', Edit5: '4', Edit6: '10', Edit7: '4',
};
const INPUT = /\.(jww|jws|jwc|jwk)$/i;

const $ = (id) => document.getElementById(id);
const form = $('settings');
const preview = new Preview($('canvas'), $('layers'), $('counts'));
const outputs = []; // {name, bytes, preview, item}
let running = false;
let total = 0;
let done = 0;
let lastFileLine = null;

function loadSettings() {
  let saved = {};
  try {
    saved = JSON.parse(localStorage.getItem(KEY) || '{}');
  } catch (e) {
    saved = {};
  }
  const s = { ...DEFAULTS, ...saved };
  for (const el of form.querySelectorAll('input, select')) {
    if (el.type === 'checkbox') el.checked = !!Number(s[el.name]);
    else if (el.type === 'radio') el.checked = String(s.RadioButton) === el.value;
    else el.value = s[el.name];
  }
}

function readSettings() {
  const s = {};
  for (const el of form.querySelectorAll('input, select')) {
    if (el.type === 'checkbox') s[el.name] = el.checked ? 1 : 0;
    else if (el.type === 'radio') { if (el.checked) s.RadioButton = Number(el.value); }
    else s[el.name] = el.value;
  }
  return s;
}

form.addEventListener('change', () => localStorage.setItem(KEY, JSON.stringify(readSettings())));
loadSettings();

let worker = null;
let stopFlag = null; // shared with the worker when the page is cross-origin isolated
let runSettings = null;
let wanted = null; // the output whose preview is asked for
let runs = 0; // counts runs and stops: a run stopped while its files are read is not sent
const log = $('log');

function addLog(line) {
  const li = document.createElement('li');
  li.textContent = line;
  log.appendChild(li);
  li.scrollIntoView({ block: 'nearest' });
  return li;
}

function baseName(path) {
  return path.slice(path.lastIndexOf('/') + 1);
}

function onWorkerMessage({ data }) {
  switch (data.type) {
    case 'log': {
      const li = addLog(data.line);
      if (data.line.startsWith('→ ')) lastFileLine = [li.previousSibling, li];
      break;
    }
    case 'progress':
      $('progressText').textContent = data.text;
      break;
    case 'message':
      alert(data.text);
      break;
    case 'output': {
      done++;
      $('progress').value = done;
      const lines = lastFileLine || [];
      const result = log.lastChild;
      if (!data.bytes) break;
      // A glTF output is its own preview; a COLLADA one gets its glTF when first shown.
      const entry = {
        name: baseName(data.output), output: data.output, input: data.input, bytes: data.bytes,
        preview: Number(runSettings.ComboBox3) === 2 ? data.bytes : null,
      };
      outputs.push(entry);
      const a = document.createElement('a');
      a.href = URL.createObjectURL(new Blob([data.bytes]));
      a.download = entry.name;
      a.textContent = entry.name;
      const li = document.createElement('li');
      li.appendChild(a);
      $('downloads').appendChild(li);
      for (const l of [...lines, result]) {
        if (!l) continue;
        l.classList.add('file');
        l.title = 'プレビュー';
        l.addEventListener('click', () => show(entry));
      }
      break;
    }
    case 'preview': {
      const entry = outputs.find((o) => o.output === data.output);
      if (!entry || !data.bytes) break;
      entry.preview = data.bytes;
      if (entry === wanted) show(entry);
      break;
    }
    case 'done':
      running = false;
      $('stop').disabled = true;
      if (outputs.length) show(outputs[outputs.length - 1]);
      $('progressText').textContent = '';
      $('zip').disabled = outputs.length === 0;
      document.body.dataset.runMs = String(data.ms);
      document.body.dataset.state = 'done';
      break;
    default:
      break;
  }
}

async function show(entry) {
  wanted = entry;
  if (!entry.preview) {
    worker.postMessage({ type: 'preview', input: entry.input, output: entry.output, settings: runSettings });
    return;
  }
  await preview.show(entry.preview, entry.name);
  if (wanted === entry) document.body.dataset.preview = entry.name;
}

function startWorker() {
  worker = new Worker('./worker.js', { type: 'module' });
  worker.onmessage = onWorkerMessage;
  worker.onerror = (e) => {
    console.error('worker: ' + (e.message || e));
    addLog('変換できません: ' + (e.message || e));
    running = false;
  };
}
startWorker();

async function convert(files) {
  const taken = files.filter((f) => INPUT.test(f.name));
  if (running || taken.length === 0) return;
  running = true;
  document.body.dataset.state = 'running';
  delete document.body.dataset.preview;
  $('stop').disabled = false;
  total = taken.length;
  done = 0;
  outputs.length = 0;
  log.textContent = '';
  $('downloads').textContent = '';
  $('zip').disabled = true;
  $('progress').max = total;
  $('progress').value = 0;
  runSettings = readSettings();
  // Without cross-origin isolation the worker cannot see a flag during the run: the stop ends it.
  stopFlag = self.crossOriginIsolated ? new Int32Array(new SharedArrayBuffer(4)) : null;
  const run = ++runs;
  const list = await Promise.all(taken.map(async (f) => ({ name: f.name, bytes: await f.arrayBuffer() })));
  if (run !== runs) return;
  worker.postMessage({ files: list, settings: runSettings, stop: stopFlag }, list.map((f) => f.bytes));
}

// The inputs are emptied after each choice, so that choosing the same files again converts them again.
for (const id of ['files', 'folder']) {
  $(id).addEventListener('change', (e) => {
    convert([...e.target.files]);
    e.target.value = '';
  });
}

// A dropped folder is walked for the files in it.
async function entryFiles(entry) {
  if (entry.isFile) return [await new Promise((res, rej) => entry.file(res, rej))];
  if (!entry.isDirectory) return [];
  const reader = entry.createReader();
  const out = [];
  for (;;) {
    const batch = await new Promise((res, rej) => reader.readEntries(res, rej));
    if (batch.length === 0) break;
    for (const e of batch) out.push(...(await entryFiles(e)));
  }
  return out;
}

const drop = $('drop');
drop.addEventListener('dragover', (e) => {
  e.preventDefault();
  drop.classList.add('over');
});
drop.addEventListener('dragleave', () => drop.classList.remove('over'));
drop.addEventListener('drop', async (e) => {
  e.preventDefault();
  drop.classList.remove('over');
  const entries = [...e.dataTransfer.items].map((i) => i.webkitGetAsEntry && i.webkitGetAsEntry()).filter((x) => x);
  const files = entries.length
    ? (await Promise.all(entries.map(entryFiles))).flat()
    : [...e.dataTransfer.files];
  convert(files);
});

$('zip').addEventListener('click', () => {
  const blob = makeZip(outputs.map((o) => ({ name: o.name, bytes: o.bytes })));
  const a = document.createElement('a');
  a.href = URL.createObjectURL(blob);
  a.download = 'velmora.zip';
  a.click();
});
$('dark').addEventListener('change', (e) => preview.setDark(e.target.checked));
$('fit').addEventListener('click', () => preview.fit());
$('stop').addEventListener('click', () => {
  if (!running) return;
  if (stopFlag) {
    Atomics.store(stopFlag, 0, 1); // the run stops before its next file and logs so
    return;
  }
  runs++;
  worker.terminate();
  startWorker();
  addLog('中止しました');
  running = false;
  $('stop').disabled = true;
  $('progressText').textContent = '';
  $('zip').disabled = outputs.length === 0;
  document.body.dataset.state = 'done';
});
