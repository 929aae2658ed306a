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

const fs = require('node:fs');

const [program, ...args] = process.argv.slice(2);
if (!program) {
  process.stderr.write('usage: node run-wasm.cjs PROGRAM.wasm [ARG...]\n');
  process.exit(2);
}
let WASI;
try {
  ({ WASI } = require('node:wasi'));
} catch {
  // Node 18 lends its WASI only to a process started with this flag.
  const again = require('node:child_process').spawnSync(process.execPath,
    ['--experimental-wasi-unstable-preview1', __filename, program, ...args], { stdio: 'inherit' });
  process.exit(again.status ?? 1);
}
const wasi = new WASI({
  version: 'preview1',
  args: [program, ...args],
  env: { PWD: process.cwd() },
  preopens: { '/': '/' },
  returnOnExit: true,
});
// A one-off command (vln check, play, map) ends before optimized code pays
// for compiling it: the baseline compiler alone, then. A server (vln lsp)
// runs long enough for its busy parts to be optimized.
if (args[0] !== 'lsp') require('node:v8').setFlagsFromString('--liftoff-only');
const compiled = new WebAssembly.Module(fs.readFileSync(program));
const instance = new WebAssembly.Instance(compiled, { wasi_snapshot_preview1: wasi.wasiImport });
// At once: the program has written all it writes, and Node's own teardown
// would add tens of milliseconds to every command.
process.exit(wasi.start(instance));
