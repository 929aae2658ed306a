// The VS Code extension's map and play views, each in a frame of its own:
// their scripts take the whole body, and talk to their host through
// acquireVsCodeApi, which the frame lends them over postMessage. Their text
// comes from views.js, loaded beside the page's script.
import { neighbourhoodDot, passageAtLine } from '../../editors/vscode/src/mapNeighbourhood';

function viewFrame(parent, name, received) {
  const frame = document.createElement('iframe');
  frame.className = `view ${name}`;
  // A frame of its own origin runs beside the page, not on its thread: laying
  // out a thousand passages takes a second the editor must not stop for.
  frame.sandbox = 'allow-scripts';
  frame.title = name === 'map' ? 'Story map' : 'Play';
  const host = `window.velnoriBesideEditor = true;
  window.acquireVsCodeApi = () => ({
    postMessage: (message) => parent.postMessage({ velnoriView: ${JSON.stringify(name)}, message }, '*'),
    getState: () => null,
    setState: () => {},
  });`;
  const { script, css } = VELNORI_VIEWS[name];
  frame.srcdoc = `<!DOCTYPE html><html><head><meta charset="utf-8"><style>${css}</style></head>`
    + `<body><script>${host}</script><script>${script}</script></body></html>`;
  window.addEventListener('message', (event) => {
    if (event.source === frame.contentWindow && event.data && event.data.velnoriView === name) received(event.data.message);
  });
  parent.appendChild(frame);
  return (message) => frame.contentWindow && frame.contentWindow.postMessage(message, '*');
}

// The map of the text, redrawn when the server has the new text, following
// the cursor; a click on a passage moves the editor there.
export class MapPanel {
  constructor(parent, client, editor, uri) {
    this.client = client;
    this.editor = editor;
    this.uri = uri;
    this.passages = [];
    this.dot = '';
    this.layout = null;
    this.shown = null;
    this.ready = false;
    this.sequence = 0;
    this.post = viewFrame(parent, 'map', (m) => this.received(m));
    this.rendered = () => {};
  }

  received(message) {
    if (message.type === 'ready') {
      this.ready = true;
      this.draw();
    } else if (message.type === 'reveal') {
      const passage = this.passages.find((p) => p.id === message.id);
      if (passage) this.editor.moveTo({ line: passage.range.start.line, character: 0 });
    } else if (message.type === 'rendered') {
      this.rendered(message);
    }
  }

  async refresh() {
    const sequence = ++this.sequence;
    let result;
    try {
      result = await this.client.request('velnori/map', { textDocument: { uri: this.uri }, format: 'dot' });
    } catch (error) {
      this.post({ type: 'error', message: error.message });
      return;
    }
    if (sequence !== this.sequence || !result) return;
    this.passages = result.passages || [];
    this.dot = result.text;
    this.layout = result.layout;
    this.draw();
  }

  cursorMoved(line) {
    this.cursorLine = line;
    const current = passageAtLine(this.passages, line);
    if (this.shown && current && !this.shown.has(current.id)) this.draw();
    else this.post({ type: 'cursor', current: current ? current.id : null });
  }

  draw() {
    if (!this.ready || !this.dot) return;
    const current = passageAtLine(this.passages, this.cursorLine || 0);
    let dot = this.dot;
    this.shown = null;
    if (this.layout === 'none') {
      const cut = neighbourhoodDot(this.dot, (current || this.passages[0]).id);
      dot = cut.dot;
      this.shown = cut.shown;
    }
    const lines = {};
    for (const p of this.passages) lines[p.id] = p.range.start.line + 1;
    this.post({
      type: 'map', dot, lines, passages: this.passages.length, neighbourhood: this.shown !== null,
      current: current ? current.id : null,
    });
  }
}

// Keys as vln play names them; the strip's own keys and buttons send these.
const KEY_EVENTS = new Set(['down', '1', '2', '3', '4', '5', 'kp1', 'kp2', 'kp3', 'kp4', 'kp5', 'space']);

// The strip, replayed from the start by the reader's own handlers
// (velnori/play) after every key and every edit.
export class PlayPanel {
  constructor(parent, client, editor, uri) {
    this.client = client;
    this.editor = editor;
    this.uri = uri;
    this.events = [];
    this.fromLine = undefined;
    this.sequence = 0;
    this.post = viewFrame(parent, 'play', (m) => this.received(m));
  }

  received(message) {
    if (message.type === 'ready') {
      this.ready = true;
      this.run();
    } else if (message.type === 'key' && KEY_EVENTS.has(message.event)) {
      this.events.push(message.event);
      this.run();
    } else if (message.type === 'restart') {
      this.restart(undefined);
    }
  }

  restart(fromLine) {
    this.events = [];
    this.fromLine = fromLine;
    this.run();
  }

  async run() {
    if (!this.ready) return;
    const sequence = ++this.sequence;
    const params = { textDocument: { uri: this.uri }, events: this.events.slice() };
    if (this.fromLine !== undefined) params.fromLine = this.fromLine;
    let result;
    try {
      result = await this.client.request('velnori/play', params);
    } catch (error) {
      if (sequence === this.sequence) this.post({ type: 'error', message: error.message });
      return;
    }
    if (sequence !== this.sequence || !result || !result.steps || result.steps.length === 0) return;
    const step = result.steps[result.steps.length - 1];
    this.post({ type: 'step', step, keys: this.events.length });
    this.editor.markPlayed(step.line);
  }
}
