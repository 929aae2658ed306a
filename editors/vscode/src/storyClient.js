'use strict';
const fs = require('fs');
const vscode = require('vscode');
const { LanguageClient, State } = require('vscode-languageclient/node');
const { chooseServer } = require('./serverChoice');
const { announce } = require('./serverAnnounce');

// The language client over `vln lsp`: everything an editor shows about a
// story (findings, definitions, references, renames, completion, hover,
// outline, quick fixes, semantic tokens) comes from the server.
function createClient(context) {
  const configured = vscode.workspace.getConfiguration('velnori').get('vlnPath');
  const choice = chooseServer({
    extensionPath: context.extensionPath,
    platform: process.platform,
    configuredPath: configured,
    execPath: process.execPath,
    env: process.env,
    exists: fs.existsSync,
  });
  const clientOptions = {
    documentSelector: [{ language: 'vln' }],
    synchronize: { configurationSection: 'velnori' },
  };
  const client = new LanguageClient('velnori', 'Velnori', choice.server, clientOptions);
  announce(client, choice.says, State.Running);
  return client;
}

module.exports = { createClient };
