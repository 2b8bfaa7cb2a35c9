// Runs the converter off the page's thread, so the page stays responsive during a run.
// Files arrive as bytes, are converted in memory and go back as bytes: nothing leaves the
// machine.
import createVelmora from './velmora.mjs';

let current = null; // the file whose lines are being logged
const pending = []; // messages that wait for the module

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
    postMessage({ type: 'log', line });
    if (line.startsWith('→ ')) {
      current = { output: line.slice(2), preview: null };
    } else if (line.startsWith('　…… ') && current) {
      const FS = mod.FS;
      const bytes = readOutput(FS, current.output);
      let preview = null;
      if (bytes && current.preview !== null) {
        preview = current.preview === '' ? bytes.slice() : readOutput(FS, current.preview);
      }
      const msg = { type: 'output', output: current.output, bytes, preview };
      const transfer = [bytes, preview].filter((b) => b).map((b) => b.buffer);
      postMessage(msg, transfer);
      current = null;
    }
  },
  onProgress(text) {
    postMessage({ type: 'progress', text });
  },
  onMessage(text) {
    postMessage({ type: 'message', text });
  },
  onPreview(output, preview) {
    if (current) current.preview = preview;
  },
});
let mod = null;

function run({ files, settings }) {
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
  const text = Object.entries(settings)
    .map(([k, v]) => k + '=' + v)
    .join('\n');
  const start = performance.now();
  const failed = mod.ccall('velmora_run', 'number', ['string', 'string'], [text, names.join('\n')]);
  const ms = performance.now() - start;
  clearFolder(FS, '/in');
  postMessage({ type: 'done', failed, ms });
}

onmessage = (e) => {
  if (mod) run(e.data);
  else pending.push(e.data);
};

ready.then((m) => {
  mod = m;
  postMessage({ type: 'ready' });
  while (pending.length) run(pending.shift());
});
