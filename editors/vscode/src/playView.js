'use strict';
const vscode = require('vscode');
const { openPanel } = require('./panel');
const { debounce } = require('./debounce');

// Keys the view passes on, as vln play names them.
const KEY_EVENTS = new Set(['down', '1', '2', '3', '4', '5', 'kp1', 'kp2', 'kp3', 'kp4', 'kp5', 'space']);

// Plays the story being edited with the reader's own handlers (velnori/play).
// The server replays every key from the start each time, so an edit to the
// story shows at once in the reading so far.
class PlayView {
  constructor(context, request, delayMs = 150) {
    this.context = context;
    this.request = request;
    this.panel = null;
    this.document = null;
    this.events = [];
    this.firstEvents = [];
    this.fromLine = undefined;
    this.sequence = 0;
    this.beside = null; // the map, whose column the play view keeps clear of
    this.highlight = vscode.window.createTextEditorDecorationType({
      isWholeLine: true,
      backgroundColor: new vscode.ThemeColor('editor.rangeHighlightBackground'),
      borderColor: new vscode.ThemeColor('editor.rangeHighlightBorder'),
      borderStyle: 'solid',
      borderWidth: '0 0 0 3px',
    });
    this.replaySoon = debounce(() => this.run(), delayMs);
  }

  start(editor, fromLine) {
    if (!editor || editor.document.languageId !== 'vln') return;
    this.document = editor.document;
    // From a line: the reader has opened the story (its first line), and the
    // first Down shows the line at the cursor, where the reading starts.
    this.firstEvents = fromLine === undefined ? [] : ['down'];
    this.events = this.firstEvents.slice();
    this.fromLine = fromLine;
    const title = fromLine === undefined ? 'Play Story' : `Play From Line ${fromLine + 1}`;
    if (this.panel) {
      this.panel.title = title;
      this.panel.reveal(undefined, false);
    } else {
      this.panel = openPanel(this.context, 'velnori.play', title, 'play', (m) => this.received(m), false, this.beside);
      this.panel.onDidDispose(() => {
        this.panel = null;
        this.replaySoon.cancel();
        this.markLine(null);
      });
    }
    this.run();
  }

  textChanged(document) {
    if (this.panel && document === this.document) this.replaySoon();
  }

  received(message) {
    if (message.type === 'ready') {
      this.run();
    } else if (message.type === 'key' && KEY_EVENTS.has(message.event)) {
      this.events.push(message.event);
      this.run();
    } else if (message.type === 'restart') {
      this.events = this.firstEvents.slice();
      this.run();
    }
  }

  async run() {
    if (!this.panel || !this.document) return;
    const sequence = ++this.sequence;
    const params = { textDocument: { uri: this.document.uri.toString() }, events: this.events.slice() };
    if (this.fromLine !== undefined) params.fromLine = this.fromLine;
    let result;
    try {
      result = await this.request('velnori/play', params);
    } catch (error) {
      if (sequence === this.sequence) {
        this.post({ type: 'error', message: String(error && error.message ? error.message : error) });
      }
      return;
    }
    if (sequence !== this.sequence || !result || !result.steps || result.steps.length === 0) return;
    const step = result.steps[result.steps.length - 1];
    this.post({ type: 'step', step, keys: this.events.length - this.firstEvents.length });
    this.markLine(step.line);
  }

  markLine(line) {
    for (const editor of vscode.window.visibleTextEditors) {
      if (editor.document !== this.document) continue;
      if (line === null || line === undefined) {
        editor.setDecorations(this.highlight, []);
      } else {
        const range = new vscode.Range(line, 0, line, 0);
        editor.setDecorations(this.highlight, [range]);
        editor.revealRange(range, vscode.TextEditorRevealType.InCenterIfOutsideViewport);
      }
    }
  }

  post(message) {
    if (this.panel) this.panel.webview.postMessage(message);
  }
}

module.exports = { PlayView, KEY_EVENTS };
