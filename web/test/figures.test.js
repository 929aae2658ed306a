'use strict';
// The page's speed and size, printed as figures, never held to a number:
// the machine is shared and its load varies.
const test = require('node:test');
const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { FOLDER, launch, openPage, diagnosedAt, openStory, median } = require('./page');

// A story of `passages` passages in `lines` lines, each passage offering a
// choice of the next two.
function story(passages, lines) {
  const per = Math.max(1, Math.floor(lines / passages));
  const out = [];
  for (let p = 0; p < passages; p++) {
    out.push(`[p${p}]Passage ${p}.`);
    for (let l = 2; l < per; l++) out.push(`Line ${l} of passage ${p}.`);
    out.push(p + 2 < passages ? `Where now??[p${p + 1}],[p${p + 2}]` : '::END');
  }
  return Buffer.from(`${out.join('\r\n')}\r\n`);
}

test('figures', async () => {
  const browser = await launch();
  try {
    let size = 0;
    let wire = 0;
    for (const name of fs.readdirSync(FOLDER)) {
      const bytes = fs.readFileSync(path.join(FOLDER, name));
      size += bytes.length;
      wire += zlib.gzipSync(bytes, { level: 9 }).length;
    }
    console.log(`figure: build-web/ ${(size / 1e6).toFixed(2)} MB, gzip -9 ${(wire / 1e6).toFixed(2)} MB`);

    const loads = [];
    let page;
    for (let i = 0; i < 7; i++) {
      if (page) await page.context().close();
      page = await openPage(browser);
      await page.waitForFunction(() => document.getElementById('editor').dataset.diagnosedAt !== undefined);
      loads.push(Date.now() - page.opened);
    }
    console.log(`figure: file:// to editable with the worked example's diagnostics: median ${median(loads)} ms over ${loads.length} loads`);
    // Opening the next story leaves the typing before unsaved.
    page.on('dialog', (dialog) => dialog.accept());

    const big = story(1000, 10000);
    await openStory(page, 'ten-thousand.vln', big);
    await page.click('.cm-content');
    const keyTimes = [];
    const waits = [];
    for (let i = 0; i < 21; i++) {
      const before = await diagnosedAt(page);
      const pressed = Date.now();
      await page.keyboard.type('x');
      await page.waitForFunction((last) => document.getElementById('editor').dataset.diagnosedAt !== last, before);
      waits.push(Date.now() - pressed);
      keyTimes.push(Number(await page.$eval('#editor', (e) => e.dataset.diagnosedMs)));
    }
    console.log(`figure: keystroke to diagnostics, ${big.toString().split('\r\n').length - 1} lines, 1,000 passages: `
      + `median ${median(keyTimes).toFixed(1)} ms in the page, ${median(waits)} ms as the test waits (its round trips too), over ${keyTimes.length}`);

    await openStory(page, 'hundred.vln', story(100, 400));
    const mapFrame = await (await page.$('iframe.map')).contentFrame();
    await mapFrame.waitForFunction(() => document.querySelectorAll('g.node.passage-link').length === 100);
    await page.click('.cm-content');
    const mapTimes = [];
    for (let i = 0; i < 11; i++) {
      await mapFrame.evaluate(() => {
        window.redrawn = new Promise((resolve) => {
          const observer = new MutationObserver(() => { observer.disconnect(); resolve(Date.now()); });
          observer.observe(document.getElementById('canvas'), { childList: true });
        });
      });
      const pressed = Date.now();
      await page.keyboard.type('y');
      mapTimes.push((await mapFrame.evaluate(() => window.redrawn)) - pressed);
    }
    console.log(`figure: keystroke to map redrawn, 100 passages: median ${median(mapTimes)} ms over ${mapTimes.length}`);
  } finally {
    await browser.close();
  }
});
