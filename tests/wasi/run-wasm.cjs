'use strict';
// Runs a WASI program as its native build runs: `node run-wasm.cjs PROGRAM.wasm
// ARG...` hands it the arguments, this process's standard input, output and
// error, the whole file system from "/", the folder it was started in (as
// PWD: WASI has no current folder of its own) and gives back its exit status.
// Works on Node 18 and later.

// Node calls its WASI experimental on every start; the program's own error
// output must stay the program's.
const emitWarning = process.emitWarning;
process.emitWarning = (warning, ...rest) => {
  if (!String(warning).includes('WASI')) emitWarning.call(process, warning, ...rest);
};

const { WASI } = require('node:wasi');
const fs = require('node:fs');

const [program, ...args] = process.argv.slice(2);
if (!program) {
  process.stderr.write('usage: node run-wasm.cjs PROGRAM.wasm [ARG...]\n');
  process.exit(2);
}
const wasi = new WASI({
  version: 'preview1',
  args: [program, ...args],
  env: { PWD: process.cwd() },
  preopens: { '/': '/' },
  returnOnExit: true,
});
const compiled = new WebAssembly.Module(fs.readFileSync(program));
const instance = new WebAssembly.Instance(compiled, { wasi_snapshot_preview1: wasi.wasiImport });
process.exitCode = wasi.start(instance);
