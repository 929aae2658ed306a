'use strict';
// Every feature of `vln lsp` as an editor uses it, on the sample stories, the
// mistake stories and small stories made for one trap each. Where the reader's
// own rule decides (where a target lands), the expectation comes from
// StoryText.js, which works it out independently of the server.

const { describe, test, before, after } = require('node:test');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const assert = require('node:assert/strict');
const { LspServer, sourceDir, vlnOutput } = require('./LspServer');
const T = require('./StoryText');

const story = (relative) => T.readStoryFile(`${sourceDir}/${relative}`);
const worked = story('tests/vln/worked.vln');
const mistakes = story('tests/vln/mistakes.vln');
const hoshi = story('examples/hoshi-no-eki.vln');
const ame = story('examples/ame-no-kissaten.vln');

let documents = 0;
const newUri = () => `file:///stories/story${++documents}.vln`;
const positionOf = (text, needle, occurrence = 0, into = 1, encoding) => {
  const range = T.findRange(text, needle, occurrence, encoding);
  return { line: range.start.line, character: range.start.character + into };
};
const firstLocation = (result) => {
  const list = result === null ? [] : [].concat(result);
  return list.length ? { uri: list[0].targetUri || list[0].uri, range: list[0].targetSelectionRange || list[0].range } : null;
};
const covered = (text, d, encoding) => T.textOfRange(text, d.range, encoding);

let server;
before(async () => { server = await LspServer.start(); });
after(async () => { assert.deepEqual(await server.stop(), { code: 0, signal: null }); });

describe('diagnostics', () => {
  // Each finding: the editor line it begins on, its severity, its code (as
  // docs/check-codes.md has it) and the exact text its range covers.
  const cases = [
    { why: 'a clean story has none', text: worked, expect: [] },
    { why: 'a clean Shift-JIS sample has none', text: ame, expect: [] },
    {
      why: 'every mistake of the mistake story', text: mistakes, expect: [
        { line: 1, severity: 1, code: 'choice-target-leading-space', covers: ' [blue]' },
        { line: 1, severity: 2, code: 'choice-item-empty', covers: '' },
        { line: 1, severity: 2, code: 'choice-item-beyond-five', covers: '[gold]' },
        { line: 3, severity: 1, code: 'plain-jump-read-as-conditional', covers: 'Bedroom' },
        { line: 4, severity: 1, code: 'conditional-jump-one-name', covers: '[cellar]' },
        { line: 5, severity: 2, code: 'command-without-keyword', covers: 'LIGHT' },
        { line: 6, severity: 2, code: 'jump-in-command', covers: '>>[start]' },
        { line: 7, severity: 2, code: 'label-defined-again', covers: '[red]', related: { line: 2, covers: '[red]' } },
        { line: 7, severity: 2, code: 'unreached-lines', covers: '[red]Another red door.\r\nNobody reads this.\r\nStuck here??,' },
        { line: 9, severity: 1, code: 'choice-unanswerable', covers: '??,' },
      ],
    },
    {
      why: 'a missing target after a surrogate pair: ranges count UTF-16 units',
      text: '[s]\u{1F600}x>>[nowhere]\r\n[a]y\r\n',
      expect: [{ line: 0, severity: 1, code: 'jump-target-missing', covers: '[nowhere]' }, { line: 1, severity: 2, code: 'unreached-lines', covers: '[a]y' }],
    },
    {
      why: 'a label after a lone LF is inside its line: the jump finds nothing',
      text: '[s]Go>>[c]\r\nfoo\n[c]bar\r\n',
      expect: [
        { line: 0, severity: 1, code: 'jump-target-missing', covers: '[c]' },
        { line: 1, severity: 2, code: 'unreached-lines', covers: 'foo\n[c]bar' },
        { line: 1, severity: 2, code: 'lone-line-feed', covers: '\n' },
      ],
    },
    {
      why: 'lone CRs are line breaks: the label is found',
      text: '[s]Go>>[c]\r[c]bar\r', expect: [],
    },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      const found = await server.open(uri, c.text);
      for (const d of found) {
        assert.equal(d.source, 'vln');
        assert.match(typeof d.code === 'string' ? d.code : '', /^[a-z0-9]+(-[a-z0-9]+)*$/, 'a stable kebab-case code');
        assert.ok(d.range.start.line <= d.range.end.line);
      }
      const place = (d) => ({ line: d.range ? d.range.start.line : d.line, severity: d.severity });
      const byPlace = (a, b) => a.line - b.line || a.severity - b.severity;
      assert.deepEqual(found.map(place).sort(byPlace), c.expect.map(place).sort(byPlace));
      for (const e of c.expect) {
        const match = found.find((d) => d.range.start.line === e.line && d.severity === e.severity &&
                                        d.code === e.code && covered(c.text, d) === e.covers);
        assert.ok(match, `${e.code} covering "${e.covers}" on line ${e.line}: ${JSON.stringify(found)}`);
        if (e.related) {
          const place = (match.relatedInformation || [])[0];
          assert.ok(place, 'related information');
          assert.equal(place.location.uri, uri);
          assert.equal(place.location.range.start.line, e.related.line);
          assert.equal(covered(c.text, place.location), e.related.covers);
        }
      }
    });
  }

  test('closing a document clears its findings and forgets it', async () => {
    const uri = newUri();
    assert.ok((await server.open(uri, mistakes)).length > 0);
    const cleared = server.nextDiagnostics(uri);
    server.notify('textDocument/didClose', { textDocument: { uri } });
    assert.deepEqual(await cleared, []);
    await assert.rejects(server.request('textDocument/documentSymbol', { textDocument: { uri } }), (e) => e.code === -32602);
  });

  test('lone LFs are a finding whose quick fix makes them CR LF, only in a text that holds CR LF', async () => {
    // An editor that converts line ends holds LF alone and would save a CR
    // LF put in as CR CR LF.
    const lineFeeds = story('tests/vln/unix.vln');
    for (const text of [lineFeeds.replace('\n', '\r\n'), lineFeeds]) {
      const uri = newUri();
      const [finding] = await server.open(uri, text);
      assert.equal(finding.range.start.line, text === lineFeeds ? 0 : 1);
      const actions = await server.request('textDocument/codeAction', {
        textDocument: { uri }, range: finding.range, context: { diagnostics: [finding] },
      });
      const fixed = actions.map((a) => T.applyEdits(text, T.editsFor(a.edit, uri)));
      assert.equal(fixed.includes(text.replace(/\r?\n/g, '\r\n')), text !== lineFeeds, JSON.stringify(fixed));
    }
  });

  test("the file's own lone LFs, which the editor made CR LF, are vln check's findings until it is saved", async () => {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'vln-lsp-'));
    const file = path.join(folder, 'mixed.vln');
    fs.writeFileSync(file, '[s]Start.\r\nLine two\nstill two\r\n[e]End.::END\r\n');
    const [checked] = vlnOutput(['check', file]).split('\n');
    // Wine sees the Linux file system as its drive Z:.
    const uri = process.env.VLN_LSP_WINE === '1' ? `file:///Z:${pathToFileURL(file).pathname}` : pathToFileURL(file).href;
    const text = '[s]Start.\r\nLine two\r\nstill two\r\n[e]End.::END\r\n';
    const [finding, ...more] = await server.open(uri, text);
    assert.deepEqual(more, []);
    assert.equal(finding.code, 'lone-line-feed');
    assert.ok(checked.startsWith(`${file}:${finding.range.start.line + 1}: warning: ${finding.message.split(' (')[0]}`), checked);
    fs.writeFileSync(file, text);
    const saved = server.nextDiagnostics(uri);
    server.notify('textDocument/didSave', { textDocument: { uri } });
    assert.deepEqual(await saved, []);
    fs.rmSync(folder, { recursive: true });
  });
});

describe('definition: where the reader lands', () => {
  // at: [text in the story, which occurrence, units into it]; target: the
  // name the reader searches for there.
  const cases = [
    { why: 'plain jump', text: worked, at: ['>>[road]', 0, 3], target: '[road]' },
    { why: 'choice item', text: worked, at: ['[sleep]', 0, 2], target: '[sleep]' },
    { why: "conditional jump's first name", text: worked, at: ['[bus]', 0, 1], target: '[bus]' },
    { why: "conditional jump's second name", text: worked, at: ['[late]', 0, 1], target: '[late]' },
    { why: 'jump in a Japanese sample', text: hoshi, at: ['>>[hashi]', 1, 4], target: '[hashi]' },
    { why: 'choice in a Shift-JIS sample', text: ame, at: ['[blend]', 0, 2], target: '[blend]' },
    { why: 'a target lands on a longer line it begins', text: '[s]Go>>[goo\r\n[good]Good.\r\n', at: ['[goo', 0, 1], target: '[goo' },
    { why: 'an unbracketed label is any line beginning', text: '[s]Go>>go\r\ngood morning\r\n', at: ['>>go', 0, 3], target: 'go' },
    { why: 'the first line can never be found', text: '[s]Hi\r\nAgain>>[s]\r\n', at: ['>>[s]', 0, 3], target: '[s]' },
    { why: 'a leading space is part of the name', text: mistakes, at: [' [blue]', 0, 3], target: ' [blue]' },
    { why: 'a label after a lone LF is not a line start', text: '[s]Go>>[c]\r\nfoo\n[c]bar\r\n[c]real\r\n', at: ['>>[c]', 0, 3], target: '[c]' },
    { why: 'lone CR breaks lines', text: '[s]Go>>[c]\r[x]\r[c]bar\r', at: ['>>[c]', 0, 3], target: '[c]' },
    { why: 'after a surrogate pair', text: '[s]\u{1F600}>>[c]\r\n[c]x\r\n', at: ['>>[c]', 0, 3], target: '[c]' },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      const found = firstLocation(await server.at('definition', uri, positionOf(c.text, ...c.at)));
      const lands = T.landing(c.text, c.target);
      if (lands === null) {
        assert.equal(found, null, 'the reader finds no line here');
      } else {
        assert.equal(found.uri, uri);
        assert.deepEqual(found.range.start, lands);
      }
    });
  }
});

describe('references and the code lens "N ways in"', () => {
  // Per label line: the places that lead there, as [line, covered text or
  // null for a whole line that runs on].
  const cases = [
    { text: worked, label: '[start]', from: [] },
    { text: worked, label: '[up]', from: [[1, '[up]']] },
    { text: worked, label: '[road]', from: [[3, '[road]'], [4, null]] },
    { text: worked, label: '[bus]', from: [[5, '[bus]']] },
    { text: worked, label: '[late]', from: [[5, '[late]']] },
    { text: mistakes, label: '[red]', from: [[1, '[red]'], [1, '[red]']] },
    { text: hoshi, label: '[hashi]', from: [[4, '[hashi]'], [6, '[hashi]'], [8, '[hashi]']] },
  ];
  for (const c of cases) {
    test(c.label, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      const at = T.editorLines(c.text).findIndex((l) => c.text.slice(l.start).startsWith(c.label));
      assert.ok(at >= 0);
      const refs = (await server.at('references', uri, { line: at, character: 1 }, { context: { includeDeclaration: false } })) || [];
      const seen = refs.map((r) => [r.range.start.line, r.range.start.line === r.range.end.line && covered(c.text, r) === c.label ? c.label : null]);
      const expected = c.from.map(([line, text]) => [line, text]);
      const order = (a, b) => a[0] - b[0] || String(a[1]).localeCompare(String(b[1]));
      assert.deepEqual(seen.sort(order), expected.sort(order));
      let lenses = (await server.request('textDocument/codeLens', { textDocument: { uri } })) || [];
      lenses = await Promise.all(lenses.map((l) => (l.command ? l : server.request('codeLens/resolve', l))));
      const lens = lenses.find((l) => l.range.start.line === at);
      if (at === 0) {
        assert.equal(lens, undefined, 'none on the first line: the reader starts there');
      } else {
        assert.ok(lens, `a lens above line ${at}`);
        assert.match(lens.command.title, new RegExp(`^${c.from.length} ways? in$`));
      }
    });
  }
});

describe('rename', () => {
  const cases = [
    { why: 'from the label', text: worked, at: ['[road]', 1, 2], newName: '[street]', expect: worked.replaceAll('[road]', '[street]') },
    { why: 'from a target, the new name without brackets', text: worked, at: ['[road]', 0, 2], newName: 'street', expect: worked.replaceAll('[road]', '[street]') },
    { why: 'a Japanese label in a sample', text: hoshi, at: ['[hashi]', 3, 2], newName: '[ホーム]', expect: hoshi.replaceAll('[hashi]', '[ホーム]') },
    { why: 'the new name is taken by an earlier line', text: worked, at: ['[late]', 1, 2], newName: '[bus]', refuse: /\[late\]/ },
    { why: 'a prefix target would no longer land', text: '[s]Go>>[goo\r\n[good]Good.\r\n', at: ['[good]', 0, 2], newName: '[gold]', refuse: /\[goo\b/ },
    { why: 'another prefix target would land on it', text: '[s]Go>>[b\r\n[x]one\r\n[bee]two\r\nOn>>[x]\r\n', at: ['[x]', 0, 1], newName: '[bat]', refuse: /\[b\b/ },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      const position = positionOf(c.text, ...c.at);
      const prepared = await server.at('prepareRename', uri, position);
      assert.ok(prepared, 'a label or a target can be renamed');
      const range = prepared.range || prepared;
      assert.equal(covered(c.text, { range }), c.at[0].replace(/^\[(.*)\]$/, '$1'), 'the name between the brackets');
      const renaming = server.at('rename', uri, position, { newName: c.newName });
      if (c.refuse) {
        await assert.rejects(renaming, (e) => { assert.match(e.message, c.refuse); return true; });
      } else {
        assert.equal(T.applyEdits(c.text, T.editsFor(await renaming, uri)), c.expect);
      }
    });
  }

  test('plain text cannot be renamed', async () => {
    const uri = newUri();
    await server.open(uri, worked);
    const prepared = await server.at('prepareRename', uri, positionOf(worked, 'You leave', 0, 2)).catch(() => null);
    assert.equal(prepared, null);
  });
});

describe('completion', () => {
  const labels = ['[up]', '[sleep]', '[road]', '[bus]', '[late]'];
  const keywords = ['AON', 'BON', 'CON', 'DON', 'EON', 'AOFF', 'BOFF', 'COFF', 'DOFF', 'EOFF', 'END'];
  const cases = [
    { why: 'after >>, without the first line, which is never found', line: 'Go>>|', expect: labels, none: ['[start]'] },
    { why: 'after >>A', line: 'Go>>A|', expect: labels },
    { why: 'after >>E', line: 'Go>>E|', expect: labels },
    { why: "a conditional jump's second name", line: 'Go>>C[up],|', expect: labels },
    { why: 'inside a ?? list', line: 'Which??[up],|', expect: labels },
    { why: 'the keywords after ::', line: 'Flags::|', expect: keywords },
    { why: 'a keyword begun', line: 'Flags::AO|', expect: ['AON', 'AOFF'] },
    { why: 'plain text offers no label', line: 'Just words|', expect: [], none: labels },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const { text, position } = T.cursorIn(worked + c.line + '\r\n');
      const uri = newUri();
      await server.open(uri, text);
      const result = await server.at('completion', uri, position);
      const items = result === null ? [] : Array.isArray(result) ? result : result.items;
      const offered = items.map((i) => (i.textEdit ? i.textEdit.newText : i.insertText || i.label));
      for (const want of c.expect) assert.ok(offered.some((o) => o.includes(want)), `${want} in ${offered}`);
      for (const not of c.none || []) assert.ok(!offered.includes(not), `${not} offered in plain text`);
    });
  }
});

describe('hover: what the reader does with the line', () => {
  const cases = [
    { why: 'the text it shows and where a conditional jump lands', text: worked, at: ['On the road', 0, 1], expect: [/On the road\./, /\[bus\]/, /\[late\]/] },
    { why: "each key's target for a choice", text: worked, at: ['Get up', 0, 1], expect: [/\[up\]/, /\[sleep\]/] },
    { why: 'the flags it switches', text: worked, at: ['You get up', 0, 1], expect: [/\bA\b|AON/] },
    { why: 'END', text: worked, at: ['You catch', 0, 1], expect: [/END|end/] },
    { why: 'an unreachable line', text: mistakes, at: ['Nobody', 0, 1], expect: [/never reached/i] },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      const hover = await server.at('hover', uri, positionOf(c.text, ...c.at));
      const contents = [].concat(hover.contents).map((m) => (typeof m === 'string' ? m : m.value)).join('\n');
      for (const e of c.expect) assert.match(contents, e);
    });
  }
});

describe('outline, folding and velnori/map agree with vln map', () => {
  const cases = [
    ['worked', 'tests/vln/worked.vln'],
    ['mistakes', 'tests/vln/mistakes.vln'],
    ['hoshi-no-eki', 'examples/hoshi-no-eki.vln'],
    ['ame-no-kissaten (Shift-JIS)', 'examples/ame-no-kissaten.vln'],
  ];
  for (const [why, file] of cases) {
    test(why, async () => {
      const text = story(file);
      const uri = newUri();
      await server.open(uri, text);
      const map = await server.request('velnori/map', { textDocument: { uri }, format: 'dot' });
      const dot = vlnOutput(['map', file, '-o', '-']);
      assert.equal(map.format, 'dot');
      assert.equal(map.text.replace(/\r\n/g, '\n'), dot.replace(/\r\n/g, '\n'));
      const nodes = [...dot.matchAll(/^ {2}(L\d+) \[/gm)];
      assert.deepEqual(map.passages.map((p) => p.id), nodes.map((n) => n[1]));
      for (const p of map.passages) {
        // L6 is the passage from the reader's line 6.
        const first = T.readerLineStarts(text)[Number(p.id.slice(1)) - 1];
        assert.deepEqual(p.range.start, T.positionAt(text, first), `${p.id} starts its range`);
        assert.ok(p.range.end.line >= p.range.start.line);
      }
      const symbols = await server.request('textDocument/documentSymbol', { textDocument: { uri } });
      assert.deepEqual(symbols.map((s) => (s.range || s.location.range)), map.passages.map((p) => p.range));
      for (const [s, p] of symbols.map((s, n) => [s, map.passages[n]])) {
        if (p.label) assert.ok(s.name.includes(p.label), `${s.name} names ${p.label}`);
      }
      const folds = await server.request('textDocument/foldingRange', { textDocument: { uri } });
      assert.deepEqual(folds.map((f) => [f.startLine, f.endLine]),
        map.passages.filter((p) => p.range.end.line > p.range.start.line).map((p) => [p.range.start.line, p.range.end.line]));
    });
  }

  test('svg is drawn, or DOT when Graphviz is not built in', async () => {
    const uri = newUri();
    await server.open(uri, hoshi);
    const map = await server.request('velnori/map', { textDocument: { uri }, format: 'svg' });
    assert.ok(map.format === 'svg' ? /<svg[\s>]/.test(map.text) : map.text.startsWith('digraph'), map.format);
  });
});

describe('velnori/play gives what vln play --json prints', () => {
  const cases = [
    { why: 'the worked example, choosing 1', file: 'tests/vln/worked.vln', events: ['down', '1', 'down', 'down', 'down'], lines: [0, 1, 2, 3, 4, 5] },
    { why: 'choosing 2 on the keypad', file: 'tests/vln/worked.vln', events: ['down', 'kp2', 'down', 'down', 'down'], lines: [0, 1, 4, 5, 6, 7] },
    { why: 'a Japanese sample with flags', file: 'examples/hoshi-no-eki.vln', events: ['down', 'down', '1', 'down', 'down', 'down'], lines: null },
    { why: 'the mistake story', file: 'tests/vln/mistakes.vln', events: ['down', '2', 'space', 'down'], lines: null },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const text = story(c.file);
      const uri = newUri();
      await server.open(uri, text);
      const { steps } = await server.request('velnori/play', { textDocument: { uri }, events: c.events });
      const printed = vlnOutput(['play', '--json', c.file, 'open', ...c.events])
        .trim().split(/\r?\n/).map((l) => JSON.parse(l)).slice(1);
      assert.equal(steps.length, printed.length);
      assert.equal(steps[0].event, 'start');
      for (const field of ['caption', 'pos', 'choice', 'flags', 'length']) assert.deepEqual(steps[0][field], printed[0][field], field);
      for (let n = 1; n < steps.length; ++n) {
        const { line, ...rest } = steps[n];
        assert.deepEqual(rest, printed[n], `step ${n}`);
      }
      if (c.lines) assert.deepEqual(steps.map((s) => s.line), c.lines);
    });
  }

  test('open: false begins before any story, exactly as vln play does', async () => {
    const events = ['1', 'space', 'down', 'down', '2', 'down'];
    const uri = newUri();
    await server.open(uri, story('tests/vln/asa-sjis.vln'));
    const { steps } = await server.request('velnori/play', { textDocument: { uri }, events, open: false });
    const printed = vlnOutput(['play', '--json', 'tests/vln/asa-sjis.vln', ...events])
      .trim().split(/\r?\n/).map((l) => JSON.parse(l));
    assert.deepEqual(steps.map(({ line, ...rest }) => rest), printed);
  });

  test('stories answer the Open dialog by name, as file: events give vln play its files', async () => {
    const events = ['file:tests/vln/pending.vln', 'down', 'down', 'file:tests/vln/second.vln', 'open', 'down', '1', 'file:nowhere.vln', 'open'];
    const uri = newUri();
    await server.open(uri, story('tests/vln/asa-sjis.vln'));
    const { steps } = await server.request('velnori/play', {
      textDocument: { uri }, events, open: false,
      stories: { 'tests/vln/pending.vln': story('tests/vln/pending.vln'), 'tests/vln/second.vln': story('tests/vln/second.vln') },
    });
    const printed = vlnOutput(['play', '--json', 'tests/vln/pending.vln', ...events])
      .trim().split(/\r?\n/).map((l) => JSON.parse(l));
    assert.deepEqual(steps.map(({ line, ...rest }) => rest).slice(0, -1), printed.slice(0, -1));
    // A name no story is given reads the document.
    assert.equal(steps[steps.length - 1].caption, '朝だ。目覚ましが鳴っている。');
  });

  test('fromLine starts reading at that line', async () => {
    const uri = newUri();
    await server.open(uri, worked);
    const { steps } = await server.request('velnori/play', { textDocument: { uri }, events: ['down', 'down', 'down'], fromLine: 5 });
    assert.deepEqual(steps.slice(1).map((s) => [s.caption, s.line]), [['On the road.', 5], ['', 6], ['You miss the bus.', 7]]);
  });

  test('an unknown event is refused by name', async () => {
    const uri = newUri();
    await server.open(uri, worked);
    await assert.rejects(server.request('velnori/play', { textDocument: { uri }, events: ['down', 'jump!'] }),
      (e) => e.code === -32602 && e.message.includes('jump!'));
  });
});

describe('semantic tokens', () => {
  // The tokens of one line in order; `same` pairs are coloured alike,
  // `differ` pairs not (type and modifiers together).
  const cases = [
    { why: 'a conditional jump', text: worked, line: 5, tokens: ['[road]', '>>', 'A', '[bus]', '[late]'], same: [['[bus]', '[late]']], differ: [['[road]', '[bus]'], ['>>', 'A'], ['A', '[bus]']] },
    { why: 'a choice', text: worked, line: 1, tokens: ['??', '[up]', '[sleep]'], same: [['[up]', '[sleep]']], differ: [['??', '[up]']] },
    { why: 'a flag switched on', text: worked, line: 2, tokens: ['[up]', '::', 'A', 'ON'], same: [], differ: [['A', 'ON'], ['::', 'ON'], ['[up]', 'A']] },
    { why: 'END', text: worked, line: 6, tokens: ['[bus]', '::', 'END'], same: [], differ: [['::', 'END']] },
    { why: 'a command with no keyword', text: mistakes, line: 5, tokens: ['[cellar]', '::', 'LIGHT'], same: [], differ: [['LIGHT', '[cellar]']] },
    { why: '>>Bedroom read as a jump on flag B', text: mistakes, line: 3, tokens: ['[green]', '>>', 'B', 'edroom'], same: [], differ: [['B', 'edroom']] },
    { why: 'a jump after :: is part of the command', text: mistakes, line: 6, tokens: ['::', 'END', '>>[start]'], same: [], differ: [] },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      const legend = server.initializeResult.capabilities.semanticTokensProvider.legend;
      const { data } = await server.request('textDocument/semanticTokens/full', { textDocument: { uri } });
      assert.equal(data.length % 5, 0);
      const lines = T.editorLines(c.text);
      const tokens = [];
      let line = 0;
      let start = 0;
      for (let i = 0; i < data.length; i += 5) {
        line += data[i];
        start = data[i] ? data[i + 1] : start + data[i + 1];
        if (i > 0 && data[i] === 0) assert.ok(data[i + 1] >= data[i - 3], 'tokens do not overlap');
        assert.ok(start + data[i + 2] <= lines[line].end - lines[line].start, `token within line ${line}`);
        assert.ok(data[i + 3] < legend.tokenTypes.length && data[i + 4] < 2 ** legend.tokenModifiers.length);
        const text = c.text.slice(lines[line].start + start, lines[line].start + start + data[i + 2]);
        if (line === c.line) tokens.push({ text, colour: `${data[i + 3]}/${data[i + 4]}` });
      }
      assert.deepEqual(tokens.map((t) => t.text), c.tokens);
      const colour = (text) => tokens.find((t) => t.text === text).colour;
      for (const [a, b] of c.same) assert.equal(colour(a), colour(b), `${a} and ${b} alike`);
      for (const [a, b] of c.differ) assert.notEqual(colour(a), colour(b), `${a} and ${b} apart`);
    });
  }
});

describe('quick fixes', () => {
  // at: the text the finding covers; expect: the story after the fix.
  const cases = [
    { why: 'remove the space in front of a choice item', text: mistakes, at: ' [blue]', expect: mistakes.replace(', [blue]', ',[blue]') },
    { why: 'bracket a jump read as conditional, and the line it meant', text: '[s]Go>>Bedroom\r\nBedroom\r\n', at: 'Bedroom', expect: '[s]Go>>[Bedroom]\r\n[Bedroom]Bedroom\r\n' },
    { why: 'the nearest existing label', text: '[s]Go>>[raod]\r\n[road]x\r\n', at: '[raod]', expect: '[s]Go>>[road]\r\n[road]x\r\n' },
    { why: 'create the missing passage at the end', text: '[s]Go>>[raod]\r\n[road]x\r\n', at: '[raod]', expect: /^\[s\]Go>>\[raod\]\r\n\[road\]x\r\n\[raod\][^\r\n]*(\r\n)?$/ },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      const findings = await server.open(uri, c.text);
      const finding = findings.find((d) => covered(c.text, d) === c.at) || findings.find((d) => covered(c.text, d).includes(c.at));
      assert.ok(finding, `a finding at ${c.at}: ${JSON.stringify(findings)}`);
      const actions = await server.request('textDocument/codeAction', {
        textDocument: { uri }, range: finding.range, context: { diagnostics: [finding] },
      });
      const fixed = (actions || []).filter((a) => a.edit).map((a) => T.applyEdits(c.text, T.editsFor(a.edit, uri)));
      const ok = fixed.some((f) => (c.expect instanceof RegExp ? c.expect.test(f) : f === c.expect));
      assert.ok(ok, `one of ${JSON.stringify(fixed)}`);
    });
  }
});

describe('incremental sync gives what opening the edited text gives', () => {
  const line = (n, ch) => ({ line: n, character: ch });
  // Each case: edits sent one notification after another (an array in one
  // notification where nested).
  const cases = [
    { why: 'one character typed', text: worked, edits: [[{ range: { start: line(3, 24), end: line(3, 24) }, text: 'x' }]] },
    { why: 'a label broken and mended', text: worked, edits: [[{ range: { start: line(5, 1), end: line(5, 2) }, text: '' }], [{ range: { start: line(5, 1), end: line(5, 1) }, text: 'r' }]] },
    { why: 'lines joined across CR LF', text: worked, edits: [[{ range: { start: line(2, 20), end: line(3, 0) }, text: '' }]] },
    { why: 'a lone LF typed', text: worked, edits: [[{ range: { start: line(2, 4), end: line(2, 4) }, text: '\n' }]] },
    { why: 'CR LF turned into a lone CR', text: worked, edits: [[{ range: { start: line(0, 32), end: line(1, 0) }, text: '\r' }]] },
    { why: 'two changes in one notification', text: worked, edits: [[{ range: { start: line(7, 0), end: line(7, 6) }, text: '[lost]' }, { range: { start: line(0, 0), end: line(0, 0) }, text: 'Title\r\n' }]] },
    { why: 'a Japanese edit in the middle of a surrogate-free line', text: hoshi, edits: [[{ range: { start: line(9, 7), end: line(9, 9) }, text: '汽車' }]] },
    { why: 'the whole text replaced', text: worked, edits: [[{ text: mistakes }]] },
    { why: 'everything deleted', text: worked, edits: [[{ range: { start: line(0, 0), end: line(8, 0) }, text: '' }]] },
  ];
  for (const c of cases) {
    test(c.why, async () => {
      const uri = newUri();
      await server.open(uri, c.text);
      let text = c.text;
      let diagnostics;
      let version = 1;
      for (const changes of c.edits) {
        diagnostics = await server.change(uri, ++version, changes);
        for (const change of changes) {
          text = change.range ? T.applyEdits(text, [{ range: change.range, newText: change.text }]) : change.text;
        }
      }
      const fresh = newUri();
      // The same answers, but for the document's name.
      const same = (a, b) => assert.deepEqual(JSON.parse(JSON.stringify(a).replaceAll(uri, 'URI')),
                                              JSON.parse(JSON.stringify(b).replaceAll(fresh, 'URI')));
      same(diagnostics, await server.open(fresh, text));
      const outline = async (u) => server.request('textDocument/documentSymbol', { textDocument: { uri: u } });
      same(await outline(uri), await outline(fresh));
    });
  }
});

describe('UTF-8 positions when the client offers them', () => {
  let utf8;
  before(async () => { utf8 = await LspServer.start({ positionEncodings: ['utf-8', 'utf-16'] }); });
  after(async () => { assert.equal((await utf8.stop()).code, 0); });

  test('the server takes utf-8, and every range counts bytes', async () => {
    assert.equal(utf8.encoding, 'utf-8');
    assert.equal(server.encoding, 'utf-16', 'UTF-16 when UTF-8 is not offered');
    const text = '[s]\u{1F600}星>>[nowhere]\r\n[s2]星>>[c]\r\n[c]x\r\n';
    const uri = newUri();
    const [finding] = await utf8.open(uri, text);
    assert.deepEqual(finding.range, T.findRange(text, '[nowhere]', 0, 'utf-8'));
    const at = positionOf(text, '>>[c]', 0, 3, 'utf-8');
    const found = firstLocation(await utf8.at('definition', uri, at));
    assert.deepEqual(found.range.start, T.landing(text, '[c]', 'utf-8'));
    const prepared = await utf8.at('prepareRename', uri, at);
    assert.equal(T.textOfRange(text, prepared.range || prepared, 'utf-8'), 'c');
    // An edit in UTF-8 columns after the surrogate pair: "[nowhere]" becomes "[c]".
    const range = T.findRange(text, 'nowhere', 0, 'utf-8');
    const edited = await utf8.change(uri, 2, [{ range, text: 'c' }]);
    const fresh = newUri();
    assert.deepEqual(edited, await utf8.open(fresh, T.applyEdits(text, [{ range, newText: 'c' }], 'utf-8')));
    assert.deepEqual(edited.map((d) => d.code), ['unreached-lines'], 'the target is found now');
  });
});
