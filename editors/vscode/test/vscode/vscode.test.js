'use strict';
// The packaged extension in a real VS Code: code-server, driven in Debian's
// chromium. Installs the .vsix, opens a story with a planted mistake and
// finds the language server's finding, goes to a definition, opens the map
// and play views, measures them, and keeps screenshots in docs/.
//   VSIX=... node --test test/vscode/vscode.test.js
const test = require('node:test');
const assert = require('node:assert');
const fs = require('fs');
const os = require('os');
const net = require('net');
const path = require('path');
const { spawn, execFileSync } = require('child_process');
const { chromium } = require('playwright-core');
const { bigStory } = require('../webview/harness');

const extension = path.resolve(__dirname, '..', '..');
const root = path.resolve(extension, '..', '..');
const { codeServerFolder, noRelease } = require('./codeServerRelease');

const codeServer = path.join(codeServerFolder() || '', 'node_modules', '.bin', 'code-server');
const vsix = process.env.VSIX || path.join(root, 'build-vsix', 'velnori-linux-x64.vsix');
// The server the Velnori output channel must name: native, wasm (the
// universal package, beside the workbench) or web (the universal package in
// the browser's web worker extension host, which the setting
// remote.extensionKind picks).
const serverKind = process.env.VELNORI_SERVER || 'native';

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

const median = (v) => [...v].sort((a, b) => a - b)[v.length >> 1];

// A workspace with the sample story, one with a planted mistake (a jump to a
// label that begins no line) and one whose lone LF VS Code would turn into
// a line break.
function workspace(folder) {
  fs.mkdirSync(folder, { recursive: true });
  fs.copyFileSync(path.join(root, 'examples', 'hoshi-no-eki.vln'), path.join(folder, 'hoshi.vln'));
  fs.writeFileSync(path.join(folder, 'mistake.vln'), [
    '[start]Morning.',
    'Get up or sleep on??[up],[sleep]',
    '[up]You get up.::AON',
    'You leave the house.>>[raod]',
    '[sleep]You sleep on.::AOFF',
    '[road]On the road.>>A[bus],[late]',
    '[bus]You catch the bus.::END',
    '[late]You miss the bus.::END',
  ].join('\r\n') + '\r\n');
  fs.writeFileSync(path.join(folder, 'lone-lf.vln'), '[start]One\r\nTwo\nstill two\r\nThree\r\n');
  fs.writeFileSync(path.join(folder, 'lf-only.vln'), '[start]One\nTwo\n');
  for (const [name, hex] of Object.entries(SHIFT_JIS)) fs.writeFileSync(path.join(folder, `${name}.vln`), Buffer.from(hex, 'hex'));
  // Long enough for any VS Code to see its Shift JIS.
  fs.copyFileSync(path.join(root, 'examples', 'ame-no-kissaten.vln'), path.join(folder, 'sjis-emoji.vln'));
  for (const count of [100, 1000]) fs.writeFileSync(path.join(folder, `big${count}.vln`), bigStory(count));
}

// Tiny Shift-JIS stories, each with CR LF, whose guess VS Code got wrong.
const SHIFT_JIS = {
  'sjis-hiragana': '5b73746172745d82cd82a281423a3a454e440d0a', // [start]はい。::END
  'sjis-kana': '5b735db1b2b3b4b53a3a454e440d0a', // [s]ｱｲｳｴｵ::END
  'sjis-kanji': '5b735d894a81420d0a3a3a454e440d0a', // [s]雨。
  'sjis-nec': '5b735d874087418742875f0d0a3a3a454e440d0a', // [s]①②③㍉
};

// The text of the editor in the active group: with the map and the play
// view open there are several groups, and a story may open in any of them.
const EDITOR = '.editor-group-container.active .monaco-editor .view-lines';

async function waitFor(what, check, timeoutMs = 30000) {
  const until = Date.now() + timeoutMs;
  for (;;) {
    const value = await check();
    if (value) return value;
    if (Date.now() > until) throw new Error(`timed out waiting for ${what}`);
    await new Promise((resolve) => setTimeout(resolve, 50));
  }
}

test('the extension in code-server', { timeout: 300000 }, async (t) => {
  assert.ok(fs.existsSync(vsix), `no ${vsix}: make vsix`);
  assert.ok(codeServerFolder(), noRelease());
  const home = fs.mkdtempSync(path.join(os.tmpdir(), 'vln-code-'));
  const folder = path.join(home, 'stories');
  workspace(folder);
  const common = ['--user-data-dir', path.join(home, 'data'), '--extensions-dir', path.join(home, 'extensions')];
  const installed = execFileSync(codeServer, [...common, '--install-extension', vsix], { encoding: 'utf8' });
  assert.match(installed, /velnori.*successfully installed/i);
  fs.mkdirSync(path.join(home, 'data', 'User'), { recursive: true });
  fs.writeFileSync(path.join(home, 'data', 'User', 'settings.json'), JSON.stringify({
    'workbench.startupEditor': 'none',
    'security.workspace.trust.enabled': false,
    'workbench.tips.enabled': false,
    'window.commandCenter': false,
    'files.autoSave': 'afterDelay',
    ...(serverKind === 'web' ? { 'remote.extensionKind': { 'velnori.velnori': ['web'] } } : {}),
  }));
  const port = await freePort();
  const server = spawn(codeServer, [...common, '--auth', 'none', '--bind-addr', `127.0.0.1:${port}`,
    '--disable-telemetry', '--disable-update-check', '--disable-workspace-trust', folder],
  { stdio: ['ignore', 'pipe', 'pipe'], env: { ...process.env, HOME: home } });
  let serverLog = '';
  server.stdout.on('data', (d) => { serverLog += d; });
  server.stderr.on('data', (d) => { serverLog += d; });
  t.after(() => server.kill());
  await waitFor('code-server to listen', () => /HTTP server listening/.test(serverLog));

  const browser = await chromium.launch({ executablePath: process.env.CHROMIUM || '/usr/bin/chromium' });
  t.after(() => browser.close());
  t.after(() => fs.rmSync(home, { recursive: true, force: true }));
  const page = await browser.newPage({ viewport: { width: 1600, height: 860 } });
  await page.goto(`http://127.0.0.1:${port}/?folder=${encodeURIComponent(folder)}`);
  await page.waitForSelector('.monaco-workbench .part.statusbar', { timeout: 60000 });

  const command = async (name) => {
    await page.keyboard.press('F1');
    await page.waitForSelector('.quick-input-widget .quick-input-box input');
    await page.keyboard.type(name);
    await page.waitForTimeout(300);
    const entered = Date.now();
    await page.keyboard.press('Enter');
    return entered; // when the command was given, for the figures
  };
  // From the explorer: quick open needs the file search, which is slow to
  // start here.
  const open = async (file) => {
    await page.dblclick(`.explorer-folders-view .monaco-list-row >> text=${file}`);
    await page.waitForSelector(`.tab.active[aria-label*="${file}"]`);
    await page.click(EDITOR);
  };
  // A view's frame, found by what it holds: the order of the webviews'
  // frames on the page is VS Code's, not the order they were opened in.
  const viewFrame = (selector) => waitFor(`the view with ${selector}`, async () => {
    for (const frame of page.frames()) if (await frame.$(selector).catch(() => null)) return frame;
    return null;
  });
  const cursor = () => page.textContent('.statusbar-item[id="status.editor.selection"]');
  // Keys typed before the box is open, or before the cursor has moved, land
  // elsewhere: each step waits for the one before.
  const goTo = async (lineColumn) => {
    await page.keyboard.press('Control+G');
    await page.waitForSelector('.quick-input-widget .quick-input-box input');
    await page.keyboard.type(lineColumn);
    await page.keyboard.press('Enter');
    await page.waitForSelector('.quick-input-widget .quick-input-box input', { state: 'hidden' });
    const line = lineColumn.split(':')[0];
    await waitFor(`the cursor on line ${line}`, async () => (await cursor()).includes(`Ln ${line},`));
  };

  await t.test('the story opens as a Velnori story, coloured by the grammar', async () => {
    await open('mistake.vln');
    await waitFor('the language in the status bar', async () =>
      /Velnori story/.test(await page.textContent('.statusbar-item[id="status.editor.mode"]')));
    // Tokens come a moment after the text shows.
    await waitFor('the markup in colours', async () =>
      (await page.$$eval('.view-line span span', (spans) => new Set(spans.map((s) => getComputedStyle(s).color)).size)) >= 4);
  });

  await t.test('the planted mistake is found by the language server', async () => {
    await waitFor('a squiggle', () => page.$('.squiggly-error'), 20000);
    await page.keyboard.press('Control+Shift+M');
    const problem = await waitFor('the problem listed', async () => {
      const text = await page.textContent('.markers-panel').catch(() => '');
      return /\[raod\]/.test(text) && text;
    });
    assert.match(problem, /does not begin any line/);
  });

  await t.test('go to definition lands on the label', async () => {
    await page.click(EDITOR);
    await goTo('6:25'); // inside [bus] of line 6
    await page.keyboard.press('F12');
    await waitFor('the cursor on line 7', async () => /Ln 7,/.test(await cursor()));
  });

  await t.test('the line-end warning as a story opens', async () => {
    await open('lone-lf.vln');
    const toast = await waitFor('the warning', async () => {
      const text = await page.textContent('.notifications-toasts').catch(() => '');
      return /lone LF/.test(text) && text;
    });
    assert.match(toast, /lone-lf\.vln: 1 lone LF line break/);
  });

  const encodingShown = () => page.textContent('.statusbar-item[id="status.editor.encoding"]').catch(() => '');
  const toasts = () => page.textContent('.notifications-toasts').catch(() => '');
  // A VS Code before 1.100 cannot be told which encoding to open a file in:
  // where its own guess is wrong, the extension can only say so.
  const vscodeVersion = JSON.parse(fs.readFileSync(
    path.join(codeServerFolder(), 'node_modules', 'code-server', 'lib', 'vscode', 'package.json'), 'utf8')).version;
  const canReopen = Number(vscodeVersion.split('.')[1]) >= 100;
  // The story in the editor once the extension has had its say: the text in
  // the reader's encoding, or its warning naming the file and the encoding.
  const openedAs = async (file, text) => {
    const warning = new RegExp(`${file.replace('.', '\\.')} opened in another encoding than the reader reads it in \\(Shift JIS\\)`);
    await open(file);
    const right = async () =>
      /Shift JIS/.test(await encodingShown()) && (await page.textContent(EDITOR)).includes(text);
    await waitFor(`${file} settled`, async () => warning.test(await toasts()) || right());
    if (canReopen || !warning.test(await toasts())) assert.ok(await right(), `${file} in Shift JIS`);
  };

  await t.test(`tiny Shift-JIS stories open as Shift JIS (VS Code ${vscodeVersion})`, async () => {
    const texts = { 'sjis-hiragana': 'はい。', 'sjis-kana': 'ｱｲｳｴｵ', 'sjis-kanji': '雨。', 'sjis-nec': '①②③㍉' };
    for (const [name, text] of Object.entries(texts)) await openedAs(`${name}.vln`, text);
  });

  await t.test('an emoji typed into a Shift-JIS story is never written as "?"', async () => {
    const file = path.join(folder, 'sjis-emoji.vln');
    const original = new TextDecoder('shift_jis').decode(fs.readFileSync(file)).split('\r\n');
    await openedAs('sjis-emoji.vln', '雨宿りに入った');
    // Every state of the file from the key on (auto-save is on).
    const seen = [];
    const watch = setInterval(() => seen.push(fs.readFileSync(file)), 20);
    t.after(() => clearInterval(watch));
    await goTo('2:1');
    await page.keyboard.type('😀');
    const question = await waitFor('the question', () => page.textContent('.monaco-dialog-box').catch(() => ''));
    assert.match(question, /sjis-emoji\.vln, line 2: "😀" cannot be written in Shift JIS/);
    await page.click('.monaco-dialog-box .monaco-button >> text=Save as UTF-8');
    const saved = await waitFor('the story saved as UTF-8', () => {
      const bytes = fs.readFileSync(file);
      return bytes.includes(Buffer.from('😀')) && bytes;
    });
    await waitFor('UTF-8 in the status bar', async () => /UTF-8/.test(await encodingShown()));
    clearInterval(watch);
    original[1] = `😀${original[1]}`;
    assert.strictEqual(saved.toString('utf8'), original.join('\r\n'));
    // The story's own "??" are there from the start; any more is the emoji.
    const marks = (bytes) => bytes.filter((b) => b === 0x3f).length;
    const before = marks(Buffer.from(original.join('\r\n')));
    assert.ok(seen.every((bytes) => marks(bytes) <= before), 'a "?" reached the file');
  });

  await t.test('lone LFs in Problems as vln check lists them; the quick fix writes CR LF', async () => {
    for (const [file, line, bytes] of [
      ['lone-lf.vln', 2, '[start]One\r\nTwo\r\nstill two\r\nThree\r\n'],
      ['lf-only.vln', 1, '[start]One\r\nTwo\r\n'],
    ]) {
      await open(file);
      await command('Problems: Focus on Problems View');
      const problems = () => page.$$eval('.markers-panel .monaco-list-row', (rows) => rows.map((r) => r.textContent));
      const row = await waitFor(`the lone LF of ${file} in Problems`, async () =>
        (await problems()).find((r) => /lone-line-feed/.test(r) && /lone LF/.test(r) && r.includes(`[Ln ${line},`)));
      assert.strictEqual((await problems()).filter((r) => r === row).length, 1, 'listed once');
      await page.click(EDITOR);
      await goTo(`${line}:99`);
      await page.keyboard.press('Control+.');
      // By the keys: the menu's own overlay takes the mouse.
      const fixes = await waitFor('the quick fixes', async () => {
        const rows = await page.$$eval('.action-widget .monaco-list-row.action', (r) => r.map((x) => x.textContent));
        return rows.length > 0 && rows;
      });
      const index = fixes.findIndex((f) => f.includes('Turn every lone LF into CR LF'));
      assert.ok(index >= 0, fixes.join(' | '));
      for (let i = 0; i < index; i++) await page.keyboard.press('ArrowDown');
      await page.keyboard.press('Enter');
      await waitFor(`${file} written with CR LF`, () => fs.readFileSync(path.join(folder, file), 'latin1') === bytes);
      await waitFor('the finding gone', async () => !(await problems()).some((r) => /lone-line-feed/.test(r)));
    }
  });

  await t.test('the first map of a 100-passage story', async () => {
    await open('big100.vln');
    const started = await command('Velnori: Show Story Map');
    const map = page.frameLocator('iframe.webview.ready').frameLocator('#active-frame');
    await waitFor('100 boxes', async () => (await map.locator('g.node').count().catch(() => 0)) === 100, 120000);
    console.log(`# code-server: command to first map on screen, 100 passages: ${Date.now() - started} ms`);
  });

  await t.test('the map follows the text', async () => {
    await open('hoshi.vln');
    await goTo('10:1');
    await command('Velnori: Show Story Map');
    const map = page.frameLocator('iframe.webview.ready').frameLocator('#active-frame');
    await waitFor('the nine boxes of hoshi.vln', async () => (await map.locator('g.node').count()) === 9, 120000);
    await waitFor('the passage at the cursor outlined', async () =>
      (await map.locator('g.node.current title').textContent().catch(() => '')) === 'L10');
    await map.locator('g.node', { hasText: '[noru]' }).click();
    await waitFor('the cursor moved to the clicked passage', async () => /Ln 12,/.test(await cursor()));
    // Typing redraws the map: time from the key to the new text in the map.
    const times = [];
    for (const word of ['一', '二', '三']) {
      await page.click(EDITOR);
      await goTo('12:7');
      const started = Date.now();
      await page.keyboard.type(word);
      await waitFor('the new text in the map', async () =>
        (await map.locator('g.node', { hasText: '[noru]' }).textContent()).includes(word), 10000);
      times.push(Date.now() - started);
    }
    console.log(`# code-server: key to redrawn map (9 passages, 80 ms debounce included): median ${median(times)} ms (${times.join(', ')})`);
    await page.keyboard.press('Control+J'); // the panel away, for the picture
    await map.locator('#zoom-out').click();
    await map.locator('#zoom-out').click();
    await page.screenshot({ path: path.join(root, 'docs', 'vscode.png') });
  });

  await t.test('the play view reads the story with the keys', async () => {
    await page.click('.monaco-editor .view-lines'); // the story, in the first group; the map was last used
    const started = await command('Velnori: Play Story');
    const play = await viewFrame('#caption');
    const viewShown = Date.now();
    const caption = play.locator('#caption');
    await waitFor('the first line', async () => (await caption.textContent().catch(() => '')).startsWith('終電が'));
    console.log(`# code-server: command to first play view: ${Date.now() - started} ms (its page loaded after ${viewShown - started} ms)`);
    // Map and play side by side, neither hidden behind the other.
    const columns = await page.$$eval('iframe.webview.ready', (frames) => frames.map((f) => {
      const r = f.getBoundingClientRect();
      return { left: r.left, right: r.right, width: r.width };
    }).filter((r) => r.width > 0).sort((a, b) => a.left - b.left));
    assert.strictEqual(columns.length, 2, JSON.stringify(columns));
    assert.ok(columns[0].right <= columns[1].left + 1, JSON.stringify(columns));
    await play.locator('#strip').click();
    // Timed inside the view, from the key to the new text in the strip,
    // through the extension host and the language server.
    const frame = play;
    await frame.evaluate(() => {
      window.latency = [];
      let pressed = null;
      document.addEventListener('keydown', () => { pressed = performance.now(); }, true);
      new MutationObserver(() => {
        if (pressed !== null) window.latency.push(performance.now() - pressed);
        pressed = null;
      }).observe(document.getElementById('caption'), { childList: true, characterData: true, subtree: true });
    });
    // Down twice to the choice, then key 1 takes the first item.
    const shown = [];
    for (const key of ['ArrowDown', 'ArrowDown', 'Digit1']) {
      const before = await caption.textContent();
      await page.keyboard.press(key);
      await waitFor('a new line', async () => (await caption.textContent()) !== before, 5000);
      shown.push(await caption.textContent());
    }
    assert.match(shown[1], /どうしようか/);
    assert.match(shown[2], /^切符には/);
    assert.strictEqual(await play.locator('#flags .flag.on').textContent(), 'A');
    assert.strictEqual(await play.locator('#line').textContent(), '4', 'the [kippu] line is being read');
    const times = (await frame.evaluate(() => window.latency)).map((ms) => Math.round(ms));
    console.log(`# code-server: key to strip text: median ${median(times)} ms (${times.join(', ')})`);
    await page.screenshot({ path: path.join(root, 'docs', 'vscode-play-in-editor.png') });
  });

  await t.test('the map of 100 and 1,000 passages follows the text with auto-save on', async () => {
    const map = await viewFrame('#canvas');
    const frame = map;
    // The view notes each drawing as it lands, with the document version it
    // is of and the wall-clock time, so that the time is not that of looking
    // through a thousand boxes from here.
    await frame.evaluate(() => {
      const canvas = document.getElementById('canvas');
      window.drawn = [];
      new MutationObserver(() => window.drawn.push({ at: Date.now(), version: Number(canvas.dataset.version), text: canvas.textContent }))
        .observe(canvas, { childList: true });
    });
    const lastVersion = () => frame.evaluate(() => Number(document.getElementById('canvas').dataset.version));
    for (const count of [100, 1000]) {
      await open(`big${count}.vln`);
      await waitFor(`${count} boxes`, async () => (await map.locator('g.node').count()) === count, 120000);
      const times = [];
      const marks = 'ABCDEFGHIJKL'.split('');
      for (const mark of marks) {
        await goTo('1:6'); // [p0]s|tart
        const before = await lastVersion();
        await frame.evaluate(() => { window.drawn = []; });
        const started = Date.now();
        await page.keyboard.type(mark);
        // The first drawing of a newer text must hold the key: a lost
        // redraw shows as a wrong text here, not as a wait that ran out.
        const first = await waitFor('a drawing of the new text', () =>
          frame.evaluate((v) => window.drawn.find((d) => d.version > v), before), 120000);
        assert.ok(first.text.includes(`s${mark}`),
          `the drawing after ${mark} lacks it: version ${first.version} after ${before}, ${first.text.slice(0, 60)}`);
        times.push(first.at - started);
      }
      console.log(`# code-server: key to redrawn map, ${count} passages: median ${median(times)} ms over ${times.length} edits (${times.join(', ')})`);
    }
  });

  await t.test(`the output channel names the ${serverKind} server`, async () => {
    await command('Output: Show Output Channels');
    await page.waitForSelector('.quick-input-list .monaco-list-row');
    await page.keyboard.type('Velnori');
    await page.waitForSelector('.quick-input-list .monaco-list-row[aria-label*="Velnori"]');
    await page.keyboard.press('Enter');
    const named = { native: /bin\/vln \(native\)/, wasm: /bin\/vln\.wasm \(wasm, under /, web: /vln\.wasm \(wasm, in a web worker\)/ };
    const text = await waitFor('the server named', async () => {
      const shown = (await page.textContent('.panel .monaco-editor .view-lines').catch(() => '')).replace(/\u00a0/g, ' ');
      return /initialize answered/.test(shown) && shown;
    });
    assert.match(text, named[serverKind]);
    console.log(`# code-server, ${serverKind} server: ${/initialize answered \d+ ms/.exec(text)[0]} after the client started it`);
  });
});
