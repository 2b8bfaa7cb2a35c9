// Runs the converter off the page's thread, so the page stays responsive during a run.
// Files arrive as bytes, are converted in memory and go back as bytes: nothing leaves the
// machine. The module is compiled once, when the worker starts, and serves every run.
import createVelmora from './velmora.mjs';

let current = null; // the file whose lines are being logged
let input = null; // the input of the file being logged
let quiet = null; // set while a preview or the warm-up runs: their lines are not the user's log
const pending = []; // messages that wait for the module
let mod = null;

function readOutput(FS, path) {
  try {
    return FS.readFile(path);
  } catch (e) {
    return null;
  }
}

function clearFolder(FS, dir) {
  if (!FS.analyzePath(dir).exists) return;
  for (const name of FS.readdir(dir)) {
    if (name === '.' || name === '..') continue;
    const path = dir + '/' + name;
    if (FS.isDir(FS.stat(path).mode)) {
      clearFolder(FS, path);
      FS.rmdir(path);
    } else {
      FS.unlink(path);
    }
  }
}

const ready = createVelmora({
  onLog(line) {
    if (quiet) {
      if (line.startsWith('→ ')) quiet.outputs.push(line.slice(2));
      return;
    }
    postMessage({ type: 'log', line });
    if (line.startsWith('/in/')) {
      input = line;
    } else if (line.startsWith('→ ')) {
      current = { output: line.slice(2), input };
    } else if (line.startsWith('　…… ') && current) {
      const bytes = readOutput(mod.FS, current.output);
      postMessage({ type: 'output', output: current.output, input: current.input, bytes }, bytes ? [bytes.buffer] : []);
      current = null;
    }
  },
  onProgress(text) {
    if (!quiet) postMessage({ type: 'progress', text });
  },
  onMessage(text) {
    if (!quiet) postMessage({ type: 'message', text });
  },
});

function settingsText(settings) {
  return Object.entries(settings)
    .map(([k, v]) => k + '=' + v)
    .join('\n');
}

// The inputs stay in /in until the next run, for the previews of their outputs.
function run({ files, settings, stop }) {
  const FS = mod.FS;
  for (const dir of ['/in', '/out', '/preview']) {
    clearFolder(FS, dir);
    if (!FS.analyzePath(dir).exists) FS.mkdir(dir);
  }
  // One folder per file: two files of the same name (from two folders) both stay.
  const names = files.map((f, i) => {
    const dir = '/in/' + (i + 1);
    FS.mkdir(dir);
    const path = dir + '/' + f.name;
    FS.writeFile(path, new Uint8Array(f.bytes));
    return path;
  });
  mod.stopFlag = stop || null;
  input = null;
  const start = performance.now();
  const failed = mod.ccall('velmora_run', 'number', ['string', 'string', 'string'], [settingsText(settings), names.join('\n'), '/out/']);
  const ms = performance.now() - start;
  postMessage({ type: 'done', failed, ms });
}

// A glTF of one input with the run's settings, for the 3D view of a COLLADA output.
// An input with branches has several outputs: the one of the same name is taken.
function preview({ input: path, output, settings }) {
  const FS = mod.FS;
  clearFolder(FS, '/preview');
  quiet = { outputs: [] };
  mod.stopFlag = null;
  try {
    mod.ccall('velmora_run', 'number', ['string', 'string', 'string'], [settingsText({ ...settings, ComboBox3: 2 }), path, '/preview/']);
  } finally {
    const stem = (p) => p.slice(p.lastIndexOf('/') + 1).replace(/\.[^.]*$/, '');
    const made = quiet.outputs.find((p) => stem(p) === stem(output)) || quiet.outputs[0];
    const bytes = made ? readOutput(FS, made) : null;
    quiet = null;
    postMessage({ type: 'preview', output, bytes }, bytes ? [bytes.buffer] : []);
  }
}

function handle(data) {
  if (data.type === 'preview') preview(data);
  else run(data);
}

onmessage = (e) => {
  if (mod) handle(e.data);
  else pending.push(e.data);
};

// The in-memory file system grows a file by an eighth at a time past 1 MiB and copies it each
// time, so a document of 60 MB would be copied some thirty times over: doubling keeps writing
// it linear.
function growFilesByDoubling(FS) {
  const memfs = FS.lookupPath('/').node.mount.type;
  const expand = memfs.expandFileStorage;
  if (typeof expand !== 'function') return;
  memfs.expandFileStorage = (node, want) => {
    const have = node.contents ? node.contents.length : 0;
    expand(node, have >= want ? want : Math.max(want, have * 2));
  };
}

// The engine compiles each function of the module when it first runs and optimises it later:
// one small drawing converted to both kinds of output while the page waits for files takes part
// of that cost off the first run (the rest is optimising what only large drawings make hot).
// The drawing is fetched while the module compiles.
const warmUpDrawing = fetch('./warm-up.jww')
  .then((r) => (r.ok ? r.arrayBuffer() : null))
  .catch(() => null);

async function warmUp() {
  const bytes = await warmUpDrawing;
  if (!bytes) return;
  try {
    const FS = mod.FS;
    if (!FS.analyzePath('/warm').exists) FS.mkdir('/warm');
    FS.writeFile('/warm/warm-up.jww', new Uint8Array(bytes));
    quiet = { outputs: [] };
    mod.stopFlag = null;
    for (const format of [0, 2]) {
      mod.ccall('velmora_run', 'number', ['string', 'string', 'string'], ['ComboBox3=' + format, '/warm/warm-up.jww', '/warm/out/']);
    }
  } catch (e) {
    // Only the first run is slower.
  } finally {
    quiet = null;
    clearFolder(mod.FS, '/warm');
  }
}

ready.then((m) => {
  mod = m;
  growFilesByDoubling(m.FS);
  postMessage({ type: 'ready' });
  while (pending.length) handle(pending.shift());
  warmUp();
});
