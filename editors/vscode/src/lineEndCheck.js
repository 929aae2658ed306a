'use strict';
const vscode = require('vscode');
const path = require('path');
const { lineEndWarning } = require('./lineEnds');

// Warns once per opening when VS Code's uniform line ends would change how
// the reader reads the story. The file's own bytes decide: the document
// VS Code holds has already been rewritten.
async function checkLineEnds(document, warned) {
  if (document.languageId !== 'vln' || document.uri.scheme === 'untitled') return null;
  const key = document.uri.toString();
  if (warned.has(key)) return null;
  let bytes;
  try {
    bytes = await vscode.workspace.fs.readFile(document.uri);
  } catch {
    return null; // not on a file system VS Code can read: nothing to compare
  }
  const warning = lineEndWarning(bytes, path.basename(document.uri.path));
  if (!warning) return null;
  warned.add(key);
  vscode.window.showWarningMessage(warning.message);
  return warning;
}

module.exports = { checkLineEnds };
