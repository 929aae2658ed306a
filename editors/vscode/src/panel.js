'use strict';
const vscode = require('vscode');
const { webviewHtml, makeNonce } = require('./webviewHtml');

// A webview beside the editor, made of dist/NAME.js and media/NAME.css. It is
// kept alive while hidden so that the map keeps its zoom and scroll. With the
// other view open it takes the column after that view's, so that map and
// play are seen side by side instead of hiding each other as tabs.
function openPanel(context, viewType, title, name, onMessage, preserveFocus, otherView) {
  const other = otherView && otherView.panel;
  const viewColumn = other && other.viewColumn ? other.viewColumn + 1 : vscode.ViewColumn.Beside;
  const panel = vscode.window.createWebviewPanel(
    viewType,
    title,
    { viewColumn, preserveFocus },
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
