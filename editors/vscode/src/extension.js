'use strict';
const vscode = require('vscode');
const { createClient } = require('./storyClient');
const { MapView } = require('./mapView');
const { PlayView } = require('./playView');
const { checkLineEnds } = require('./lineEndCheck');
const { LineEndProblems, lineEndFixes, lineEndsToCrLf } = require('./lineEndProblems');
const { EncodingCheck } = require('./encodingCheck');

let client = null;
let clientStarted = null;
const closing = { now: false };

function startClient(context, lineEnds) {
  client = createClient(context, lineEnds, closing);
  clientStarted = client.start();
  clientStarted.catch((error) => {
    vscode.window.showErrorMessage(`Velnori: the language server (vln lsp) did not start: ${error.message || error}`);
  });
}

async function request(method, params) {
  await clientStarted;
  return client.sendRequest(method, params);
}

function activate(context) {
  const lineEnds = new LineEndProblems();
  const encodings = new EncodingCheck();
  startClient(context, lineEnds);
  const map = new MapView(context, request);
  const play = new PlayView(context, request);
  map.beside = play;
  play.beside = map;
  const warned = new Set();
  // With the map or the play view focused there is no active editor: the
  // commands then take the story last edited, if it is still on screen.
  let lastStory = null;
  const isStory = (e) => e && e.document.languageId === 'vln';
  const editor = () => {
    const active = vscode.window.activeTextEditor;
    if (active) return active;
    const visible = vscode.window.visibleTextEditors;
    return visible.find((e) => lastStory && e.document === lastStory) || visible.find(isStory);
  };

  context.subscriptions.push(
    vscode.commands.registerCommand('velnori.showMap', () => map.show(editor())),
    vscode.commands.registerCommand('velnori.play', () => play.start(editor(), undefined)),
    vscode.commands.registerCommand('velnori.playFromHere', () => {
      const e = editor();
      if (e) play.start(e, e.selection.active.line);
    }),
    lineEnds.collection,
    vscode.languages.registerCodeActionsProvider('vln', lineEndFixes, {
      providedCodeActionKinds: [vscode.CodeActionKind.QuickFix],
    }),
    vscode.commands.registerCommand('velnori.lineEndsToCrLf', lineEndsToCrLf),
    vscode.workspace.onDidChangeTextDocument((event) => {
      // A save, an undo to the saved text and a new encoding come as changes
      // with nothing changed: the map and the reading stay as they are.
      if (event.contentChanges.length === 0) return;
      encodings.changed(event);
      map.textChanged(event.document);
      play.textChanged(event.document);
    }),
    vscode.window.onDidChangeActiveTextEditor((e) => {
      if (isStory(e)) lastStory = e.document;
      map.editorChanged(e);
    }),
    vscode.window.onDidChangeTextEditorSelection((event) => map.selectionChanged(event.textEditor)),
    vscode.workspace.onWillSaveTextDocument((event) => encodings.willSave(event)),
    vscode.workspace.onDidSaveTextDocument((document) => lineEnds.readFile(document)),
    vscode.workspace.onDidOpenTextDocument((document) => opened(document)),
    vscode.workspace.onDidCloseTextDocument((document) => {
      warned.delete(document.uri.toString());
      lineEnds.closed(document);
      encodings.closed(document);
    }),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration('velnori.vlnPath')) return;
      const old = client;
      startClient(context, lineEnds);
      await old.stop().catch(() => {});
    }),
  );
  function opened(document) {
    encodings.opened(document);
    lineEnds.readFile(document);
    checkLineEnds(document, warned);
  }
  for (const document of vscode.workspace.textDocuments) opened(document);
  return { map, play, request };
}

function deactivate() {
  closing.now = true;
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
