'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { chooseServer } = require('../../src/serverChoice');

test('which server runs: the setting, else the native vln, else vln.wasm', () => {
  const node = '/usr/lib/code/code';
  const wasmArgs = (ext, join) => ['--no-warnings', join(ext, 'dist', 'wasmServer.js'), join(ext, 'bin', 'vln.wasm')];
  const posix = (...p) => p.join('/');
  const win = (...p) => p.join('\\');
  const rows = [
    ['the setting wins over both', 'linux', '/ext', '/opt/vln', ['/ext/bin/vln', '/ext/bin/vln.wasm'],
      'setting', '/opt/vln', ['lsp']],
    ['the native vln before the wasm', 'linux', '/ext', '', ['/ext/bin/vln', '/ext/bin/vln.wasm'],
      'native', '/ext/bin/vln', ['lsp']],
    ['no native vln: the wasm under the editor\'s runtime', 'darwin', '/ext', ' ', ['/ext/bin/vln.wasm'],
      'wasm', node, wasmArgs('/ext', posix)],
    ['Windows on ARM with the universal package', 'win32', 'C:\\ext', undefined, ['C:\\ext\\bin\\vln.wasm'],
      'wasm', node, wasmArgs('C:\\ext', win)],
    ['Windows with its own package', 'win32', 'C:\\ext', '', ['C:\\ext\\bin\\vln.exe', 'C:\\ext\\bin\\vln.wasm'],
      'native', 'C:\\ext\\bin\\vln.exe', ['lsp']],
    ['nothing packaged: the native name, so the failure names it', 'linux', '/ext', '', [],
      'none', '/ext/bin/vln', ['lsp']],
  ];
  for (const [reason, platform, extensionPath, configuredPath, files, kind, command, args] of rows) {
    const present = new Set(files);
    const choice = chooseServer({
      extensionPath, platform, configuredPath, execPath: node, env: { PATH: '/bin' }, exists: (f) => present.has(f),
    });
    assert.strictEqual(choice.kind, kind, reason);
    assert.strictEqual(choice.server.command, command, reason);
    assert.deepStrictEqual(choice.server.args, args, reason);
    assert.match(choice.says, kind === 'none' ? /missing/ : new RegExp(`\\(${kind === 'setting' ? 'the setting' : kind}`), reason);
    if (kind === 'wasm') {
      // The editor's runtime runs as Node only when told, and keeps the rest
      // of the environment.
      assert.deepStrictEqual(choice.server.options.env, { PATH: '/bin', ELECTRON_RUN_AS_NODE: '1' }, reason);
    } else {
      assert.strictEqual(choice.server.options, undefined, reason);
    }
  }
});
