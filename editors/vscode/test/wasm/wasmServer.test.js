'use strict';
// The launcher the extension starts where it has no native vln, against a
// real vln.wasm, started exactly as the extension starts it: one round trip
// from initialize to a story's diagnostics to exit.
//   VLN_WASM=build-wasm/tools/vln/vln.wasm node --test test/wasm/wasmServer.test.js
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');
const rpc = require('vscode-jsonrpc/node');
const { chooseServer } = require('../../src/serverChoice');

const extension = path.resolve(__dirname, '..', '..');

test('vln.wasm answers through the launcher on stdio', async () => {
  const wasm = process.env.VLN_WASM;
  assert.ok(wasm && fs.existsSync(wasm), 'VLN_WASM must name a vln.wasm: make wasm');
  assert.ok(fs.existsSync(path.join(extension, 'dist', 'wasmServer.js')), 'no dist/wasmServer.js: node build.js');
  // An extension folder holding the built launcher and vln.wasm, nothing native.
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vln-wasm-ext-'));
  fs.mkdirSync(path.join(folder, 'bin'));
  fs.mkdirSync(path.join(folder, 'dist'));
  fs.copyFileSync(wasm, path.join(folder, 'bin', 'vln.wasm'));
  fs.copyFileSync(path.join(extension, 'dist', 'wasmServer.js'), path.join(folder, 'dist', 'wasmServer.js'));
  const choice = chooseServer({
    extensionPath: folder, platform: process.platform, configuredPath: '', execPath: process.execPath,
    env: process.env, exists: fs.existsSync,
  });
  assert.strictEqual(choice.kind, 'wasm');

  const started = process.hrtime.bigint();
  const server = spawn(choice.server.command, choice.server.args, { ...choice.server.options, stdio: ['pipe', 'pipe', 'pipe'] });
  let errors = '';
  server.stderr.on('data', (d) => { errors += d; });
  const exited = new Promise((resolve) => server.on('exit', (code) => resolve(code)));
  const connection = rpc.createMessageConnection(new rpc.StreamMessageReader(server.stdout), new rpc.StreamMessageWriter(server.stdin));
  const diagnostics = new Promise((resolve) => connection.onNotification('textDocument/publishDiagnostics', resolve));
  connection.listen();
  try {
    const init = await connection.sendRequest('initialize', { processId: null, rootUri: null, capabilities: {} });
    console.log(`# vln.wasm through the launcher: start to initialize answered ${Number(process.hrtime.bigint() - started) / 1e6} ms`);
    assert.ok(init.capabilities.completionProvider, JSON.stringify(init));
    connection.sendNotification('initialized', {});
    const uri = 'file:///stories/mistake.vln';
    connection.sendNotification('textDocument/didOpen', {
      textDocument: { uri, languageId: 'vln', version: 1, text: '[start]Morning.>>[raod]\r\n[road]On the road.::END\r\n' },
    });
    const published = await diagnostics;
    assert.strictEqual(published.uri, uri);
    assert.ok(published.diagnostics.some((d) => d.range.start.line === 0 && d.message.includes('[raod]')),
      JSON.stringify(published.diagnostics));
    await connection.sendRequest('shutdown');
    connection.sendNotification('exit');
    assert.strictEqual(await exited, 0, errors);
    assert.strictEqual(errors, '', 'nothing on standard error, not even Node\'s warning');
  } finally {
    connection.dispose();
    server.kill();
    fs.rmSync(folder, { recursive: true, force: true });
  }
});
