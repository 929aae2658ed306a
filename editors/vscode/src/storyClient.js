'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { serverCommand } = require('./serverCommand');

// The language client over `vln lsp`: everything an editor shows about a
// story (findings, definitions, references, renames, completion, hover,
// outline, quick fixes, semantic tokens) comes from the server.
function createClient(context) {
  const configured = vscode.workspace.getConfiguration('velnori').get('vlnPath');
  const server = serverCommand(context.extensionPath, process.platform, configured);
  const clientOptions = {
    documentSelector: [{ language: 'vln' }],
    synchronize: { configurationSection: 'velnori' },
  };
  return new LanguageClient('velnori', 'Velnori', server, clientOptions);
}

module.exports = { createClient };
