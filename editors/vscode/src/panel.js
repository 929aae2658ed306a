'use strict';
const vscode = require('vscode');
const { webviewHtml, makeNonce } = require('./webviewHtml');

// A webview beside the editor, made of dist/NAME.js and media/NAME.css. It is
// kept alive while hidden so that the map keeps its zoom and scroll.
function openPanel(context, viewType, title, name, onMessage, preserveFocus = true) {
  const panel = vscode.window.createWebviewPanel(
    viewType,
    title,
    { viewColumn: vscode.ViewColumn.Beside, preserveFocus },
    {
      enableScripts: true,
      retainContextWhenHidden: true,
      localResourceRoots: [
        vscode.Uri.joinPath(context.extensionUri, 'dist'),
        vscode.Uri.joinPath(context.extensionUri, 'media'),
      ],
    },
  );
  const webview = panel.webview;
  webview.html = webviewHtml({
    title,
    cspSource: webview.cspSource,
    scriptUri: webview.asWebviewUri(vscode.Uri.joinPath(context.extensionUri, 'dist', `${name}.js`)),
    styleUri: webview.asWebviewUri(vscode.Uri.joinPath(context.extensionUri, 'media', `${name}.css`)),
    nonce: makeNonce(),
  });
  webview.onDidReceiveMessage(onMessage);
  return panel;
}

module.exports = { openPanel };
