'use strict';
// Messages no well-behaved editor sends, written byte by byte. None may crash
// the server, hang it or make it grow without bound: each gets its JSON-RPC
// error, or is ignored, and the server still answers what follows.

const { test } = require('node:test');
const assert = require('node:assert/strict');
const { RawServer, frame } = require('./LspServer');

const request = (id, method, params = {}) => ({ jsonrpc: '2.0', id, method, params });
const notification = (method, params = {}) => ({ jsonrpc: '2.0', method, params });
const uri = 'file:///stories/hostile.vln';
const open = (text) => notification('textDocument/didOpen', { textDocument: { uri, languageId: 'vln', version: 1, text } });
const hover = (id, doc = uri) => request(id, 'textDocument/hover', { textDocument: { uri: doc }, position: { line: 0, character: 0 } });
const MB = 1024 * 1024;

// Ends the session the proper way, which also shows that the server is still
// reading its messages: shutdown is answered and exit ends with status 0.
async function endsCleanly(server) {
  server.send(request(990, 'shutdown', null));
  assert.equal((await server.reply(990, 'the answer to shutdown: the server has stopped reading')).result, null);
  server.send(notification('exit', null));
  assert.deepEqual(await server.exited, { code: 0, signal: null });
}

// before: whether `initialize` comes first; send: what the hostile client
// writes; reply: the error expected for request `id` (codes: any of them),
// or none when the message is to be ignored.
const cases = [
  { why: 'a request before initialize', before: false, send: (s) => s.send(hover(1)), reply: { id: 1, codes: [-32002] } },
  { why: 'a notification before initialize is dropped', before: false, send: (s) => s.send(open('[s]x\r\n')), reply: null },
  { why: 'an unknown method', send: (s) => s.send(request(1, 'velnori/nothing')), reply: { id: 1, codes: [-32601] } },
  { why: 'an unknown $/ request', send: (s) => s.send(request(1, '$/nothing')), reply: { id: 1, codes: [-32601] } },
  { why: 'an unknown notification', send: (s) => s.send(notification('velnori/nothing')), reply: null },
  { why: 'invalid JSON', send: (s) => s.write(frame('{"jsonrpc":"2.0","id":1,"method":')), reply: { id: null, codes: [-32700] } },
  { why: 'JSON that is no message', send: (s) => s.write(frame('[1, 2, 3]')), reply: { id: null, codes: [-32600] } },
  {
    why: 'invalid UTF-8 inside a string',
    send: (s) => s.write(frame(Buffer.concat([
      Buffer.from('{"jsonrpc":"2.0","id":1,"method":"textDocument/hover","params":{"textDocument":{"uri":"file:///a'),
      Buffer.from([0xff, 0xc3, 0x28]), Buffer.from('.vln"},"position":{"line":0,"character":0}}}')]))),
    reply: { id: [1, null], codes: [-32700, -32600, -32602] },
  },
  {
    why: 'invalid UTF-8 in an opened text',
    send: (s) => s.write(frame(Buffer.concat([
      Buffer.from(`{"jsonrpc":"2.0","method":"textDocument/didOpen","params":{"textDocument":{"uri":"${uri}","languageId":"vln","version":1,"text":"[s]`),
      Buffer.from([0xed, 0xa0, 0x80, 0xff]), Buffer.from('>>[x]\\r\\n"}}}')]))),
    reply: { id: null, codes: [-32700] },
  },
  { why: 'a header with no Content-Length', send: (s) => s.write('Content-Type: application/vscode-jsonrpc\r\n\r\n'), reply: null, maybeError: true },
  { why: 'a Content-Length that is no number', send: (s) => s.write('Content-Length: lots\r\n\r\n'), reply: null, maybeError: true },
  { why: 'a negative Content-Length', send: (s) => s.write('Content-Length: -5\r\n\r\n'), reply: null, maybeError: true },
  {
    // The server has read all there is and waits for the rest of the body;
    // shutdown then comes in a write of its own and must not be swallowed.
    why: 'a Content-Length a few bytes too long, then shutdown',
    send: (s) => {
      const body = JSON.stringify(hover(1));
      s.write(`Content-Length: ${Buffer.byteLength(body) + 8}\r\n\r\n${body}`);
    },
    reply: null,
    maybeError: true,
  },
  { why: 'didChange for a document never opened', send: (s) => s.send(notification('textDocument/didChange', { textDocument: { uri: 'file:///nowhere.vln', version: 2 }, contentChanges: [{ text: 'x' }] })), reply: null },
  { why: 'a request on a document never opened', send: (s) => s.send(hover(1, 'file:///nowhere.vln')), reply: { id: 1, codes: [-32602], orResult: true } },
  {
    why: 'a range past the end',
    send: (s) => {
      s.send(open('[s]x\r\n'));
      s.send(notification('textDocument/didChange', { textDocument: { uri, version: 2 }, contentChanges: [{ range: { start: { line: 40, character: 3 }, end: { line: 99, character: 0 } }, text: '>>[y]' }] }));
      s.send(notification('textDocument/didChange', { textDocument: { uri, version: 3 }, contentChanges: [{ range: { start: { line: 0, character: 900 }, end: { line: 0, character: 2 } }, text: 'z' }] }));
    },
    reply: null,
  },
  {
    why: 'ranges backwards, negative, huge, or inside a surrogate pair',
    send: (s) => {
      s.send(open('[s]\u{1F600}>>[x]\r\n[x]y\r\n'));
      const change = (version, start, end) => s.send(notification('textDocument/didChange', {
        textDocument: { uri, version }, contentChanges: [{ range: { start, end }, text: '!' }] }));
      change(2, { line: 1, character: 2 }, { line: 0, character: 1 });
      change(3, { line: -1, character: -5 }, { line: 0, character: 0 });
      change(4, { line: 2 ** 31, character: 2 ** 53 }, { line: 2 ** 31, character: 2 ** 53 });
      change(5, { line: 0, character: 4 }, { line: 0, character: 4 });
      s.send(request(1, 'textDocument/definition', { textDocument: { uri }, position: { line: 0, character: 1e300 } }));
    },
    reply: { id: 1, codes: [-32602], orResult: true },
  },
  { why: 'params of the wrong types', send: (s) => s.send(request(1, 'textDocument/hover', { textDocument: 7, position: 'here' })), reply: { id: 1, codes: [-32602] } },
  { why: '$/cancelRequest for a request never made', send: (s) => s.send(notification('$/cancelRequest', { id: 12345 })), reply: null },
  {
    why: '$/cancelRequest of a request in flight: its answer or -32800',
    send: (s) => { s.send(open('[s]x\r\n')); s.send(hover(1)); s.send(notification('$/cancelRequest', { id: 1 })); },
    reply: { id: 1, codes: [-32800], orResult: true },
  },
  { why: 'a request after shutdown', send: async (s) => { s.send(request(1, 'shutdown', null)); await s.reply(1); s.send(hover(2)); }, reply: { id: 2, codes: [-32600] }, exitsAfter: true },
];

for (const c of cases) {
  test(c.why, async () => {
    const server = new RawServer();
    try {
      if (c.before !== false) await server.initialize();
      await c.send(server);
      if (c.reply) {
        const ids = [].concat(c.reply.id);
        const answer = await server.expect((m) => !m.method && ids.includes(m.id === undefined ? null : m.id), `an answer to ${c.why}`);
        if (!(c.reply.orResult && 'result' in answer)) {
          assert.ok(answer.error, JSON.stringify(answer));
          assert.ok(c.reply.codes.includes(answer.error.code), JSON.stringify(answer));
          assert.ok(answer.error.message.length > 0);
        }
      }
      if (c.exitsAfter) {
        server.send(notification('exit', null));
        assert.deepEqual(await server.exited, { code: 0, signal: null });
        return;
      }
      if (c.before === false) await server.initialize(1000);
      await endsCleanly(server);
      const errors = server.messages.filter((m) => m.error);
      if (!c.reply && !c.maybeError) assert.deepEqual(errors, [], 'an ignored message gets no error');
    } finally {
      server.kill();
    }
  });
}

// Status: 1 for exit without shutdown, as the protocol says; a closed input
// with no exit is the same as exit alone.
const endings = [
  { why: 'exit alone', send: (s) => s.send(notification('exit', null)), code: 1 },
  { why: 'the editor goes away', send: (s) => s.child.stdin.end(), code: 1 },
  { why: 'a truncated body, then nothing', send: (s) => { s.write('Content-Length: 200\r\n\r\n{"jsonrpc":"2.0","id":5,"meth'); s.child.stdin.end(); }, code: 1 },
  { why: 'a truncated header, then nothing', send: (s) => { s.write('Content-Len'); s.child.stdin.end(); }, code: 1 },
];
for (const c of endings) {
  test(`ending: ${c.why}`, async () => {
    const server = new RawServer();
    try {
      await server.initialize();
      c.send(server);
      assert.deepEqual(await server.exited, { code: c.code, signal: null });
    } finally {
      server.kill();
    }
  });
}

test('a Content-Length of 2^40 gets a clear error, and no memory', async (t) => {
  const server = new RawServer();
  try {
    await server.initialize();
    server.write(`Content-Length: ${2 ** 40}\r\n\r\n{"jsonrpc":"2.0","id":7,"method":"shutdown"}`);
    const answer = await server.expect((m) => m.error, 'an error for a message too large');
    assert.match(answer.error.message, /limit|large|size/i);
    const peak = server.peakMemory();
    if (peak !== null) {
      t.diagnostic(`peak memory ${(peak / MB).toFixed(1)} MB`);
      assert.ok(peak < 64 * MB, `peak memory ${peak}`);
    }
    server.child.stdin.end();
    const end = await server.exited;
    assert.equal(end.signal, null);
  } finally {
    server.kill();
  }
});

test('a 100 MB document: answered or refused, memory bounded', async (t) => {
  const server = new RawServer();
  try {
    await server.initialize();
    const line = '[p]駅のホームに、冷たい風が吹いている。>>[p]\r\n';
    const text = line.repeat(Math.ceil(100 * MB / Buffer.byteLength(line)));
    server.send(open(text));
    server.send(request(2, 'textDocument/documentSymbol', { textDocument: { uri } }));
    const answer = await server.expect((m) => m.id === 2, 'an answer with a 100 MB document open', 120000);
    if (!('result' in answer)) {
      // Refused: the editor is told why, in words, and the document is not open.
      assert.equal(answer.error.code, -32602, JSON.stringify(answer));
      const told = server.messages.filter((m) => /limit/.test(JSON.stringify(m.error || m.params || '')));
      assert.ok(told.length > 0, `the size limit is named: ${JSON.stringify(server.messages).slice(0, 300)}`);
    }
    const peak = server.peakMemory();
    if (peak !== null) {
      t.diagnostic(`peak memory ${(peak / MB).toFixed(0)} MB for ${(Buffer.byteLength(text) / MB).toFixed(0)} MB of text`);
      assert.ok(peak <= 10 * Buffer.byteLength(text) + 64 * MB, `peak memory ${(peak / MB).toFixed(0)} MB`);
    }
    await endsCleanly(server);
  } finally {
    server.kill();
  }
});
