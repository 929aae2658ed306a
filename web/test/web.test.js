'use strict';
// Velnori in the browser, driven in chromium as its user drives it.
const { test, before, after } = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const path = require('path');
const { ROOT, FOLDER, launch, openPage, openStory, saveStory, typeAtEnd, median } = require('./page');

let browser;
const pages = [];
before(async () => { browser = await launch(); });
after(() => browser.close());

async function newPage(fragment) {
  const page = await openPage(browser, fragment);
  pages.push(page);
  await page.waitForFunction(() => document.getElementById('editor').dataset.diagnosedAt !== undefined);
  return page;
}

test('the worked example with a planted mistake: the diagnostic on its line, completion and hover', async () => {
  const page = await newPage();
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

  // F12 on a target goes to its label; F2 renames it everywhere.
  await page.locator('.cm-line').nth(3).locator('text=road').click();
  await page.keyboard.press('F12');
  await page.locator('.cm-activeLine', { hasText: '[road]On the road.' }).waitFor();
  page.once('dialog', (dialog) => dialog.accept('street'));
  await page.keyboard.press('F2');
  await page.locator('.cm-line', { hasText: '[street]On the road.' }).waitFor();
  assert.strictEqual(await page.locator('.cm-line', { hasText: '>>[street]' }).count(), 1);

  const line = await page.locator('.cm-line').nth(2).boundingBox();
  await page.mouse.move(line.x + 150, line.y + 5);
  const hover = page.locator('.cm-tooltip-hover');
  await hover.waitFor();
  assert.match(await hover.innerText(), /Switches A on/);
});

test('a story opened and saved unchanged gives the same bytes, and reads right', async () => {
  const page = await newPage();
  const cases = [
    { file: 'examples/ame-no-kissaten.vln', kind: 'shift-jis', shows: '雨' },
    { file: 'tests/vln/asa-sjis.vln', kind: 'shift-jis', shows: '朝だ。目覚ましが鳴っている。' },
    { file: 'tests/vln/asa.vln', kind: 'utf-8', shows: '朝だ。目覚ましが鳴っている。' },
    { file: 'tests/vln/unix.vln', kind: 'shift-jis', shows: '␊' },
    { name: 'marked.vln', bytes: Buffer.from('\xEF\xBB\xBF[a]あ\r\n', 'latin1'), kind: 'utf-8', shows: '[a]' },
    { name: 'utf16.vln', bytes: Buffer.from('\xFF\xFE[\0a\0]\0B0\r\0\n\0', 'latin1'), kind: 'utf-16le', shows: '[a]あ' },
    { name: 'lone-cr.vln', bytes: Buffer.from('[a]x\ry\r\n', 'latin1'), kind: 'shift-jis', shows: '[a]x\ny', lines: 3 },
    { name: 'mixed.vln', bytes: Buffer.from('[a]x\r\n[b]y\rz\nw\r\r\n>>[a]', 'latin1'), kind: 'shift-jis', shows: 'z␊w', lines: 5 },
  ];
  for (const c of cases) {
    const bytes = c.bytes || fs.readFileSync(path.join(ROOT, c.file));
    await openStory(page, c.name || path.basename(c.file), bytes);
    assert.strictEqual(await page.locator('#file-name').innerText(), `${c.name || path.basename(c.file)} (${c.kind})`);
    assert.ok((await page.locator('.cm-content').innerText()).includes(c.shows), c.file || c.name);
    if (c.lines) assert.strictEqual(await page.locator('.cm-line').count(), c.lines, c.name);
    assert.ok((await saveStory(page)).equals(bytes), c.file || c.name);
  }
});

test('a lone LF stays inside its line through an edit and a save', async () => {
  const page = await newPage();
  const bytes = fs.readFileSync(path.join(ROOT, 'tests', 'vln', 'unix.vln'));
  const lineFeeds = bytes.filter((b) => b === 10).length;
  await openStory(page, 'unix.vln', bytes);
  assert.strictEqual(await page.locator('.cm-line').count(), 1);
  assert.strictEqual(await page.locator('.cm-lone-lf').count(), lineFeeds);
  await typeAtEnd(page, 'X', 'lone-line-feed');
  // New asks before it drops the change; kept, the change is saved.
  const asked = page.waitForEvent('dialog').then((dialog) => dialog.dismiss());
  await page.click('#new');
  await asked;
  assert.ok((await saveStory(page)).equals(Buffer.concat([bytes, Buffer.from('X')])));
});

test('an edit beside a lone CR keeps it and the breaks after it, and the server sees the same lines', async () => {
  const page = await newPage();
  const story = '[a]x\rWait\r\n[b]y\nz\r\n';
  const cases = [
    { line: 1, type: '??[b],[nowhere]', problem: /^line 2 .*choice-target-missing/, marked: 1, saved: '[a]x\rWait??[b],[nowhere]\r\n[b]y\nz\r\n' },
    { line: 0, type: 'Q', saved: '[a]xQ\rWait\r\n[b]y\nz\r\n' },
    { line: 1, keys: ['Home', 'Backspace', 'Control+KeyZ'], saved: story },
    // Pasted text keeps its lone LF inside the line; its CR LF is a break.
    { line: 0, paste: 'p\nq\r\nr', saved: '[a]xp\nq\r\nr\rWait\r\n[b]y\nz\r\n' },
    { line: 2, type: '\nWait??[b],[gone]', problem: /^line 5 .*choice-target-missing/, marked: 3, saved: '[a]x\rWait\r\n[b]y\nz\r\nWait??[b],[gone]\r\n' },
  ];
  for (const c of cases) {
    await openStory(page, 'edit.vln', Buffer.from(story, 'latin1'));
    await page.locator('.cm-line').nth(c.line).click();
    for (const key of c.keys || ['End']) await page.keyboard.press(key);
    if (c.type) await page.keyboard.type(c.type);
    if (c.paste) {
      await page.$eval('.cm-content', (content, text) => {
        const data = new DataTransfer();
        data.setData('text/plain', text);
        content.dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true }));
      }, c.paste);
    }
    if (c.problem) {
      await page.waitForFunction((want) => [...document.querySelectorAll('#problems li')]
        .some((row) => new RegExp(want).test(row.textContent)), c.problem.source);
      assert.strictEqual(await page.locator('.cm-line').nth(c.marked).locator('.cm-lintRange-error').count(), 1, c.type);
      assert.strictEqual(await page.locator('.cm-lintRange-error').count(), 1, c.type);
    }
    assert.strictEqual((await saveStory(page)).toString('latin1'), c.saved, c.type || c.paste || c.keys.join(' '));
  }
});

test('a character Shift-JIS cannot hold is never written: the page names it and offers UTF-8', async () => {
  const page = await newPage();
  await typeAtEnd(page, '😀', 'unreached-lines');
  await page.click('#save');
  const dialog = page.locator('#cannot-save');
  await dialog.waitFor();
  assert.match(await dialog.innerText(), /“😀” \(U\+1F600, line 9\)/);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#save-utf8')]);
  const saved = fs.readFileSync(await download.path());
  const example = fs.readFileSync(path.join(ROOT, 'tests', 'vln', 'worked.vln'));
  assert.ok(saved.equals(Buffer.concat([example, Buffer.from('😀', 'utf8')])));
  assert.strictEqual(await page.locator('#file-name').innerText(), 'story.vln (utf-8)');
});

test('the map and the strip follow the text, the cursor and the keys', async () => {
  // The author presses a key at once, before the views have started.
  const page = await openPage(browser);
  pages.push(page);
  await page.keyboard.press('Control+Home');
  const map = page.frameLocator('iframe.map');
  const strip = page.frameLocator('iframe.play');
  const caption = strip.locator('#caption');
  const line = (n) => page.locator('.cm-line').nth(n - 1);
  const steps = [
    { why: 'opens on the first passage, the keys left with the editor', check: async () => {
      await map.locator('g.node.passage-link').nth(5).waitFor();
      await map.locator('g.node.current[data-id="L1"]').waitFor();
      await waitText(caption, 'Morning. The alarm rings.');
      assert.ok(await page.evaluate(() => document.activeElement.closest('.cm-editor') !== null),
        'the strip took the keys from the editor');
    } },
    { why: 'the cursor on line 5 marks its passage', check: async () => {
      await line(5).click();
      await map.locator('g.node.current[data-id="L5"]').waitFor();
    } },
    { why: 'a passage typed at the end is drawn', check: async () => {
      await page.keyboard.press('Control+End');
      await page.keyboard.type('[new]A new passage.');
      await map.locator('g.node.passage-link[data-id="L9"]').waitFor();
    } },
    { why: 'a click on a passage moves the editor', check: async () => {
      await map.locator('g.node[data-id="L6"]').click();
      await page.locator('.cm-activeLine', { hasText: '[road]On the road.' }).waitFor();
    } },
    { why: 'Down and a choice key play on', check: async () => {
      await strip.locator('button[data-event="down"]').click();
      await waitText(caption, 'Get up or sleep on');
      assert.match(await strip.locator('#choice').innerText(), /1\s+\[up\]\n2\s+\[sleep\]/);
      await strip.locator('button[data-event="2"]').click();
      await waitText(caption, 'You sleep on.');
    } },
    { why: 'an edit shows at once in the reading so far', check: async () => {
      await line(5).click();
      await page.keyboard.press('Home');
      for (let i = 0; i < 7; i++) await page.keyboard.press('ArrowRight');
      await page.keyboard.type('Still ');
      await waitText(caption, 'Still You sleep on.');
    } },
    { why: 'a flag set by the story shows', check: async () => {
      await strip.locator('button[data-event="down"]').click();
      await waitText(caption, 'On the road.');
      assert.match(await strip.locator('.flag.on').count().then(String), /^0$/);
    } },
    { why: 'from here starts at the cursor', check: async () => {
      await line(3).click();
      await page.click('#play-here');
      await strip.locator('button[data-event="down"]').click();
      await waitText(caption, 'You get up.');
      await page.locator('.cm-played', { hasText: 'You get up.' }).waitFor();
      await strip.locator('button[data-event="down"]').click();
      await waitText(caption, 'You leave the house.');
      await page.locator('.cm-played', { hasText: 'You leave the house.' }).waitFor();
      assert.strictEqual(await page.locator('.cm-played').count(), 1);
      await strip.locator('.flag.on', { hasText: 'A' }).waitFor();
    } },
  ];
  for (const step of steps) await step.check().catch((error) => { throw new Error(`${step.why}: ${error.message}`); });
});

// Waits until a locator's text is exactly `text`.
async function waitText(locator, text) {
  await locator.filter({ hasText: new RegExp(`^${text.replace(/[.?*+()[\]]/g, '\\$&')}$`) }).waitFor({ timeout: 10000 })
    .catch(async (error) => { throw new Error(`"${await locator.innerText()}" is not "${text}": ${error.message}`); });
}

// What `vln play --json` reports for a story and keys: one step a key.
function vlnPlay(file, events) {
  const vln = process.env.VLN || path.join(ROOT, 'build-vsix', 'tools', 'vln', 'vln');
  const out = require('child_process').execFileSync(vln, ['play', '--json', file, ...events], { encoding: 'utf8' });
  return out.trim().split('\n').map((line) => JSON.parse(line));
}

const KEY_OF = {
  down: 'ArrowDown', space: 'Space', open: 'Control+KeyO', 1: 'Digit1', 2: 'Digit2', 3: 'Digit3', 4: 'Digit4', 5: 'Digit5',
};

async function readingPage() {
  const page = await openPage(browser, '#read');
  pages.push(page);
  page.dialogs = [];
  page.on('dialog', (dialog) => { page.dialogs.push(dialog.message()); dialog.accept(); });
  await page.waitForFunction(() => document.title === 'Velnori');
  return page;
}

// Waits until the tab's title is `caption`.
async function titleIs(page, caption, after) {
  await page.waitForFunction((want) => document.title === want, caption, { timeout: 10000 })
    .catch(async () => { throw new Error(`after ${after}: title "${await page.title()}", not "${caption}"`); });
}

test("read mode: the tab's title after each key is vln play's caption; Space hides; the page shows nothing", async () => {
  // A file: event is the story the next Open dialog is answered with.
  const cases = [
    { file: 'tests/vln/worked.vln', events: ['down', 'down', '1', 'down', 'down', 'down', 'down'] },
    { file: 'tests/vln/asa-sjis.vln', events: ['down', 'down', '2', 'down', 'down', 'down', 'down'] },
    { file: 'examples/ame-no-kissaten.vln', events: ['down', 'down', 'down', '1', 'down', '2', 'down', 'down'] },
    { file: 'tests/vln/pending.vln', events: ['down', 'down', 'file:tests/vln/second.vln', 'open', 'down', '1', 'down'] },
    { file: 'tests/vln/worked.vln', events: ['down', 'down', 'file:tests/vln/asa-sjis.vln', 'open', 'down', 'down', '2'] },
  ];
  for (const c of cases) {
    const story = path.join(ROOT, c.file);
    const events = c.events.map((e) => (e.startsWith('file:') ? `file:${path.join(ROOT, e.slice(5))}` : e));
    const steps = vlnPlay(story, events).slice(1);
    const page = await readingPage();
    let answer = story;
    for (let i = 0; i < events.length; i++) {
      if (events[i].startsWith('file:')) {
        answer = events[i].slice(5);
      } else if (steps[i].dialog) {
        const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.keyboard.press(KEY_OF[events[i]])]);
        await chooser.setFiles(answer);
      } else {
        await page.keyboard.press(KEY_OF[events[i]]);
      }
      await titleIs(page, steps[i].caption, `${c.file}, ${events.slice(0, i + 1).join(' ')}`);
    }

    await page.keyboard.press('Space');
    await page.waitForFunction(() => document.title === 'Velnori in the browser');
    const shown = await page.evaluate(() => document.documentElement.outerHTML);
    for (const step of steps) assert.ok(!step.caption || !shown.includes(step.caption), `${c.file}: "${step.caption}" is in the page`);
    assert.strictEqual(await page.evaluate(() => document.body.innerText.trim()), '');
    // Hidden, the page takes no key, as a minimized window.
    await page.keyboard.press('ArrowDown');
    await page.mouse.click(10, 10);
    await page.waitForFunction((want) => document.title === want, steps[steps.length - 1].caption);
    assert.deepStrictEqual(page.dialogs, steps.filter((step) => step.message).map((step) => `${step.message_title}\n\n${step.message}`));
  }
});

test("read mode: the Open dialog is the browser's file picker, with the reader's filter and message", async () => {
  const empty = path.join(require('os').tmpdir(), 'velnori-empty.vln');
  fs.writeFileSync(empty, '');
  const [, step] = vlnPlay(empty, ['down']);
  const page = await readingPage();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.keyboard.press('ArrowDown')]);
  assert.strictEqual(await chooser.element().getAttribute('accept'), '.vln');
  const message = page.waitForEvent('dialog');
  await chooser.setFiles(empty);
  assert.strictEqual((await message).message(), `${step.message_title}\n\n${step.message}`);
  assert.strictEqual(await page.title(), step.caption);
});

test('read mode: key to new title, median of 40 keys (figure)', async () => {
  const page = await readingPage();
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'), page.keyboard.press('ArrowDown')]);
  await chooser.setFiles(path.join(ROOT, 'examples', 'hoshi-no-eki.vln'));
  await page.waitForFunction(() => document.title !== 'Velnori');
  const times = await page.evaluate(async () => {
    const title = document.querySelector('title');
    const out = [];
    for (let i = 0; i < 40; i++) {
      const changed = new Promise((resolve) => {
        const observer = new MutationObserver(() => { observer.disconnect(); resolve(performance.now()); });
        observer.observe(title, { childList: true, characterData: true, subtree: true });
      });
      const pressed = performance.now();
      document.dispatchEvent(new KeyboardEvent('keydown', { code: 'ArrowDown', key: 'ArrowDown', bubbles: true }));
      out.push((await changed) - pressed);
    }
    return out;
  });
  console.log(`figure: read mode, key to new title: median ${median(times).toFixed(1)} ms over ${times.length} keys`);
});

test('a shared link round-trips the story exactly, lone LF, lone CR and all', async () => {
  const page = await newPage();
  const bytes = Buffer.from('[a]x\ny\rz\r\n[b]あ\r\n', 'utf8');
  await openStory(page, 'mixed.vln', bytes);
  await page.click('#copy-link');
  const link = await page.locator('#link').inputValue();
  assert.match(link, /^file:\/\/.*#story=/);
  assert.match(await page.locator('#status').innerText(), new RegExp(`${link.length} characters`));
  const shared = await newPage(link.slice(link.indexOf('#')));
  assert.strictEqual(await shared.locator('#file-name').innerText(), 'story.vln (utf-8)');
  assert.ok((await saveStory(shared)).equals(bytes));

  // A story past what browsers keep of a link: the page says so.
  const long = Buffer.from(Array.from({ length: 4000 }, (_, i) => `[p${i}]${(i * 7919).toString(36)}>>[p${i + 1}]\r\n`).join(''));
  await openStory(page, 'long.vln', long);
  await page.click('#copy-link');
  assert.match(await page.locator('#status.warning').innerText(), /may be cut off/);
});

test("no page asked for anything beyond the folder's own files", () => {
  const outside = pages.flatMap((p) => p.requests).filter((url) => !url.startsWith(`file://${FOLDER}/`)
    && !url.startsWith('blob:') && !url.startsWith('data:') && !url.startsWith('about:'));
  assert.ok(pages.length >= 8 && pages.every((p) => p.requests.length > 0));
  assert.deepStrictEqual(outside, []);
  assert.deepStrictEqual(pages.flatMap((p) => p.errors), []);
});
