'use strict';
// `vln lsp` from vln.wasm on this process's standard input and output, under
// Node's WASI: the server where the extension carries no native vln. The
// extension starts it with VS Code's own runtime acting as Node.
// Usage: node wasmServer.js VLN.wasm
const fs = require('fs');
const { WASI } = require('wasi');

const program = process.argv[2];
// The server reads no files, only the documents the editor sends it.
const wasi = new WASI({ version: 'preview1', args: ['vln', 'lsp'], env: {}, preopens: {}, returnOnExit: true });
const compiled = new WebAssembly.Module(fs.readFileSync(program));
const instance = new WebAssembly.Instance(compiled, { wasi_snapshot_preview1: wasi.wasiImport });
process.exit(wasi.start(instance));
