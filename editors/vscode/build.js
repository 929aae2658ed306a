'use strict';
// Bundles into dist/: the extension and the launcher of vln.wasm for Node 18
// (VS Code's own module left out); the extension for VS Code for the Web and
// its server's worker, in dist/browser/; the two webview scripts (Graphviz's
// wasm inlined).
const path = require('path');
const esbuild = require('esbuild');

// The web's bundle is the desktop's extension with the browser's language
// client and its server in a worker, and the one part of Node's path module
// it uses.
const forTheWeb = {
  name: 'for-the-web',
  setup(build) {
    const here = (file) => ({ path: path.resolve(__dirname, 'src', 'browser', file) });
    build.onResolve({ filter: /^\.\/serverClient$/ }, (args) =>
      (path.dirname(args.importer) === path.resolve(__dirname, 'src') ? here('serverClient.js') : undefined));
    build.onResolve({ filter: /^path$/ }, () => here('path.js'));
    build.onResolve({ filter: /^vscode-languageclient\/node$/ }, () =>
      ({ path: require.resolve('vscode-languageclient/browser', { paths: [__dirname] }) }));
  },
};

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
    entryPoints: ['src/browser/extension.js'],
    outfile: 'dist/browser/extension.js',
    external: ['vscode'],
    format: 'cjs',
    platform: 'browser',
    target: 'chrome114',
    plugins: [forTheWeb],
  }),
  esbuild.build({
    ...common,
    entryPoints: ['src/browser/server.js'],
    outfile: 'dist/browser/server.js',
    format: 'iife',
    platform: 'browser',
    target: 'chrome114',
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
