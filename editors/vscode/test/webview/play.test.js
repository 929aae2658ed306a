'use strict';
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { execFileSync } = require('child_process');
const { launch, openView, waitFor, median, vlnProgram, root } = require('./harness');

const worked = path.join(root, 'tests', 'vln', 'worked.vln');

// What `vln play --json` says once the story is opened (the first `down`
// opens it, as velnori/play's start step is), then after each of `events`.
function played(events, story = worked) {
  const out = execFileSync(vlnProgram(), ['play', '--json', story, 'down', ...events], { encoding: 'utf8' });
  return out.trim().split('\n').slice(1).map((line) => JSON.parse(line));
}

test('play view in chromium: the worked example read with the keys', async (t) => {
  const browser = await launch();
  t.after(() => browser.close());
  // The extension's side: every key replays the story from the start.
  const events = [];
  let view;
  let opened;
  const viewOpened = new Promise((resolve) => { opened = resolve; });
  const onPost = async (message) => {
    await viewOpened; // the page says it is ready before goto returns
    if (message.type === 'key') events.push(message.event);
    else if (message.type !== 'ready') return;
    const steps = played(events);
    await view.send({ type: 'step', step: { ...steps.at(-1), line: null }, keys: events.length });
  };
  view = await openView(browser, 'play', onPost);
  opened();
  const { page, problems } = view;
  await waitFor(page, () => document.getElementById('caption').textContent !== '');
  await page.evaluate(() => {
    window.__latency = [];
    let pressed = null;
    document.addEventListener('keydown', () => { pressed = performance.now(); }, true);
    new MutationObserver(() => {
      if (pressed !== null) window.__latency.push(performance.now() - pressed);
      pressed = null;
    }).observe(document.getElementById('caption'), { childList: true, characterData: true, subtree: true });
  });

  // Keys as pressed, and the vln play event each stands for (null: the
  // reader ignores it, so nothing is sent).
  const keys = [
    ['ArrowDown', 'down'], ['Digit3', '3'], ['ArrowUp', null], ['Numpad1', 'kp1'],
    ['ArrowDown', 'down'], ['ArrowDown', 'down'], ['ArrowDown', 'down'], ['KeyX', null],
    ['ArrowDown', 'down'], ['ArrowDown', 'down'], ['Space', 'space'],
  ];
  const expected = played(keys.map(([, e]) => e).filter(Boolean));
  let step = 0;
  for (const [key, event] of keys) {
    await page.keyboard.press(key);
    if (event === null) {
      await page.waitForTimeout(100);
      assert.strictEqual(events.length, step, `${key} is not sent`);
      continue;
    }
    const want = expected[++step]; // expected[0] is the story just opened
    await waitFor(page, (n) => window.__latency.length >= n, step);
    const shown = await page.evaluate(() => ({
      caption: document.getElementById('caption').textContent,
      flags: [...document.querySelectorAll('#flags .flag')].map((f) => (f.classList.contains('on') ? -1 : 0)),
      choice: [...document.querySelectorAll('#choice .item')].map((i) => i.textContent),
      minimized: document.getElementById('strip').classList.contains('minimized'),
    }));
    assert.strictEqual(shown.caption, want.caption, `after ${key}`);
    assert.deepStrictEqual(shown.flags, want.flags, `flags after ${key}`);
    assert.strictEqual(shown.choice.length, want.choice === '' ? 0 : want.choice.split(',').length, `choice after ${key}`);
    assert.strictEqual(shown.minimized, want.minimized, `minimized after ${key}`);
  }
  assert.deepStrictEqual(events, ['down', '3', 'kp1', 'down', 'down', 'down', 'down', 'down', 'space']);
  assert.strictEqual(expected.at(-2).caption, 'You catch the bus.', 'the reading went the whole way');
  const latency = await page.evaluate(() => window.__latency);
  console.log(`# play key to strip text: median ${median(latency).toFixed(1)} ms over ${latency.length} keys (max ${Math.max(...latency).toFixed(1)}), goal 50 ms`);

  // The screenshot: a sample story with its choice pending and a flag on.
  const hoshi = path.join(root, 'examples', 'hoshi-no-eki.vln');
  const shown = played(['down', 'down', '1', 'down', 'down', 'down', 'down'], hoshi).at(-1);
  await view.send({ type: 'step', step: { ...shown, line: 10 }, keys: 7 });
  await waitFor(page, () => document.querySelector('#flags .flag.on') !== null);
  await page.setViewportSize({ width: 620, height: 230 });
  await page.screenshot({ path: path.join(root, 'docs', 'vscode-play.png') });

  // Items as written: the leading spaces of "   [sleep]" keep their width.
  await view.send({ type: 'step', step: { ...shown, choice: '[sleep],   [sleep]', line: null }, keys: 8 });
  await waitFor(page, () => document.querySelectorAll('#choice .item').length === 2);
  const widths = await page.evaluate(() => [...document.querySelectorAll('#choice .item .text')].map((t) => t.getBoundingClientRect().width));
  assert.ok(widths[1] > widths[0] * 1.2, `"   [sleep]" drawn as wide as "[sleep]": ${widths}`);

  // A story with nothing to read: the reader's message box, title and text.
  const empty = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'play-')), 'empty.vln');
  fs.writeFileSync(empty, '');
  const failed = played([], empty).at(-1);
  await view.send({ type: 'step', step: { ...failed, line: null }, keys: 9 });
  await waitFor(page, () => !document.getElementById('message').hidden);
  assert.strictEqual(await page.evaluate(() => document.getElementById('message').textContent),
    'Message box "エラー": ファイルが開けません');
  assert.deepStrictEqual(problems, []);
});
