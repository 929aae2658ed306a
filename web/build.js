'use strict';
// Builds build-web/: one page that works opened from disk. A page from file://
// may load classic scripts beside it but no worker, module or wasm by URL,
// so the server's worker and vln.wasm travel inside the page's script as
// text, the worker started from a blob. The two views run in sandboxed
// frames, which may load nothing from disk: views.js holds their text.
//   node build.js VLN_WASM OUT_DIR
const fs = require('fs');
const path = require('path');
const esbuild = require('esbuild');

const [wasmPath, outDir] = process.argv.slice(2);
if (!wasmPath || !outDir) {
  console.error('usage: node build.js VLN_WASM OUT_DIR');
  process.exit(2);
}
const root = path.resolve(__dirname, '..');
const vscode = path.join(root, 'editors', 'vscode');
const target = 'chrome114';

// A classic script's text, bundled, with nothing that would end the <script>
// element that carries it.
async function scriptText(entry, nodePaths) {
  const result = await esbuild.build({
    entryPoints: [entry], bundle: true, minify: true, write: false, format: 'iife', platform: 'browser',
    target, legalComments: 'none', logLevel: 'warning', nodePaths,
  });
  return result.outputFiles[0].text.replace(/<\/(script)/gi, '<\\/$1');
}

async function main() {
  const vscodeModules = [path.join(vscode, 'node_modules'), path.join(__dirname, 'node_modules')];
  const [worker, mapView, playView] = await Promise.all([
    scriptText(path.join(vscode, 'src', 'browser', 'server.js'), vscodeModules),
    scriptText(path.join(vscode, 'media', 'map.js'), vscodeModules),
    scriptText(path.join(vscode, 'media', 'play.js'), vscodeModules),
  ]);
  const inlined = {
    VELNORI_WORKER: worker,
    VELNORI_WASM: fs.readFileSync(wasmPath).toString('base64'),
    // A new story starts from the worked example, byte for byte.
    VELNORI_EXAMPLE: fs.readFileSync(path.join(root, 'tests', 'vln', 'worked.vln'), 'latin1'),
    VELNORI_CHECK_CODES: fs.readFileSync(path.join(root, 'docs', 'check-codes.md'), 'utf8'),
  };
  fs.rmSync(outDir, { recursive: true, force: true });
  fs.mkdirSync(outDir, { recursive: true });
  const views = {
    map: { script: mapView, css: fs.readFileSync(path.join(vscode, 'media', 'map.css'), 'utf8') },
    play: { script: playView, css: fs.readFileSync(path.join(vscode, 'media', 'play.css'), 'utf8') },
  };
  fs.writeFileSync(path.join(outDir, 'views.js'), `var VELNORI_VIEWS = ${JSON.stringify(views).replace(/<\/(script)/gi, '<\\/$1')};\n`);
  await esbuild.build({
    entryPoints: [path.join(__dirname, 'src', 'main.js')], bundle: true, minify: true, format: 'iife',
    platform: 'browser', target, legalComments: 'none', logLevel: 'warning',
    outfile: path.join(outDir, 'velnori.js'), nodePaths: vscodeModules,
    define: Object.fromEntries(Object.entries(inlined).map(([name, text]) => [name, JSON.stringify(text)])),
  });
  fs.copyFileSync(path.join(__dirname, 'src', 'index.html'), path.join(outDir, 'index.html'));
  fs.copyFileSync(path.join(__dirname, 'src', 'velnori.css'), path.join(outDir, 'velnori.css'));
}

main().catch((error) => {
  console.error(error.message || error);
  process.exit(1);
});
