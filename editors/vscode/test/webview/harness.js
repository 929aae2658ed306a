'use strict';
// Loads a webview page of the extension (dist/NAME.js, media/NAME.css, the
// same page the extension makes, Content-Security-Policy included) in
// Debian's chromium, with acquireVsCodeApi answered by the test: what the
// page posts reaches `onPost`, and `send` delivers a message as the
// extension's postMessage does.
const fs = require('fs');
const os = require('os');
const path = require('path');
const { chromium } = require('playwright-core');
const { webviewHtml } = require('../../src/webviewHtml');

const extension = path.resolve(__dirname, '..', '..');
const root = path.resolve(extension, '..', '..');

async function launch() {
  return chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
}

async function openView(browser, name, onPost) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), `vln-${name}-`));
  browser.on('disconnected', () => fs.rmSync(folder, { recursive: true, force: true }));
  const nonce = 'testnonce';
  const stub = `<script nonce="${nonce}">
    window.__state = undefined;
    window.acquireVsCodeApi = () => ({
      postMessage: (m) => window.__toExtension(m),
      getState: () => window.__state,
      setState: (s) => { window.__state = s; },
    });
  </script>`;
  const html = webviewHtml({
    title: name,
    cspSource: 'file:',
    scriptUri: `file://${extension}/dist/${name}.js`,
    styleUri: `file://${extension}/media/${name}.css`,
    nonce,
  }).replace('<script nonce', `${stub}\n<script nonce`);
  fs.writeFileSync(path.join(folder, 'index.html'), html);
  const page = await browser.newPage({ viewport: { width: 900, height: 700 } });
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  page.on('console', (m) => { if (m.type() === 'error') problems.push(m.text()); });
  await page.exposeFunction('__toExtension', (message) => onPost(message));
  await page.goto(`file://${folder}/index.html`);
  const send = (message) => page.evaluate((m) => window.postMessage(m, '*'), message);
  return { page, send, problems, folder };
}

// page.waitForFunction compiles its function inside the page, which the
// view's policy forbids; page.evaluate does not.
async function waitFor(page, fn, arg, timeoutMs = 10000) {
  const until = Date.now() + timeoutMs;
  while (!(await page.evaluate(fn, arg))) {
    if (Date.now() > until) throw new Error(`timed out waiting for ${fn}`);
    await new Promise((resolve) => setTimeout(resolve, 5));
  }
}

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// The vln the tests compare with: VLN, else the one `make vsix` builds.
function vlnProgram() {
  const program = process.env.VLN || path.join(root, 'build-vsix', 'tools', 'vln', 'vln');
  if (!fs.existsSync(program)) throw new Error(`no vln at ${program}: build it first (make vscode-test does)`);
  return program;
}

// A story of `count` passages, every kind of arrow among them.
function bigStory(count) {
  const lines = ['[p0]start'];
  for (let k = 0; k < count; k++) {
    const next = (d) => `[p${Math.min(k + d, count - 1)}]`;
    if (k > 0) lines.push(`[p${k}]passage ${k}`);
    if (k === count - 1) lines.push('the end::END');
    else if (k % 3 === 0) lines.push(`choose??${next(1)},${next(2)}`);
    else if (k % 3 === 1) lines.push(`go on>>${next(1)}`);
    else lines.push(`fork>>A${next(1)},${next(3)}`);
  }
  return lines.join('\r\n') + '\r\n';
}

module.exports = { bigStory, launch, openView, waitFor, median, vlnProgram, root, extension };
