'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { activated } = require('./vscodeMock');
const manifest = require('../../package.json');

test('the commands registered are the ones the manifest offers', () => {
  const { vscode } = activated();
  const offered = manifest.contributes.commands.map((c) => c.command).sort();
  assert.deepStrictEqual([...vscode.recorded.commands.keys()].sort(), offered);
  assert.deepStrictEqual(offered, ['velnori.lineEndsToCrLf', 'velnori.play', 'velnori.playFromHere', 'velnori.showMap']);
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
  const doc = (p, languageId = 'vln') =>
    ({ uri: vscode.Uri.file(p), languageId, getText: () => String(vscode.recorded.files.get(p)) });
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


test('lone LFs of the file in Problems as vln check gives them, each once beside the server', async () => {
  const { vscode, clients } = activated();
  const file = '/s/mixed.vln';
  // Reader lines: "a", "b\nc" (lone LF ends editor line 2), "d\ne\nf" (lone LFs
  // end editor lines 4 and 5: one finding, at the first).
  vscode.recorded.files.set(file, Buffer.from('a\r\nb\nc\r\nd\ne\nf\r\n'));
  const document = { uri: vscode.Uri.file(file), languageId: 'vln', getText: () => 'a\nb\nc\nd\ne\nf\n',
    lineCount: 7, lineAt: (line) => ({ text: 'abcdef'[line] || '' }) };
  vscode.workspace.textDocuments.push(document);
  vscode.events.openDocument.fire(document);
  await new Promise((resolve) => setTimeout(resolve, 10));
  const shown = () => vscode.recorded.diagnostics.get(document.uri.toString()).map((d) => [d.code, d.range.start.line]);
  assert.deepStrictEqual(shown(), [['lone-line-feed', 1], ['lone-line-feed', 3]]);
  const { middleware } = clients[0].clientOptions;
  const server = [{ code: 'lone-line-feed', range: new vscode.Range(3, 1, 4, 0) }, { code: 'missing-target', range: new vscode.Range(1, 0, 1, 1) }];
  let passed = null;
  middleware.handleDiagnostics(document.uri, server, (uri, list) => { passed = list; });
  assert.strictEqual(passed, server, 'the server\'s own findings go on untouched');
  assert.deepStrictEqual(shown(), [['lone-line-feed', 1]], 'the server has line 4 already');
  // One fix, whichever source the finding came from; the server's text edit,
  // which the editor would undo with its own line breaks, is left out.
  const diagnostics = vscode.recorded.diagnostics.get(document.uri.toString()).concat(server);
  const fixes = vscode.recorded.codeActions.provideCodeActions(document, null, { diagnostics });
  assert.deepStrictEqual(fixes.map((f) => [f.command.command, f.diagnostics.length]), [['velnori.lineEndsToCrLf', 2]]);
  const serverActions = [{ title: 'Turn every lone LF into CR LF', edit: {} }, { title: 'Bracket the label', edit: {} }];
  const kept = await middleware.provideCodeActions(document, null, {}, null, async () => serverActions);
  assert.deepStrictEqual(kept.map((a) => a.title), ['Bracket the label']);
});

test('a refused rename gives its whole reason; a closing window neither restarts the server nor asks it', async () => {
  const env = activated();
  const { vscode, clients } = env;
  const { middleware, errorHandler } = clients[0].clientOptions;
  const reason = 'Renaming [road] to [late] would make two lines begin with [late]: the jumps to [road] would land on line 9 instead of line 6.';
  const refused = await middleware.provideRenameEdits({}, null, 'late', null, async () => { throw new Error(reason); });
  assert.ok(refused instanceof vscode.WorkspaceEdit, 'nothing renamed, and no error for VS Code to cut short');
  assert.deepStrictEqual(vscode.recorded.warnings, [`Not renamed to "late": ${reason}`]);
  assert.deepStrictEqual(errorHandler.closed(), { action: 'restart' }, 'a server that dies on its own is started again');
  const completed = await middleware.provideCompletionItem({}, null, {}, null, async () => ['item']);
  assert.deepStrictEqual(completed, ['item']);
  await env.require('extension.js').deactivate();
  assert.deepStrictEqual(errorHandler.closed(), { action: 1, handled: true }, 'closing: not started again');
  assert.deepStrictEqual(errorHandler.error(new Error('write EPIPE'), null, 1), { action: 2, handled: true });
  assert.strictEqual(await middleware.provideCompletionItem({}, null, {}, null, async () => ['item']), null, 'not asked while closing');
});
