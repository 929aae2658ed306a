'use strict';
// A stand-in for the `vscode` module and the language client, enough for the
// extension's own code to run under node --test. It records what the
// extension asks of VS Code so that the tests can look.
const Module = require('module');
const path = require('path');

class Position {
  constructor(line, character) { this.line = line; this.character = character; }
}
class Range {
  constructor(a, b, c, d) {
    if (a instanceof Position) { this.start = a; this.end = b; } else { this.start = new Position(a, b); this.end = new Position(c, d); }
  }
}
class Selection extends Range {
  constructor(anchor, active) { super(anchor, active); this.anchor = anchor; this.active = active; }
}
class Diagnostic {
  constructor(range, message, severity) { Object.assign(this, { range, message, severity }); }
}
class WorkspaceEdit {}
class CodeAction {
  constructor(title, kind) { Object.assign(this, { title, kind }); }
}
class Uri {
  constructor(p) { this.path = p; this.scheme = 'file'; this.fsPath = p; }
  toString() { return `file://${this.path}`; }
  static file(p) { return new Uri(p); }
  static joinPath(base, ...parts) { return new Uri(path.posix.join(base.path, ...parts)); }
}

function emitter() {
  const listeners = [];
  const event = (fn) => { listeners.push(fn); return { dispose() {} }; };
  event.fire = (value) => listeners.forEach((fn) => fn(value));
  return event;
}

function createVscode() {
  const recorded = {
    commands: new Map(), panels: [], warnings: [], errors: [], settings: {}, files: new Map(), diagnostics: new Map(),
  };
  const events = {
    changeText: emitter(), activeEditor: emitter(), selection: emitter(),
    openDocument: emitter(), closeDocument: emitter(), configuration: emitter(),
    willSave: emitter(), saved: emitter(),
  };
  const vscode = {
    recorded, events, Position, Range, Selection, Uri, Diagnostic, CodeAction, WorkspaceEdit,
    DiagnosticSeverity: { Error: 0, Warning: 1 },
    CodeActionKind: { QuickFix: 'quickfix' },
    EndOfLine: { LF: 1, CRLF: 2 },
    languages: {
      createDiagnosticCollection: () => ({
        set(uri, list) { recorded.diagnostics.set(uri.toString(), list); },
        delete(uri) { recorded.diagnostics.delete(uri.toString()); },
        dispose() {},
      }),
      registerCodeActionsProvider(selector, provider) { recorded.codeActions = provider; return { dispose() {} }; },
    },
    ViewColumn: { One: 1, Beside: -2 },
    TextEditorRevealType: { InCenterIfOutsideViewport: 2 },
    ThemeColor: class { constructor(id) { this.id = id; } },
    commands: {
      registerCommand(id, fn) { recorded.commands.set(id, fn); return { dispose() {} }; },
    },
    window: {
      activeTextEditor: undefined,
      visibleTextEditors: [],
      createTextEditorDecorationType(options) { return { options, dispose() {} }; },
      createWebviewPanel(viewType, title, showOptions, options) {
        const disposed = emitter();
        const panel = {
          viewType, title, showOptions, options, posted: [], revealed: 0,
          webview: {
            html: '', cspSource: 'vscode-resource:',
            asWebviewUri: (uri) => `webview:${uri.path}`,
            postMessage(message) { panel.posted.push(message); return Promise.resolve(true); },
            onDidReceiveMessage(fn) { panel.receive = fn; return { dispose() {} }; },
          },
          reveal() { panel.revealed++; },
          onDidDispose: disposed,
          dispose() { disposed.fire(); },
        };
        recorded.panels.push(panel);
        return panel;
      },
      showWarningMessage(message, options) {
        recorded.warnings.push(options && options.detail ? `${message}: ${options.detail}` : message);
      },
      showErrorMessage(message) { recorded.errors.push(message); },
      showTextDocument: async (document) => vscode.window.visibleTextEditors.find((e) => e.document === document),
      onDidChangeActiveTextEditor: events.activeEditor,
      onDidChangeTextEditorSelection: events.selection,
    },
    workspace: {
      textDocuments: [],
      getConfiguration: (section) => ({ get: (key) => recorded.settings[`${section}.${key}`] }),
      onDidChangeTextDocument: events.changeText,
      onDidOpenTextDocument: events.openDocument,
      onDidCloseTextDocument: events.closeDocument,
      onWillSaveTextDocument: events.willSave,
      onDidSaveTextDocument: events.saved,
      onDidChangeConfiguration: events.configuration,
      fs: {
        readFile: async (uri) => {
          if (!recorded.files.has(uri.path)) throw new Error('no such file');
          return recorded.files.get(uri.path);
        },
      },
    },
  };
  return vscode;
}

// An editor on a story; moving its cursor is `editor.moveTo(line)`.
function storyEditor(vscode, file, languageId = 'vln') {
  const editor = {
    document: { uri: Uri.file(file), languageId },
    selection: new Selection(new Position(0, 0), new Position(0, 0)),
    decorations: new Map(),
    revealed: [],
    setDecorations(type, ranges) { editor.decorations.set(type, ranges); },
    revealRange(range) { editor.revealed.push(range); },
    moveTo(line) { editor.selection = new Selection(new Position(line, 0), new Position(line, 0)); },
  };
  return editor;
}

// Loads the extension's modules with fresh mocks; returns the mocks.
function loadWithMocks() {
  const vscode = createVscode();
  const clients = [];
  class LanguageClient {
    constructor(id, name, serverOptions, clientOptions) {
      Object.assign(this, { id, name, serverOptions, clientOptions, requests: [], stopped: false });
      this.outputChannel = { lines: [], appendLine(line) { this.lines.push(line); } };
      this.onDidChangeState = () => ({ dispose() {} });
      this.handler = async () => null;
      clients.push(this);
    }
    start() { return Promise.resolve(); }
    createDefaultErrorHandler() { return { error: () => ({ action: 'continue' }), closed: () => ({ action: 'restart' }) }; }
    stop() { this.stopped = true; return Promise.resolve(); }
    sendRequest(method, params) { this.requests.push({ method, params }); return this.handler(method, params); }
  }
  const source = path.resolve(__dirname, '..', '..', 'src');
  for (const key of Object.keys(require.cache)) if (key.startsWith(source)) delete require.cache[key];
  const originalLoad = Module._load;
  Module._load = function load(request, parent, isMain) {
    if (request === 'vscode') return vscode;
    if (request === 'vscode-languageclient/node') {
      return {
        LanguageClient, State: { Running: 2 }, ErrorAction: { Continue: 1, Shutdown: 2 }, CloseAction: { DoNotRestart: 1, Restart: 2 },
      };
    }
    return originalLoad.call(this, request, parent, isMain);
  };
  const restore = () => { Module._load = originalLoad; };
  return { vscode, clients, restore, require: (name) => require(path.join(source, name)) };
}

// The extension activated with fresh mocks and the given settings.
function activated(settings = {}) {
  const mocks = loadWithMocks();
  Object.assign(mocks.vscode.recorded.settings, settings);
  const extension = mocks.require('extension.js');
  mocks.restore();
  const context = { extensionPath: '/ext', extensionUri: mocks.vscode.Uri.file('/ext'), subscriptions: [] };
  const api = extension.activate(context);
  return { ...mocks, api, context };
}

module.exports = { loadWithMocks, storyEditor, activated };
