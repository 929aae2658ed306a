'use strict';
// The page in Debian's chromium, opened from disk as a user opens it, with
// every request it makes written down.
const fs = require('fs');
const path = require('path');
const { chromium } = require('playwright-core');

const ROOT = path.resolve(__dirname, '..', '..');
const FOLDER = path.join(ROOT, 'build-web');
const PAGE = `file://${FOLDER}/index.html`;

async function launch() {
  return chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
}

// A page of the folder; `requests` gathers every URL it asks for.
async function openPage(browser, fragment = '') {
  const context = await browser.newContext({ acceptDownloads: true });
  const page = await context.newPage();
  page.requests = [];
  page.errors = [];
  page.on('request', (request) => page.requests.push(request.url()));
  page.on('pageerror', (error) => page.errors.push(error.message));
  // Playwright starts catching file choosers with the first listener, a
  // round trip later: one opened by a key pressed in that time is lost.
  page.on('filechooser', () => {});
  page.opened = Date.now();
  await page.goto(PAGE + fragment);
  return page;
}

// Waits for the Problems list of the server's next diagnostics.
async function diagnostics(page, before) {
  await page.waitForFunction((last) => {
    const at = document.getElementById('editor').dataset.diagnosedAt;
    return at !== undefined && at !== last;
  }, before);
  return page.$$eval('#problems li', (rows) => rows.map((row) => row.textContent));
}

function diagnosedAt(page) {
  return page.$eval('#editor', (e) => e.dataset.diagnosedAt);
}

// Opens a story through the page's Open button.
async function openStory(page, file, bytes) {
  const before = await diagnosedAt(page);
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.click('label.button')]);
  await chooser.setFiles(bytes ? { name: file, mimeType: 'application/octet-stream', buffer: bytes } : file);
  return diagnostics(page, before);
}

// What the Save button writes.
async function saveStory(page) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save')]);
  return fs.readFileSync(await download.path());
}

// Types at the end of the story and waits until the Problems list holds
// `expected`: diagnostics come after each key, the last ones after the last.
async function typeAtEnd(page, text, expected) {
  await page.click('.cm-content');
  await page.keyboard.press('Control+End');
  await page.keyboard.type(text);
  await page.waitForFunction((want) => document.getElementById('problems').textContent.includes(want), expected);
  return page.$$eval('#problems li', (rows) => rows.map((row) => row.textContent));
}

function median(values) {
  const sorted = values.slice().sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

module.exports = { ROOT, FOLDER, PAGE, launch, openPage, diagnostics, diagnosedAt, openStory, saveStory, typeAtEnd, median };
