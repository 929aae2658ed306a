'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { activated } = require('./vscodeMock');
const manifest = require('../../package.json');

test('the commands registered are the ones the manifest offers', () => {
  const { vscode } = activated();
  const offered = manifest.contributes.commands.map((c) => c.command).sort();
  assert.deepStrictEqual([...vscode.recorded.commands.keys()].sort(), offered);
  assert.deepStrictEqual(offered, ['velnori.play', 'velnori.playFromHere', 'velnori.showMap']);
});

test('the client starts exactly `vln lsp` for story documents', () => {
  const { clients } = activated();
  assert.strictEqual(clients.length, 1);
  const [client] = clients;
  assert.deepStrictEqual(client.serverOptions, { command: '/ext/bin/vln', args: ['lsp'] });
  assert.strictEqual(client.serverOptions.transport, undefined, 'a transport would add --stdio');
  assert.deepStrictEqual(client.clientOptions.documentSelector, [{ language: 'vln' }]);
});

test('the server path on each platform and with the setting', () => {
  const { serverCommand } = require('../../src/serverCommand');
  const rows = [
    ['linux, nothing set: the vln inside', '/ext', 'linux', '', '/ext/bin/vln'],
    ['macOS takes the same name', '/ext', 'darwin', undefined, '/ext/bin/vln'],
    ['Windows: vln.exe, with its own separators', 'C:\\ext', 'win32', '', 'C:\\ext\\bin\\vln.exe'],
    ['the setting wins', '/ext', 'linux', '/opt/vln', '/opt/vln'],
    ['spaces around the setting are not part of it', '/ext', 'win32', ' D:\\vln.exe ', 'D:\\vln.exe'],
    ['a setting of spaces is no setting', '/ext', 'linux', '   ', '/ext/bin/vln'],
  ];
  for (const [reason, extensionPath, platform, setting, expected] of rows) {
    assert.deepStrictEqual(serverCommand(extensionPath, platform, setting), { command: expected, args: ['lsp'] }, reason);
  }
});

test('changing velnori.vlnPath starts a new server and stops the old', async () => {
  const { vscode, clients } = activated();
  vscode.recorded.settings['velnori.vlnPath'] = '/other/vln';
  vscode.events.configuration.fire({ affectsConfiguration: (key) => key === 'velnori.vlnPath' });
  await new Promise((resolve) => setImmediate(resolve));
  assert.strictEqual(clients.length, 2);
  assert.strictEqual(clients[1].serverOptions.command, '/other/vln');
  assert.ok(clients[0].stopped);
  vscode.events.configuration.fire({ affectsConfiguration: () => false });
  assert.strictEqual(clients.length, 2, 'other settings leave the server alone');
});

test('the line-end warning is shown once per opening, from the bytes on disk', async () => {
  const { vscode } = activated();
  const lf = Buffer.from('[a]x\r\nb\nc\r\n');
  vscode.recorded.files.set('/s/lf.vln', lf);
  vscode.recorded.files.set('/s/ok.vln', Buffer.from('[a]x\r\nb\r\n'));
  const doc = (p, languageId = 'vln') => ({ uri: vscode.Uri.file(p), languageId });
  vscode.events.openDocument.fire(doc('/s/ok.vln'));
  vscode.events.openDocument.fire(doc('/s/lf.vln', 'plaintext'));
  vscode.events.openDocument.fire(doc('/s/lf.vln'));
  await new Promise((resolve) => setTimeout(resolve, 10));
  vscode.events.openDocument.fire(doc('/s/lf.vln'));
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.strictEqual(vscode.recorded.warnings.length, 1, vscode.recorded.warnings.join('\n'));
  assert.match(vscode.recorded.warnings[0], /lf\.vln: 1 lone LF .*end of line 2\)/);
  vscode.events.closeDocument.fire(doc('/s/lf.vln'));
  vscode.events.openDocument.fire(doc('/s/lf.vln'));
  await new Promise((resolve) => setTimeout(resolve, 10));
  assert.strictEqual(vscode.recorded.warnings.length, 2, 'opened again, warned again');
});

