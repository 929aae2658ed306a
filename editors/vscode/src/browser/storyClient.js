'use strict';
const vscode = require('vscode');
const { LanguageClient, State } = require('vscode-languageclient/browser');
const { announce } = require('../serverAnnounce');

// The language client of VS Code for the Web: the same server, vln.wasm,
// in a web worker (dist/browser/server.js) instead of a process. The bundle
// puts this in place of ../storyClient, so the rest of the extension is the
// one the desktop runs.
function createClient(context) {
  const wasm = vscode.Uri.joinPath(context.extensionUri, 'bin', 'vln.wasm');
  const worker = new Worker(vscode.Uri.joinPath(context.extensionUri, 'dist', 'browser', 'server.js').toString(true));
  wasmBytes(wasm).then(
    (bytes) => worker.postMessage({ velnoriWasm: bytes }, [bytes.buffer]),
    (error) => vscode.window.showErrorMessage(`Velnori: ${wasm.toString(true)} could not be read: ${error.message || error}`),
  );
  const clientOptions = {
    documentSelector: [{ language: 'vln' }],
    synchronize: { configurationSection: 'velnori' },
  };
  const client = new LanguageClient('velnori', 'Velnori', clientOptions, worker);
  announce(client, `${wasm.toString(true)} (wasm, in a web worker)`, State.Running);
  return client;
}

// The extension's own file: through the workspace's file systems where the
// extension lives on one (a remote), else over HTTP (a gallery).
async function wasmBytes(uri) {
  try {
    return new Uint8Array(await vscode.workspace.fs.readFile(uri)).slice();
  } catch {
    const response = await fetch(uri.toString(true));
    if (!response.ok) throw new Error(`${response.status} ${response.statusText}`);
    return new Uint8Array(await response.arrayBuffer());
  }
}

module.exports = { createClient };
