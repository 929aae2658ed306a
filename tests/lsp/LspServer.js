'use strict';
// `vln lsp` as a real process on a pipe, seen through the protocol library
// that editors are built on (LspServer), or byte by byte for messages no
// library would send (RawServer). The server is the program in VLN_LSP_SERVER
// (vln, or a script that runs vln.exe under Wine), started as `PROGRAM lsp`.

const { spawn, execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const rpc = require('vscode-jsonrpc/node');
const lsp = require('vscode-languageserver-protocol/node');

const program = process.env.VLN_LSP_SERVER;
if (!program) throw new Error('VLN_LSP_SERVER must name the vln program to test');
// Wine starts slowly and runs the server a good deal slower.
const underWine = process.env.VLN_LSP_WINE === '1';
const patience = underWine ? 60000 : 10000;
const sourceDir = process.env.VELNORI_SOURCE_DIR || path.resolve(__dirname, '../..');

// `promise`, or a failure after `ms` or as soon as `server` (when given) has ended.
function within(promise, ms, what, server) {
  let timer;
  const timeout = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`no ${what} within ${ms} ms`)), ms);
  });
  const racers = [promise, timeout];
  if (server) {
    racers.push(server.exited.then((end) => {
      throw new Error(`no ${what}: the server ended (${JSON.stringify(end)}): ${server.state.stderr.slice(-500)}`);
    }));
  }
  return Promise.race(racers).finally(() => clearTimeout(timer));
}

function startProcess(args = ['lsp']) {
  const child = spawn(program, args, { stdio: ['pipe', 'pipe', 'pipe'] });
  child.stdin.on('error', () => {});  // a server that has gone is a result, not a crash here
  const state = { stderr: '' };
  child.stderr.on('data', (d) => { state.stderr += d; });
  const exited = new Promise((resolve) => child.on('exit', (code, signal) => resolve({ code, signal })));
  return { child, state, exited };
}

// Peak resident memory of the server in bytes; null under Wine, whose
// process carries Wine's own memory too.
function peakMemory(pid) {
  if (underWine) return null;
  try {
    const status = fs.readFileSync(`/proc/${pid}/status`, 'utf8');
    return Number(/VmHWM:\s+(\d+) kB/.exec(status)[1]) * 1024;
  } catch {
    return null;
  }
}

class LspServer {
  // Starts the server and initializes it, offering `positionEncodings` when given.
  static async start({ positionEncodings, args } = {}) {
    const server = new LspServer(args);
    const general = positionEncodings ? { positionEncodings } : {};
    server.initializeResult = await server.request('initialize', {
      processId: process.pid,
      rootUri: null,
      capabilities: {
        general,
        textDocument: {
          publishDiagnostics: { relatedInformation: true },
          hover: { contentFormat: ['markdown', 'plaintext'] },
          documentSymbol: { hierarchicalDocumentSymbolSupport: true },
          rename: { prepareSupport: true },
          codeAction: { codeActionLiteralSupport: { codeActionKind: { valueSet: ['quickfix'] } } },
          semanticTokens: { requests: { full: true }, tokenTypes: [], tokenModifiers: [], formats: ['relative'] },
        },
      },
    });
    server.notify('initialized', {});
    server.encoding = server.initializeResult.capabilities.positionEncoding || 'utf-16';
    return server;
  }

  constructor(args) {
    Object.assign(this, startProcess(args));
    this.published = new Map();  // uri -> every publishDiagnostics params, in order
    this.waiters = [];
    this.connection = lsp.createProtocolConnection(
      new rpc.StreamMessageReader(this.child.stdout), new rpc.StreamMessageWriter(this.child.stdin));
    this.connection.onNotification(lsp.PublishDiagnosticsNotification.type, (params) => {
      if (!this.published.has(params.uri)) this.published.set(params.uri, []);
      this.published.get(params.uri).push(params);
      this.waiters = this.waiters.filter((w) => !(w.uri === params.uri && (w.resolve(params), true)));
    });
    // Whatever the server asks of the editor (refreshes, progress), the
    // editor grants.
    this.connection.onRequest(() => null);
    this.connection.onError(() => {});
    this.connection.onClose(() => {});
    this.connection.listen();
  }

  request(method, params) {
    return within(this.connection.sendRequest(method, params), patience, `answer to ${method}`, this);
  }

  notify(method, params) {
    this.connection.sendNotification(method, params);
  }

  // The next diagnostics published for `uri` after this call.
  nextDiagnostics(uri) {
    const next = new Promise((resolve) => this.waiters.push({ uri, resolve }));
    return within(next, patience, `diagnostics for ${uri}`, this).then((p) => p.diagnostics);
  }

  open(uri, text, version = 1) {
    const diagnostics = this.nextDiagnostics(uri);
    this.notify('textDocument/didOpen', { textDocument: { uri, languageId: 'vln', version, text } });
    return diagnostics;
  }

  change(uri, version, contentChanges) {
    const diagnostics = this.nextDiagnostics(uri);
    this.notify('textDocument/didChange', { textDocument: { uri, version }, contentChanges });
    return diagnostics;
  }

  // textDocument/NAME at `position` of `uri`, with `extra` params.
  at(name, uri, position, extra = {}) {
    return this.request(`textDocument/${name}`, { textDocument: { uri }, position, ...extra });
  }

  peakMemory() {
    return peakMemory(this.child.pid);
  }

  // shutdown and exit, as an editor ends a session: the exit status.
  async stop() {
    await this.request('shutdown', null);
    this.notify('exit', null);
    const end = await within(this.exited, patience, 'exit after shutdown');
    this.connection.dispose();
    return end;
  }

  kill() {
    this.connection.dispose();
    this.child.kill('SIGKILL');
  }
}

// Frames `body` (a string, Buffer or object) as one message.
function frame(body) {
  const bytes = Buffer.isBuffer(body) ? body : Buffer.from(typeof body === 'string' ? body : JSON.stringify(body));
  return Buffer.concat([Buffer.from(`Content-Length: ${bytes.length}\r\n\r\n`), bytes]);
}

// The server with nothing between the test and its standard streams.
class RawServer {
  constructor(args) {
    Object.assign(this, startProcess(args));
    this.buffer = Buffer.alloc(0);
    this.messages = [];
    this.waiters = [];
    this.child.stdout.on('data', (chunk) => {
      this.buffer = Buffer.concat([this.buffer, chunk]);
      for (;;) {
        const headerEnd = this.buffer.indexOf('\r\n\r\n');
        if (headerEnd < 0) return;
        const length = Number(/Content-Length: *(\d+)/i.exec(this.buffer.subarray(0, headerEnd).toString())[1]);
        if (this.buffer.length < headerEnd + 4 + length) return;
        const body = this.buffer.subarray(headerEnd + 4, headerEnd + 4 + length);
        this.buffer = this.buffer.subarray(headerEnd + 4 + length);
        this.received(JSON.parse(body.toString('utf8')));
      }
    });
  }

  received(message) {
    const waiter = this.waiters.find((w) => w.match(message));
    if (waiter) {
      this.waiters.splice(this.waiters.indexOf(waiter), 1);
      waiter.resolve(message);
    } else {
      this.messages.push(message);
    }
  }

  write(bytes) {
    this.child.stdin.write(Buffer.isBuffer(bytes) ? bytes : Buffer.from(bytes));
  }

  send(message) {
    this.write(frame(message));
  }

  // The first message (already received or still to come) that `match` accepts.
  expect(match, what, ms = patience) {
    const index = this.messages.findIndex(match);
    if (index >= 0) return Promise.resolve(this.messages.splice(index, 1)[0]);
    return within(new Promise((resolve) => this.waiters.push({ match, resolve })), ms, what, this);
  }

  reply(id, what) {
    return this.expect((m) => m.id === id && !m.method, what || `reply to request ${id}`);
  }

  async initialize(id = 0) {
    this.send({ jsonrpc: '2.0', id, method: 'initialize', params: { processId: null, rootUri: null, capabilities: {} } });
    const answer = await this.reply(id);
    this.send({ jsonrpc: '2.0', method: 'initialized', params: {} });
    return answer;
  }

  peakMemory() {
    return peakMemory(this.child.pid);
  }

  kill() {
    this.child.kill('SIGKILL');
  }
}

// What the command-line vln prints for `args`, run from the source folder
// (relative paths, so that vln.exe under Wine finds the same files).
function vlnOutput(args) {
  try {
    return execFileSync(program, args, { cwd: sourceDir, encoding: 'utf8' });
  } catch (e) {
    if (e.status !== 1) throw new Error(`vln ${args.join(' ')}: status ${e.status}: ${e.stderr}`);
    return e.stdout;  // check found errors
  }
}

module.exports = { vlnOutput, LspServer, RawServer, frame, sourceDir };
