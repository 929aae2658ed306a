'use strict';
// The one page both views are made of: a stylesheet, a script and an empty
// body the script fills. Graphviz runs as WebAssembly inside the map's
// script, which the page's policy must allow ('wasm-unsafe-eval').
function webviewHtml({ title, cspSource, scriptUri, styleUri, nonce }) {
  const csp = [
    "default-src 'none'",
    `img-src ${cspSource} data:`,
    `style-src ${cspSource} 'unsafe-inline'`,
    `script-src 'nonce-${nonce}' 'wasm-unsafe-eval'`,
  ].join('; ');
  return `<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="UTF-8">
<meta http-equiv="Content-Security-Policy" content="${csp}">
<meta name="viewport" content="width=device-width, initial-scale=1.0">
<link rel="stylesheet" href="${styleUri}">
<title>${title}</title>
</head>
<body>
<script nonce="${nonce}" src="${scriptUri}"></script>
</body>
</html>
`;
}

function makeNonce(random = Math.random) {
  const chars = 'ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789';
  let nonce = '';
  for (let i = 0; i < 32; i++) nonce += chars[Math.floor(random() * chars.length)];
  return nonce;
}

module.exports = { webviewHtml, makeNonce };
