'use strict';
const vscode = require('vscode');
const { ErrorAction, CloseAction } = require('vscode-languageclient/node');
const { serverClient } = require('./serverClient');
const { isServerLineEndFix } = require('./lineEndProblems');

// The language client over `vln lsp`: everything an editor shows about a
// story (findings, definitions, references, renames, completion, hover,
// outline, quick fixes, semantic tokens) comes from the server, which
// serverClient starts (./browser/serverClient in VS Code for the Web).
// Lone LFs the file holds but the document shows as line breaks are put in
// Problems beside the server's findings (lineEnds), without doubling one.
function createClient(context, lineEnds, closing = { now: false }) {
  let usual = null; // the client's own error handling, while not closing
  const clientOptions = {
    documentSelector: [{ language: 'vln' }],
    synchronize: { configurationSection: 'velnori' },
    middleware: {
      handleDiagnostics(uri, diagnostics, next) {
        lineEnds.serverDiagnostics(uri, diagnostics);
        next(uri, diagnostics);
      },
      provideCompletionItem(document, position, context, token, next) {
        return closing.now ? null : next(document, position, context, token);
      },
      async provideCodeActions(document, range, context, token, next) {
        const actions = await next(document, range, context, token);
        return actions && actions.filter((a) => !isServerLineEndFix(a));
      },
      // A refused rename is an answer for the author, not a fault: its whole
      // reason in a dialog, and nothing renamed.
      async provideRenameEdits(document, position, newName, token, next) {
        try {
          return await next(document, position, newName, token);
        } catch (error) {
          const reason = String(error && error.message ? error.message : error);
          vscode.window.showWarningMessage(`Not renamed to "${newName}"`, { modal: true, detail: reason });
          return new vscode.WorkspaceEdit();
        }
      },
    },
    // A window closing stops the server with everything else: it is not
    // started again, and requests cut off by the closing are no errors.
    errorHandler: {
      error: (...args) => (closing.now ? { action: ErrorAction.Shutdown, handled: true } : usual.error(...args)),
      closed: () => (closing.now ? { action: CloseAction.DoNotRestart, handled: true } : usual.closed()),
    },
  };
  const client = serverClient(context, clientOptions);
  usual = client.createDefaultErrorHandler();
  return client;
}

module.exports = { createClient };
