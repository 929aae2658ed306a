'use strict';
const path = require('path');
const { serverCommand } = require('./serverCommand');

// Which program runs the language server: the setting velnori.vlnPath when
// it names one, else the native vln packaged for this platform, else
// vln.wasm, run by the editor's own runtime acting as Node (Electron's
// ELECTRON_RUN_AS_NODE) through dist/wasmServer.js, on the same standard
// input and output. `says` is the line the Velnori output channel shows.
function chooseServer({ extensionPath, platform, configuredPath, execPath, env, exists }) {
  const native = serverCommand(extensionPath, platform, configuredPath);
  if ((configuredPath || '').trim()) {
    return { kind: 'setting', server: native, says: `${native.command} (the setting velnori.vlnPath)` };
  }
  if (exists(native.command)) return { kind: 'native', server: native, says: `${native.command} (native)` };
  const join = platform === 'win32' ? path.win32.join : path.posix.join;
  const wasm = join(extensionPath, 'bin', 'vln.wasm');
  if (!exists(wasm)) {
    return { kind: 'none', server: native, says: `missing: this package holds neither ${native.command} nor ${wasm}` };
  }
  return {
    kind: 'wasm',
    server: {
      command: execPath,
      // Node calls its WASI experimental on every start: not the server's news.
      args: ['--no-warnings', join(extensionPath, 'dist', 'wasmServer.js'), wasm],
      options: { env: { ...env, ELECTRON_RUN_AS_NODE: '1' } },
    },
    says: `${wasm} (wasm, under ${execPath})`,
  };
}

module.exports = { chooseServer };
