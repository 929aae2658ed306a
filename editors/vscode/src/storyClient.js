'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');
const { serverCommand } = require('./serverCommand');
const { isServerLineEndFix } = require('./lineEndProblems');

// The language client over `vln lsp`: everything an editor shows about a
// story (findings, definitions, references, renames, completion, hover,
// outline, quick fixes, semantic tokens) comes from the server.
// Lone LFs the file holds but the document no longer shows are put in
// Problems beside the server's findings (lineEnds), without doubling one.
function createClient(context, lineEnds) {
  const configured = vscode.workspace.getConfiguration('velnori').get('vlnPath');
  const server = serverCommand(context.extensionPath, process.platform, configured);
  const clientOptions = {
    documentSelector: [{ language: 'vln' }],
    synchronize: { configurationSection: 'velnori' },
    middleware: {
      handleDiagnostics(uri, diagnostics, next) {
        lineEnds.serverDiagnostics(uri, diagnostics);
        next(uri, diagnostics);
      },
      async provideCodeActions(document, range, context, token, next) {
        const actions = await next(document, range, context, token);
        return actions && actions.filter((a) => !isServerLineEndFix(a));
      },
    },
  };
  return new LanguageClient('velnori', 'Velnori', server, clientOptions);
}

module.exports = { createClient };
