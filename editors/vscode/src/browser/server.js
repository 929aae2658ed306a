'use strict';
// The language server in a web worker: vln.wasm under a WASI shim, for
// VS Code for the Web. A worker cannot wait on standard input, so the
// module's own exports take each message (tools/vln/lsp/LspPush.cpp); what
// the server writes to standard output is cut back into messages here.
// The first message from the extension is { velnoriWasm: bytes }; every other
// one is a protocol message, kept until the module is ready.
const { WASI, OpenFile, File, ConsoleStdout } = require('@bjorn3/browser_wasi_shim');
const { FrameReader } = require('./frames');

const waiting = [];
let vln = null;
let scheduled = false;
const encoder = new TextEncoder();
const frames = new FrameReader((message) => self.postMessage(message));

self.onmessage = ({ data }) => {
  if (data && data.velnoriWasm) {
    start(data.velnoriWasm).catch((error) => console.error(`Velnori: vln.wasm did not start: ${error.message || error}`));
  } else {
    waiting.push(data);
    schedule();
  }
};

async function start(bytes) {
  const wasi = new WASI(['vln', 'lsp'], [], [
    new OpenFile(new File([])),
    new ConsoleStdout((bytes) => frames.add(bytes)),
    ConsoleStdout.lineBuffered((line) => console.warn(`vln: ${line}`)),
  ]);
  const { instance } = await WebAssembly.instantiate(bytes, { wasi_snapshot_preview1: wasi.wasiImport });
  wasi.inst = instance;
  instance.exports.vln_lsp_start();
  vln = instance.exports;
  schedule();
}

// Messages that arrive together are handled together, and the diagnostics
// published once they are all in, as the server does between reads.
function schedule() {
  if (vln === null || scheduled) return;
  scheduled = true;
  setTimeout(drain, 0);
}

function drain() {
  scheduled = false;
  while (waiting.length > 0) {
    const body = encoder.encode(JSON.stringify(waiting.shift()));
    const at = vln.vln_lsp_buffer(body.length);
    new Uint8Array(vln.memory.buffer, at, body.length).set(body);
    if (vln.vln_lsp_message(at, body.length) >= 0) {
      self.close();
      return;
    }
  }
  vln.vln_lsp_publish();
}
