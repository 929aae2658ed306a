'use strict';
// Bundles the extension and the launcher of vln.wasm (for Node 18, VS Code's
// own module left out) and the
// two webview scripts (for the browser, Graphviz's wasm inlined) into dist/.
const esbuild = require('esbuild');

const common = { bundle: true, minify: true, logLevel: 'warning', legalComments: 'none' };
Promise.all([
  esbuild.build({
    ...common,
    entryPoints: ['src/extension.js', 'src/wasmServer.js'],
    outdir: 'dist',
    external: ['vscode'],
    format: 'cjs',
    platform: 'node',
    target: 'node18',
  }),
  esbuild.build({
    ...common,
    entryPoints: ['media/map.js', 'media/play.js'],
    outdir: 'dist',
    format: 'iife',
    platform: 'browser',
    target: 'chrome114',
  }),
]).catch(() => process.exit(1));
