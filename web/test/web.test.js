'use strict';
// Velnori in the browser, driven in chromium as its user drives it.
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const page_ = require('./page');
const { ROOT, FOLDER, launch, openPage, diagnostics, diagnosedAt, openStory, saveStory, typeAtEnd, median } = page_;

let browser;
const pages = [];
test.before(async () => { browser = await launch(); });
test.after(async () => {
  // No request beyond the page's own files, in any test.
  const outside = pages.flatMap((p) => p.requests).filter((url) => !url.startsWith(`file://${FOLDER}/`)
    && !url.startsWith('blob:') && !url.startsWith('data:') && !url.startsWith('about:'));
  await browser.close();
  assert.deepStrictEqual(outside, []);
});

async function newPage(fragment) {
  const page = await openPage(browser, fragment);
  pages.push(page);
  await page.waitForFunction(() => document.getElementById('editor').dataset.diagnosedAt !== undefined);
  return page;
}

test('the worked example with a planted mistake: the diagnostic on its line, completion and hover', async () => {
  const page = await newPage();
  const ready = Date.now() - page.opened;
  console.log(`figure: file:// to editable with the worked example's diagnostics: ${ready} ms`
    + ` (page's own count ${Number(await diagnosedAt(page)).toFixed(0)} ms)`);
  const problems = await typeAtEnd(page, 'Wait??[up],[nowhere]', '"[nowhere]"');
  const missing = problems.find((p) => p.includes('choice-target-missing'));
  assert.ok(missing, problems.join('\n'));
  assert.match(missing, /^line 9 /);
  assert.strictEqual(await page.locator('.cm-line').nth(8).locator('.cm-lintRange-error').count(), 1);
  await page.locator('a.code', { hasText: 'choice-target-missing' }).first().click();
  assert.match(await page.locator('#code-choice-target-missing + dd').innerText(), /Mend: .*existing label/);

  await page.click('.cm-content');
  await page.keyboard.press('Control+End');
  await page.keyboard.press('Escape');
  await page.keyboard.press('Enter');
  await page.keyboard.type('>>[sl');
  const completion = page.locator('.cm-tooltip-autocomplete');
  await completion.waitFor();
  await completion.locator('li', { hasText: '[sleep]' }).click();
  await page.locator('.cm-line', { hasText: '>>[sleep]' }).waitFor();

  const line = await page.locator('.cm-line').nth(2).boundingBox();
  await page.mouse.move(line.x + 150, line.y + 5);
  const hover = page.locator('.cm-tooltip-hover');
  await hover.waitFor();
  assert.match(await hover.innerText(), /Switches A on/);
});
