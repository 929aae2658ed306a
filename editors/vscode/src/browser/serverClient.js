'use strict';
const vscode = require('vscode');
const { LanguageClient, State } = require('vscode-languageclient/browser');
const { announce } = require('../serverAnnounce');

// The client of VS Code for the Web: the same server, vln.wasm, in a web
// worker (dist/browser/server.js) instead of a process. The web's bundle
// puts this in place of ../serverClient.
function serverClient(context, clientOptions) {
  const file = (...parts) => vscode.Uri.joinPath(context.extensionUri, ...parts);
  const client = new WorkerClient(clientOptions, file('dist', 'browser', 'server.js'), file('bin', 'vln.wasm'));
  announce(client, `${file('bin', 'vln.wasm').toString(true)} (wasm, in a web worker)`, State.Running);
  return client;
}

// The worker is made as the client starts, from the script's text: the
// editor refuses a worker from the address of an extension installed on a
// remote, and the extension may live there, on a gallery, or on disk.
class WorkerClient extends LanguageClient {
  constructor(clientOptions, script, wasm) {
    super('velnori', 'Velnori', clientOptions, null);
    Object.assign(this, { script, wasm });
  }

  async createMessageTransports(encoding) {
    const [script, wasm] = await Promise.all([extensionFile(this.script), extensionFile(this.wasm)]);
    if (this.worker) this.worker.terminate();
    const url = URL.createObjectURL(new Blob([script], { type: 'text/javascript' }));
    this.worker = new Worker(url);
    this.worker.postMessage({ velnoriWasm: wasm }, [wasm.buffer]);
    return super.createMessageTransports(encoding);
  }
}

// One of the extension's own files: through the workspace's file systems
// where the extension lives on one (a remote, or the disk), else over HTTP.
async function extensionFile(uri) {
  try {
    return new Uint8Array(await vscode.workspace.fs.readFile(uri)).slice();
  } catch {
    const response = await fetch(uri.toString(true));
    if (!response.ok) throw new Error(`${uri.toString(true)}: ${response.status} ${response.statusText}`);
    return new Uint8Array(await response.arrayBuffer());
  }
}

module.exports = { serverClient };
