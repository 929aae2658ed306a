'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { activated, storyEditor } = require('./vscodeMock');

const settle = (ms = 0) => new Promise((resolve) => setTimeout(resolve, ms));
const range = (a, b) => ({ start: { line: a, character: 0 }, end: { line: b, character: 5 } });

function mapResult(count, layout = 'full') {
  const passages = [];
  const lines = ['digraph story {', '  node [shape=box];'];
  for (let i = 0; i < count; i++) {
    passages.push({ id: `L${2 * i + 1}`, label: `[p${i}]`, range: range(2 * i, 2 * i + 1) });
    lines.push(`  L${2 * i + 1} [label="[p${i}]"];`);
    if (i > 0) lines.push(`  L${2 * i - 1} -> L${2 * i + 1} [label=""];`);
  }
  lines.push('}');
  return { format: 'dot', text: lines.join('\n'), passages, layout };
}

function withStory(extra = {}) {
  const env = activated(extra.settings);
  const editor = storyEditor(env.vscode, '/s/story.vln');
  env.vscode.window.activeTextEditor = editor;
  env.vscode.window.visibleTextEditors = [editor];
  return { ...env, editor, client: env.clients[0] };
}

test('map: drawn on opening, followed as the text changes, a click moves the editor', async () => {
  const { vscode, editor, client } = withStory();
  let count = 3;
  client.handler = async (method) => (method === 'velnori/map' ? mapResult(count) : null);
  editor.moveTo(2);
  await vscode.recorded.commands.get('velnori.showMap')();
  await settle();
  const [panel] = vscode.recorded.panels;
  assert.strictEqual(panel.viewType, 'velnori.map');
  assert.ok(panel.options.enableScripts && panel.options.retainContextWhenHidden, 'kept alive: zoom and scroll stay');
  assert.deepStrictEqual(client.requests[0], {
    method: 'velnori/map',
    params: { textDocument: { uri: 'file:///s/story.vln' }, format: 'dot' },
  });
  const drawn = panel.posted.filter((m) => m.type === 'map');
  assert.strictEqual(drawn.length, 1);
  assert.strictEqual(drawn[0].current, 'L3', 'the cursor is on line 3, in the second passage');
  assert.strictEqual(drawn[0].passages, 3);
  assert.strictEqual(drawn[0].neighbourhood, false);
  assert.deepStrictEqual(drawn[0].lines, { L1: 1, L3: 3, L5: 5 }, 'first lines, as the editor counts them');

  // A burst of edits asks once, after the burst.
  count = 4;
  const edit = [{ text: 'x' }];
  for (let i = 0; i < 5; i++) vscode.events.changeText.fire({ document: editor.document, contentChanges: edit });
  vscode.events.changeText.fire({ document: { uri: vscode.Uri.file('/s/other.vln'), languageId: 'vln' }, contentChanges: edit });
  // A save comes as a change event with no change in it.
  vscode.events.changeText.fire({ document: editor.document, contentChanges: [] });
  await settle(20);
  assert.strictEqual(client.requests.length, 1, 'not yet: the burst may go on');
  await settle(150);
  assert.strictEqual(client.requests.length, 2);
  assert.strictEqual(panel.posted.filter((m) => m.type === 'map').at(-1).passages, 4);
  vscode.events.changeText.fire({ document: editor.document, contentChanges: [] });
  await settle(150);
  assert.strictEqual(client.requests.length, 2, 'a save alone lays nothing out');

  // A click on a box puts the cursor on the passage's first line.
  panel.receive({ type: 'reveal', id: 'L5' });
  await settle();
  assert.strictEqual(editor.selection.active.line, 4);
  assert.deepStrictEqual(panel.posted.at(-1), { type: 'cursor', current: 'L5' });
  panel.receive({ type: 'reveal', id: 'L999' });
  await settle();
  assert.strictEqual(editor.selection.active.line, 4, 'an unknown passage moves nothing');

  // Moving the cursor moves the highlight.
  editor.moveTo(0);
  vscode.events.selection.fire({ textEditor: editor });
  assert.deepStrictEqual(panel.posted.at(-1), { type: 'cursor', current: 'L1' });
});

test('map: an answer to an older text is not drawn over a newer one', async () => {
  const { vscode, editor, client } = withStory();
  const answers = [];
  client.handler = () => new Promise((resolve) => answers.push(resolve));
  await vscode.recorded.commands.get('velnori.showMap')();
  const map = vscode.recorded.panels[0];
  map.receive({ type: 'ready' });
  vscode.events.changeText.fire({ document: editor.document, contentChanges: [{ text: 'x' }] });
  await settle(150);
  assert.strictEqual(answers.length, 2);
  answers[1](mapResult(2));
  await settle();
  answers[0](mapResult(7));
  await settle();
  const drawn = map.posted.filter((m) => m.type === 'map' && m.passages);
  assert.deepStrictEqual(drawn.map((m) => m.passages), [2]);
});

test('map: an answer about an older text than the editor holds is followed by a new request', async () => {
  const { vscode, editor, client } = withStory();
  editor.document.version = 5;
  const answered = [4, 5];
  client.handler = async () => ({ ...mapResult(2), version: answered.shift() });
  await vscode.recorded.commands.get('velnori.showMap')();
  await settle(150);
  const map = vscode.recorded.panels[0];
  assert.strictEqual(client.requests.length, 2, 'the server had version 4 when asked');
  assert.deepStrictEqual(map.posted.filter((m) => m.type === 'map').map((m) => m.version), [4, 5]);
  await settle(150);
  assert.strictEqual(client.requests.length, 2, 'version 5 is the editor\'s: no more');
});

test('map: a map the server would not lay out shows the cursor\'s neighbourhood', async () => {
  const { vscode, editor, client } = withStory();
  client.handler = async () => mapResult(1200, 'none');
  editor.moveTo(20); // passage L21, the eleventh
  await vscode.recorded.commands.get('velnori.showMap')();
  await settle();
  const panel = vscode.recorded.panels[0];
  const last = panel.posted.filter((m) => m.type === 'map').at(-1);
  assert.strictEqual(last.neighbourhood, true);
  assert.strictEqual(last.passages, 1200);
  const nodes = last.dot.split('\n').filter((l) => /^\s+L\d+ \[/.test(l)).map((l) => l.trim().split(' ')[0]);
  assert.deepStrictEqual(nodes, ['L19', 'L21', 'L23']);
  // Within the drawn part the highlight moves; beyond it the cut is made anew.
  editor.moveTo(22);
  vscode.events.selection.fire({ textEditor: editor });
  assert.deepStrictEqual(panel.posted.at(-1), { type: 'cursor', current: 'L23' });
  editor.moveTo(1000);
  vscode.events.selection.fire({ textEditor: editor });
  const redrawn = panel.posted.at(-1);
  assert.strictEqual(redrawn.type, 'map');
  assert.strictEqual(redrawn.current, 'L1001');
  assert.ok(/\n\s+L1001 \[/.test(redrawn.dot) && !/\n\s+L21 \[/.test(redrawn.dot));
});

test('play: keys become vln play events, the step is shown and its line marked', async () => {
  const { vscode, editor, client } = withStory();
  client.handler = async (method, params) => ({
    steps: [{ event: 'start', caption: 'first', line: 0 }].concat(
      params.events.map((e, i) => ({ event: e, caption: `after ${e}`, line: i + 1, flags: [0, 0, 0, 0, 0] }))),
  });
  editor.moveTo(6);
  await vscode.recorded.commands.get('velnori.playFromHere')();
  await settle();
  const panel = vscode.recorded.panels[0];
  assert.strictEqual(panel.viewType, 'velnori.play');
  assert.strictEqual(panel.showOptions.preserveFocus, false, 'the keys go to the play view');
  assert.deepStrictEqual(client.requests[0].params, { textDocument: { uri: 'file:///s/story.vln' }, events: ['down'], fromLine: 6 },
    'the first Down reads the line at the cursor');
  assert.deepStrictEqual({ caption: panel.posted.at(-1).step.caption, keys: panel.posted.at(-1).keys }, { caption: 'after down', keys: 0 });

  const rows = [
    ['Down', 'down', true],
    ['a digit', '3', true],
    ['a keypad digit', 'kp5', true],
    ['Space', 'space', true],
    ['a key the reader ignores is not sent', 'up', false],
    ['nor anything else', 'rm -rf', false],
  ];
  const sent = ['down'];
  for (const [reason, event, passes] of rows) {
    const before = client.requests.length;
    panel.receive({ type: 'key', event });
    await settle();
    if (passes) sent.push(event);
    assert.strictEqual(client.requests.length, before + (passes ? 1 : 0), reason);
    assert.deepStrictEqual(client.requests.at(-1).params.events, sent, reason);
  }
  const last = panel.posted.at(-1);
  assert.deepStrictEqual({ caption: last.step.caption, keys: last.keys }, { caption: 'after space', keys: 4 });
  const marks = [...editor.decorations.values()].at(-1);
  assert.strictEqual(marks[0].start.line, 5, 'the line the reader is on is highlighted');

  panel.receive({ type: 'restart' });
  await settle();
  assert.deepStrictEqual(client.requests.at(-1).params.events, ['down']);
  assert.strictEqual(client.requests.at(-1).params.fromLine, 6, 'a restart keeps "from here"');

  await vscode.recorded.commands.get('velnori.play')();
  await settle();
  assert.ok(!('fromLine' in client.requests.at(-1).params), 'Play Story starts at the top');
  panel.dispose();
  assert.deepStrictEqual([...editor.decorations.values()].at(-1), [], 'closing the view clears the mark');
});

test('play: a server error is shown, not a stale step', async () => {
  const { vscode, client } = withStory();
  client.handler = async (method, params) => {
    if (params.events.includes('5')) throw new Error('unknown event "5"');
    return { steps: [{ event: 'start', caption: 'ok', line: null }] };
  };
  await vscode.recorded.commands.get('velnori.play')();
  await settle();
  const panel = vscode.recorded.panels[0];
  panel.receive({ type: 'key', event: '5' });
  await settle();
  assert.deepStrictEqual(panel.posted.at(-1), { type: 'error', message: 'unknown event "5"' });
});

test('with a view focused, the commands take the story on screen', async () => {
  const { vscode, client } = withStory();
  client.handler = async () => ({ steps: [{ event: 'start', caption: 'x', line: 0 }] });
  const other = storyEditor(vscode, '/s/other.vln');
  vscode.window.visibleTextEditors = [other, vscode.window.activeTextEditor];
  vscode.events.activeEditor.fire(vscode.window.activeTextEditor);
  vscode.window.activeTextEditor = undefined; // the map has the focus
  await vscode.recorded.commands.get('velnori.play')();
  await settle();
  assert.strictEqual(client.requests.at(-1).params.textDocument.uri, 'file:///s/story.vln', 'the story last edited');
});

test('commands do nothing outside a story', async () => {
  const { vscode } = withStory();
  vscode.window.activeTextEditor = storyEditor(vscode, '/s/notes.txt', 'plaintext');
  for (const command of ['velnori.showMap', 'velnori.play', 'velnori.playFromHere']) {
    await vscode.recorded.commands.get(command)();
  }
  assert.strictEqual(vscode.recorded.panels.length, 0);
});
