'use strict';
// `vln lsp` from vln.wasm on this process's standard input and output, under
// Node's WASI: the server where the extension carries no native vln. The
// extension starts it with VS Code's own runtime acting as Node.
// Usage: node wasmServer.js VLN.wasm
const fs = require('fs');
const { WASI } = require('wasi');

const program = process.argv[2];
// The server reads a story's file, by the path its file: URI names, for
// what the file says of its line ends. A Windows path ("C:/...") names
// nothing WASI can open: there the extension reads the file itself.
const preopens = process.platform === 'win32' ? {} : { '/': '/' };
const wasi = new WASI({ version: 'preview1', args: ['vln', 'lsp'], env: {}, preopens, returnOnExit: true });
const compiled = new WebAssembly.Module(fs.readFileSync(program));
const instance = new WebAssembly.Instance(compiled, { wasi_snapshot_preview1: wasi.wasiImport });
process.exit(wasi.start(instance));
