'use strict';
// The web's server in Debian's chromium: dist/browser/server.js as a web
// worker, with the WASI shim bundled in it, running a real vln.wasm, spoken
// to the way the browser language client speaks to it (one object per
// postMessage). The first messages arrive before the module does, as they
// do in the editor.
//   VLN_WASM=build-wasm/tools/vln/vln.wasm node --test test/browser/worker.test.js
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const http = require('http');
const path = require('path');
const { chromium } = require('playwright-core');

const extension = path.resolve(__dirname, '..', '..');

function serve(files) {
  const server = http.createServer((request, response) => {
    const [type, file] = files[request.url] || [];
    if (!file) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, { 'Content-Type': type }).end(typeof file === 'string' ? fs.readFileSync(file) : file);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

test('vln.wasm in a web worker: diagnostics and completion', { timeout: 60000 }, async (t) => {
  const wasm = process.env.VLN_WASM;
  assert.ok(wasm && fs.existsSync(wasm), 'VLN_WASM must name a vln.wasm: make wasm');
  const server = await serve({
    '/': ['text/html', Buffer.from('<!doctype html><title>worker</title>')],
    '/favicon.ico': ['image/x-icon', Buffer.alloc(0)],
    '/server.js': ['text/javascript', path.join(extension, 'dist', 'browser', 'server.js')],
    '/vln.wasm': ['application/wasm', wasm],
  });
  t.after(() => server.close());
  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
  t.after(() => browser.close());
  const page = await browser.newPage();
  // Whatever the page or the worker reports as wrong ends the test at once.
  const problems = [];
  let reportProblem;
  const problem = new Promise((resolve, reject) => { reportProblem = reject; });
  problem.catch(() => {});
  const report = (text) => { problems.push(text); reportProblem(new Error(text)); };
  page.on('pageerror', (error) => report(error.message));
  page.on('console', (m) => { if (m.type() === 'error' || m.type() === 'warning') report(m.text()); });

  // Answers by id; notifications by method, each waited for by a predicate.
  const answers = new Map();
  const watchers = [];
  await page.exposeFunction('fromServer', (message) => {
    if (message.id !== undefined && answers.has(message.id)) answers.get(message.id)(message);
    for (const w of [...watchers]) {
      if (w.method === message.method && w.accept(message.params)) {
        watchers.splice(watchers.indexOf(w), 1);
        w.resolve(message.params);
      }
    }
  });
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  await page.evaluate(() => {
    window.started = performance.now();
    window.worker = new Worker('/server.js');
    window.worker.onmessage = ({ data }) => window.fromServer(data);
    window.worker.onerror = (e) => console.error(`worker: ${e.message}`);
  });
  const post = (message) => page.evaluate((m) => window.worker.postMessage(m), message);
  let nextId = 1;
  const request = (method, params) => {
    const id = nextId++;
    const answered = new Promise((resolve) => answers.set(id, resolve));
    return post({ jsonrpc: '2.0', id, method, params }).then(() => Promise.race([answered, problem]));
  };
  const notify = (method, params) => post({ jsonrpc: '2.0', method, params });
  const notification = (method, accept) =>
    Promise.race([new Promise((resolve) => watchers.push({ method, accept, resolve })), problem]);

  const initialized = request('initialize', { processId: null, rootUri: null, capabilities: {} });
  await page.evaluate(async () => {
    const bytes = new Uint8Array(await (await fetch('/vln.wasm')).arrayBuffer());
    window.worker.postMessage({ velnoriWasm: bytes }, [bytes.buffer]);
  });
  const init = await initialized;
  const startMs = await page.evaluate(() => performance.now() - window.started);
  console.log(`# vln.wasm in chromium's worker: worker created to initialize answered ${startMs.toFixed(0)} ms`);
  assert.ok(init.result.capabilities.completionProvider, JSON.stringify(init));
  await notify('initialized', {});

  const uri = 'file:///stories/mistake.vln';
  const lines = ['[start]Morning.>>[raod]', '[road]On the road.::END', ''];
  const mistake = notification('textDocument/publishDiagnostics', (p) => p.uri === uri);
  await notify('textDocument/didOpen', { textDocument: { uri, languageId: 'vln', version: 1, text: lines.join('\r\n') } });
  const found = await mistake;
  assert.ok(found.diagnostics.some((d) => d.range.start.line === 0 && d.message.includes('[raod]')), JSON.stringify(found));

  // Inside the brackets of the jump: the labels there are.
  const completion = await request('textDocument/completion', { textDocument: { uri }, position: { line: 0, character: 18 } });
  const items = Array.isArray(completion.result) ? completion.result : completion.result.items;
  assert.ok(items.some((item) => /road/.test(item.label)), JSON.stringify(items));

  // Two changes in one go: the diagnostics of the last text, the mistake gone.
  const mended = notification('textDocument/publishDiagnostics', (p) => p.uri === uri && p.version === 3);
  await page.evaluate(([u]) => {
    const change = (version, text) => ({ jsonrpc: '2.0', method: 'textDocument/didChange',
      params: { textDocument: { uri: u, version }, contentChanges: [{ range: { start: { line: 0, character: 18 }, end: { line: 0, character: 22 } }, text }] } });
    window.worker.postMessage(change(2, 'rado'));
    window.worker.postMessage(change(3, 'road'));
  }, [uri]);
  const clean = await mended;
  assert.ok(!clean.diagnostics.some((d) => d.message.includes('[ra')), JSON.stringify(clean));

  const shutdown = await request('shutdown', null);
  assert.strictEqual(shutdown.result, null);
  assert.deepStrictEqual(problems, []);
});
