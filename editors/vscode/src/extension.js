'use strict';
const vscode = require('vscode');
const { createClient } = require('./storyClient');
const { MapView } = require('./mapView');
const { PlayView } = require('./playView');
const { checkLineEnds } = require('./lineEndCheck');

let client = null;
let clientStarted = null;

function startClient(context) {
  client = createClient(context);
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
  startClient(context);
  const map = new MapView(context, request);
  const play = new PlayView(context, request);
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
    vscode.workspace.onDidChangeTextDocument((event) => {
      map.textChanged(event.document);
      play.textChanged(event.document);
    }),
    vscode.window.onDidChangeActiveTextEditor((e) => {
      if (isStory(e)) lastStory = e.document;
      map.editorChanged(e);
    }),
    vscode.window.onDidChangeTextEditorSelection((event) => map.selectionChanged(event.textEditor)),
    vscode.workspace.onDidOpenTextDocument((document) => checkLineEnds(document, warned)),
    vscode.workspace.onDidCloseTextDocument((document) => warned.delete(document.uri.toString())),
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration('velnori.vlnPath')) return;
      const old = client;
      startClient(context);
      await old.stop().catch(() => {});
    }),
  );
  for (const document of vscode.workspace.textDocuments) checkLineEnds(document, warned);
  return { map, play, request };
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
