'use strict';
const test = require('node:test');
const assert = require('node:assert');
const { lineEndWarning } = require('../../src/lineEnds');
const { debounce } = require('../../src/debounce');
const { readerEncoding, decodeStory, firstUnwritable } = require('../../src/storyEncoding');
const { neighbourhoodDot, passageAtLine } = require('../../src/mapNeighbourhood');
const { webviewHtml } = require('../../src/webviewHtml');

const utf16le = (text) => Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')]);
const utf16be = (text) => {
  const le = Buffer.from(text, 'utf16le');
  for (let i = 0; i < le.length; i += 2) [le[i], le[i + 1]] = [le[i + 1], le[i]];
  return Buffer.concat([Buffer.from([0xfe, 0xff]), le]);
};

test('line ends: a warning exactly where VS Code would change the reading', () => {
  const rows = [
    // reason, bytes, expected { eol, lines } or null
    ['CR LF throughout reads the same', Buffer.from('[a]x\r\ny\r\n'), null],
    ['no line break at all is left alone', Buffer.from('one line'), null],
    ['an empty file', Buffer.alloc(0), null],
    ['LF throughout stays LF: the reading does not change', Buffer.from('a\nb\nc\n'), null],
    ['lone CRs become CR LF: the reader already ended lines there', Buffer.from('a\rb\r\nc\r'), null],
    ['a lone LF among CR LF becomes a line break', Buffer.from('a\r\nb\nc\r\nd\r\n'), { eol: 'crlf', lines: [2] }],
    ['a lone CR before a label among LF is lost', Buffer.from('a\nb\n\rc\n[x]y'), { eol: 'lf', lines: [3] }],
    ['a tie goes to LF: the CR LF line is lost', Buffer.from('a\r\nb\n'), { eol: 'lf', lines: [1] }],
    ['UTF-16LE: units, not bytes (0x0A00 is no LF)', utf16le('a\r\n\u0a00b\nc\r\n'), { eol: 'crlf', lines: [2] }],
    ['UTF-16BE likewise', utf16be('a\r\nb\nc\r\n'), { eol: 'crlf', lines: [2] }],
    ['Shift-JIS: 0x0A after a lead byte is still LF', Buffer.from([0x83, 0x0a, 0x41, 0x0d, 0x0a, 0x42, 0x0d, 0x0a]), { eol: 'crlf', lines: [1] }],
    ['UTF-8 mark and Japanese', Buffer.from('\ufeff朝\r\n昼\n夜\r\n'), { eol: 'crlf', lines: [2] }],
  ];
  for (const [reason, bytes, expected] of rows) {
    const warning = lineEndWarning(bytes, 'story.vln');
    if (expected === null) {
      assert.strictEqual(warning, null, reason);
    } else {
      assert.ok(warning, reason);
      assert.deepStrictEqual({ eol: warning.eol, lines: warning.lines }, expected, reason);
      assert.match(warning.message, /^story\.vln: /, reason);
    }
  }
});

test('debounce: one call after a burst, with the last arguments', () => {
  let now = 0;
  const timers = [];
  const fake = {
    setTimeout: (fn, ms) => { const t = { fn, at: now + ms, live: true }; timers.push(t); return t; },
    clearTimeout: (t) => { t.live = false; },
  };
  const advance = (ms) => {
    now += ms;
    for (const t of timers) if (t.live && t.at <= now) { t.live = false; t.fn(); }
  };
  const calls = [];
  const d = debounce((x) => calls.push(x), 100, fake);
  d(1); advance(50); d(2); advance(50); d(3);
  assert.deepStrictEqual(calls, [], 'nothing while keys keep coming');
  advance(99);
  assert.deepStrictEqual(calls, []);
  advance(1);
  assert.deepStrictEqual(calls, [3], 'the last text, once');
  d(4); d.flush();
  assert.deepStrictEqual(calls, [3, 4], 'flush runs at once');
  advance(500);
  assert.deepStrictEqual(calls, [3, 4], 'and not again');
  d(5); d.cancel(); advance(500);
  assert.deepStrictEqual(calls, [3, 4], 'cancel drops it');
  d.flush();
  assert.deepStrictEqual(calls, [3, 4], 'nothing pending, nothing flushed');
});

const DOT = [
  'digraph story {',
  '  graph [rankdir=TB];',
  '  node [shape=box];',
  '  edge [fontsize=10];',
  '  L1 [label="[a]  line 1"];',
  '  L3 [label="[b]  line 3"];',
  '  L5 [label="[c]  line 5"];',
  '  L7 [label="[d]  line 7"];',
  '  missing_x [label="missing: x"];',
  '  L1 -> L3 [label="1 [b]"];',
  '  L3 -> L5 [label=""];',
  '  L5 -> L7 [label="A on"];',
  '  L5 -> missing_x [label="A off"];',
  '}',
].join('\n');

test('the neighbourhood of a passage keeps it, its neighbours and the arrows among them', () => {
  const rows = [
    ['a middle passage: one back, one on', 'L3', ['L1', 'L3', 'L5'], ['L1 -> L3', 'L3 -> L5']],
    ['a branch: both targets, the missing one too', 'L5', ['L3', 'L5', 'L7', 'missing_x'], ['L3 -> L5', 'L5 -> L7', 'L5 -> missing_x']],
    ['the end of the story', 'L7', ['L5', 'L7'], ['L5 -> L7']],
  ];
  for (const [reason, center, nodes, edges] of rows) {
    const { dot, shown } = neighbourhoodDot(DOT, center);
    assert.deepStrictEqual([...shown].sort(), nodes.sort(), reason);
    const keptNodes = dot.split('\n').filter((l) => /^\s+\w+ \[label/.test(l)).map((l) => l.trim().split(' ')[0]);
    assert.deepStrictEqual(keptNodes.sort(), nodes.sort(), reason);
    const keptEdges = dot.split('\n').filter((l) => l.includes('->')).map((l) => l.trim().split(' [')[0]);
    assert.deepStrictEqual(keptEdges, edges, reason);
    assert.ok(dot.startsWith('digraph story {\n  graph [rankdir=TB];\n  node [shape=box];\n  edge [fontsize=10];'), reason);
    assert.ok(dot.endsWith('}'), reason);
  }
});

test('the passage at a line', () => {
  const range = (a, b) => ({ start: { line: a, character: 0 }, end: { line: b, character: 9 } });
  const passages = [{ id: 'L1', range: range(0, 1) }, { id: 'L3', range: range(2, 2) }, { id: 'L5', range: range(4, 6) }];
  const rows = [[0, 'L1'], [1, 'L1'], [2, 'L3'], [3, null], [6, 'L5'], [7, null]];
  for (const [line, id] of rows) {
    const found = passageAtLine(passages, line);
    assert.strictEqual(found ? found.id : null, id, `line ${line}`);
  }
});

test('the webview page lets only its own script and the wasm compile run', () => {
  const html = webviewHtml({ title: 'Map', cspSource: 'vscode-resource:', scriptUri: 's.js', styleUri: 's.css', nonce: 'N0NCE' });
  const csp = /content="([^"]+)"/.exec(html)[1];
  assert.match(csp, /script-src 'nonce-N0NCE' 'wasm-unsafe-eval'/);
  assert.match(csp, /default-src 'none'/);
  assert.doesNotMatch(csp, /script-src[^;]*'unsafe-eval'/, 'wasm, not eval');
  assert.match(html, /<script nonce="N0NCE" src="s\.js"><\/script>/);
});

test('the word under the cursor is a whole label, brackets and all', () => {
  const config = require('../../language-configuration.json');
  const word = new RegExp(config.wordPattern, 'g');
  const wordAt = (line, column) => {
    for (const m of line.matchAll(word)) if (m.index <= column && column < m.index + m[0].length) return m[0];
    return null;
  };
  const rows = [
    ['a label prefix', '[kippu]切符には', 3, '[kippu]'],
    ['a jump target', '歩いた。>>[hashi]', 8, '[hashi]'],
    ['the second choice item', 'どう??[kippu],[senro]', 12, '[senro]'],
    ['a conditional target', '来る。>>A[noru],[miokuru]', 7, '[noru]'],
    ['an unbracketed target', 'Go>>good', 5, 'good'],
    ['a command keyword', 'x::AON', 4, 'AON'],
  ];
  for (const [reason, line, column, expected] of rows) assert.strictEqual(wordAt(line, column), expected, reason);
  assert.deepStrictEqual(config.autoClosingPairs, [{ open: '[', close: ']' }]);
});

test('encoding: the one the reader reads the bytes in, and what Shift JIS cannot hold', () => {
  const sjis = (hex) => Buffer.from(hex.replace(/ /g, ''), 'hex');
  const rows = [
    // reason, bytes, encoding, text
    ['hiragana in code page 932', sjis('5b 73 5d 82cd 82a2 8142 3a3a 454e 44'), 'shiftjis', '[s]はい。::END'],
    ['half-width katakana only', sjis('5b 73 5d b1 b2 b3 b4 b5'), 'shiftjis', '[s]ｱｲｳｴｵ'],
    ['one kanji', sjis('8a bf'), 'shiftjis', '漢'],
    ['NEC row 13', sjis('8740 8754 875f'), 'shiftjis', '①Ⅰ㍉'],
    ['ASCII alone reads the same either way', Buffer.from('[a]x'), 'shiftjis', '[a]x'],
    ['valid UTF-8 with kanji', Buffer.from('[a]雨'), 'utf8', '[a]雨'],
    ['an overlong UTF-8 form is not UTF-8', sjis('c0 af'), 'shiftjis', null],
    ['a UTF-8 mark decides', Buffer.from('\ufeff[a]x'), 'utf8bom', '[a]x'],
    ['a UTF-16 mark decides', utf16le('[a]x'), 'utf16le', '[a]x'],
  ];
  for (const [reason, bytes, encoding, text] of rows) {
    assert.strictEqual(readerEncoding(bytes), encoding, reason);
    if (text !== null) assert.strictEqual(decodeStory(bytes), text, reason);
  }
  const unwritable = [
    ['an emoji, on its line', '[a]x\r\n[b]雨\r\n😀', { character: '😀', line: 3 }],
    ['kana, kanji, NEC row 13 and the wave dash all fit', 'はｱ漢①～', null],
    ['the euro sign does not', 'a€', { character: '€', line: 1 }],
  ];
  for (const [reason, text, expected] of unwritable) assert.deepStrictEqual(firstUnwritable(text), expected, reason);
});
