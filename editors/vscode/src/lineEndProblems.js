'use strict';
const vscode = require('vscode');
const { loneLineFeedLines } = require('./lineEnds');

const CODE = 'lone-line-feed';
const TITLE = 'Turn every lone LF into CR LF';
const MESSAGE = 'line ends in a lone LF, which the reader does not take as a line break: it reads this line and the next as one';

const codeOf = (d) => (d.code && typeof d.code === 'object' ? d.code.value : d.code);
const key = (line) => `${CODE}:${line}`;

// The lone LFs of the file on disk in Problems, as `vln check` reports them:
// the editor has made them line breaks already, so the document alone cannot
// show them. One the language server reports too (same code and line) is
// left to the server.
class LineEndProblems {
  constructor() {
    this.collection = vscode.languages.createDiagnosticCollection('velnori-line-ends');
    this.fromBytes = new Map(); // uri -> editor lines (0-based)
    this.fromServer = new Map(); // uri -> Set of code:line
  }

  async readFile(document) {
    // Any file system VS Code reads, a remote's included (in VS Code for the
    // Web the server in its worker has none to read the file from).
    if (document.languageId !== 'vln' || document.uri.scheme === 'untitled') return;
    let bytes;
    try {
      bytes = await vscode.workspace.fs.readFile(document.uri);
    } catch {
      return;
    }
    this.fromBytes.set(document.uri.toString(), loneLineFeedLines(bytes).map((l) => l - 1));
    this.publish(document.uri);
  }

  serverDiagnostics(uri, diagnostics) {
    const lines = new Set();
    for (const d of diagnostics) if (codeOf(d) === CODE) lines.add(key(d.range.start.line));
    this.fromServer.set(uri.toString(), lines);
    this.publish(uri);
  }

  closed(document) {
    const uri = document.uri.toString();
    this.fromBytes.delete(uri);
    this.fromServer.delete(uri);
    this.collection.delete(document.uri);
  }

  publish(uri) {
    const lines = this.fromBytes.get(uri.toString()) || [];
    const server = this.fromServer.get(uri.toString()) || new Set();
    const document = vscode.workspace.textDocuments.find((d) => d.uri.toString() === uri.toString());
    const diagnostics = [];
    for (const line of lines) {
      if (server.has(key(line))) continue;
      const end = document && line < document.lineCount ? document.lineAt(line).text.length : 0;
      const range = new vscode.Range(line, end, line, end);
      const d = new vscode.Diagnostic(range, MESSAGE, vscode.DiagnosticSeverity.Warning);
      d.code = CODE;
      d.source = 'vln';
      diagnostics.push(d);
    }
    this.collection.set(uri, diagnostics);
  }
}

// The quick fix for a lone LF from either source: edits to the text cannot
// do it, since the editor writes its own line break wherever the text has
// one, so the document's line break becomes CR LF and the story is saved.
const lineEndFixes = {
  provideCodeActions(document, range, context) {
    const diagnostics = context.diagnostics.filter((d) => codeOf(d) === CODE);
    if (diagnostics.length === 0) return [];
    const fix = new vscode.CodeAction(TITLE, vscode.CodeActionKind.QuickFix);
    fix.diagnostics = diagnostics;
    fix.isPreferred = true;
    fix.command = { command: 'velnori.lineEndsToCrLf', title: TITLE, arguments: [document.uri.toString()] };
    return [fix];
  },
};

// The server's own edit for this fix, left out in favour of the one above.
const isServerLineEndFix = (action) => action && action.title === TITLE && !action.command;

async function lineEndsToCrLf(uriText) {
  const document = vscode.workspace.textDocuments.find((d) => d.uri.toString() === uriText);
  if (!document) return false;
  const editor = await vscode.window.showTextDocument(document, { preserveFocus: false });
  await editor.edit((b) => b.setEndOfLine(vscode.EndOfLine.CRLF));
  if (!document.isDirty && document.lineCount > 0) {
    // Already CR LF in the editor (it made the lone LFs line breaks on
    // opening): the file still needs writing, so the story is touched with
    // its own first character.
    const first = new vscode.Range(0, 0, 0, Math.min(1, document.lineAt(0).text.length));
    await editor.edit((b) => b.replace(first, document.getText(first)));
  }
  return document.save();
}

module.exports = { LineEndProblems, lineEndFixes, isServerLineEndFix, lineEndsToCrLf, LONE_LINE_FEED: CODE };
