'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { launch, openView, waitFor, median, vlnProgram, bigStory, root } = require('./harness');

function dotOf(storyText) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vln-map-'));
  try {
    const file = path.join(folder, 'story.vln');
    fs.writeFileSync(file, storyText);
    return execFileSync(vlnProgram(), ['map', file, '-o', '-'], { encoding: 'utf8' });
  } finally {
    fs.rmSync(folder, { recursive: true, force: true });
  }
}

function inbox() {
  const messages = [];
  const waiting = [];
  return {
    messages,
    post(message) {
      messages.push(message);
      for (const w of waiting.splice(0)) w();
    },
    async next(type, after = messages.length) {
      for (;;) {
        const found = messages.slice(after).find((m) => m.type === type);
        if (found) return found;
        await new Promise((resolve) => { waiting.push(resolve); setTimeout(resolve, 200); });
      }
    },
  };
}

test('map view in chromium', async (t) => {
  const browser = await launch();
  t.after(() => browser.close());
  const box = inbox();
  const opened = await openView(browser, 'map', box.post);
  const { send, problems } = opened;
  let { page } = opened;
  await box.next('ready', 0);

  const hoshi = fs.readFileSync(path.join(root, 'examples', 'hoshi-no-eki.vln'), 'utf8');
  const dot = dotOf(hoshi);
  const passages = dot.split('\n').filter((l) => /^\s+L\d+ \[/.test(l)).length;
  assert.strictEqual(passages, 9, 'the sample story has nine passages');

  await t.test('one box per passage, the cursor\'s highlighted', async () => {
    const mark = box.messages.length;
    const lines = Object.fromEntries([1, 4, 6, 8, 10, 12, 14, 15, 16].map((n) => [`L${n}`, n]));
    await send({ type: 'map', dot, lines, passages, neighbourhood: false, current: 'L10' });
    const rendered = await box.next('rendered', mark);
    assert.ok(rendered.ok, problems.join('\n'));
    const ids = await page.$$eval('g.node', (nodes) => nodes.map((n) => n.dataset.id));
    assert.deepStrictEqual(ids.sort(), ['L1', 'L10', 'L12', 'L14', 'L15', 'L16', 'L4', 'L6', 'L8']);
    assert.deepStrictEqual(await page.$$eval('g.node.current', (n) => n.map((x) => x.dataset.id)), ['L10']);
    await send({ type: 'cursor', current: 'L4' });
    await waitFor(page, () => document.querySelector('g.node.current')?.dataset.id === 'L4');
    assert.match(await page.textContent('#status'), /^9 passages$/);
  });

  await t.test('clicking a passage posts it and its line', async () => {
    const mark = box.messages.length;
    await page.click('g.node[data-id="L14"]');
    assert.deepStrictEqual(await box.next('reveal', mark), { type: 'reveal', id: 'L14', line: 14 });
  });

  await t.test('a new map keeps zoom and scroll', async () => {
    await page.click('#zoom-reset');
    await page.click('#zoom-in');
    await page.click('#zoom-in');
    await page.click('#zoom-in');
    assert.strictEqual(await page.textContent('#zoom-level'), '195%');
    await page.evaluate(() => { const c = document.getElementById('canvas'); c.scrollLeft = 120; c.scrollTop = 90; });
    const before = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      return { left: c.scrollLeft, top: c.scrollTop, width: parseFloat(c.querySelector('svg').getAttribute('width')) };
    });
    assert.ok(before.left === 120 && before.top === 90, JSON.stringify(before));
    const edited = hoshi.replace('遠くから、汽笛が一つ聞こえた。', '遠くから、汽笛が二つ聞こえた。');
    const mark = box.messages.length;
    // The cursor stays at L4, where the first case left it.
    await send({ type: 'map', dot: dotOf(edited), passages, neighbourhood: false, current: 'L4' });
    await box.next('rendered', mark);
    const after = await page.evaluate(() => {
      const c = document.getElementById('canvas');
      return { left: c.scrollLeft, top: c.scrollTop, width: parseFloat(c.querySelector('svg').getAttribute('width')), text: c.textContent };
    });
    assert.strictEqual(await page.textContent('#zoom-level'), '195%');
    assert.deepStrictEqual({ left: after.left, top: after.top }, { left: 120, top: 90 });
    assert.ok(Math.abs(after.width - before.width) < before.width * 0.05, `${before.width} vs ${after.width}`);
    assert.match(after.text, /汽笛が二つ/, 'the new text is drawn');
    await page.click('#zoom-reset');
    await page.evaluate(() => { const c = document.getElementById('canvas'); c.scrollLeft = 0; c.scrollTop = 0; });
    await page.screenshot({ path: path.join(root, 'docs', 'vscode-map.png') });
  });

  await t.test('redraw time for 100 and 1,000 passages', async () => {
    for (const [count, limit] of [[100, 300], [1000, 2000]]) {
      const big = dotOf(bigStory(count));
      const times = [];
      for (let i = 0; i < 3; i++) {
        const mark = box.messages.length;
        const started = Date.now();
        await send({ type: 'map', dot: big, passages: count, neighbourhood: false, current: null });
        const rendered = await box.next('rendered', mark);
        assert.ok(rendered.ok);
        times.push(Date.now() - started);
      }
      const nodes = await page.$$eval('g.node', (n) => n.length);
      assert.strictEqual(nodes, count, 'every passage drawn');
      console.log(`# map redraw, ${count} passages: median ${median(times)} ms (${times.join(', ')}), goal ${limit} ms`);
    }
  });

  await t.test('a new view is placed: fitted while readable, else at the cursor; Fit; the cursor kept in view', async () => {
    const inPane = (selector) => page.evaluate((sel) => {
      const pane = document.getElementById('canvas').getBoundingClientRect();
      const box = document.querySelector(sel).getBoundingClientRect();
      return box.left >= pane.left - 1 && box.right <= pane.right + 1 && box.top >= pane.top - 1 && box.bottom <= pane.bottom + 1;
    }, selector);
    const big = dotOf(bigStory(1000));
    const ids = big.split('\n').map((l) => /^\s+(L\d+) \[/.exec(l)).filter(Boolean).map((m) => m[1]);
    const rows = [
      // reason, dot, passages, current, fitted whole
      ['nine passages: the whole map', dot, 9, 'L10', true],
      ['a thousand would be unreadable fitted: actual size, the cursor\'s passage in view', big, 1000, ids[600], false],
    ];
    for (const [reason, mapDot, count, current, whole] of rows) {
      const fresh = inbox();
      const view = await openView(browser, 'map', fresh.post);
      await fresh.next('ready', 0);
      await view.send({ type: 'map', dot: mapDot, passages: count, neighbourhood: false, current });
      assert.ok((await fresh.next('rendered', 0)).ok, reason);
      page = view.page;
      assert.ok(await inPane(`g.node[data-id="${current}"]`), `${reason}: the cursor's passage in view`);
      assert.strictEqual(await inPane('#canvas svg'), whole, reason);
      if (!whole) {
        assert.strictEqual(await page.textContent('#zoom-level'), '100%', reason);
        await view.send({ type: 'cursor', current: ids[20] });
        await waitFor(page, (id) => document.querySelector('g.node.current')?.dataset.id === id, ids[20]);
        assert.ok(await inPane(`g.node[data-id="${ids[20]}"]`), `${reason}: followed to the new cursor`);
        await page.click('#zoom-fit');
        assert.ok(await inPane('#canvas svg'), `${reason}: Fit shows the whole map`);
      }
      assert.deepStrictEqual(view.problems, [], reason);
      await page.close();
    }
  });

  assert.deepStrictEqual(problems, []);
});

