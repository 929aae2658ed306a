'use strict';
const vscode = require('vscode');
const { openPanel } = require('./panel');
const { debounce } = require('./debounce');
const { neighbourhoodDot, passageAtLine } = require('./mapNeighbourhood');

// The map of the story being edited, redrawn as the text changes. The
// webview keeps zoom and scroll itself; this side tells it what to draw and
// which passage holds the cursor, and moves the editor when a box is clicked.
class MapView {
  constructor(context, request, delayMs = 80) {
    this.context = context;
    this.request = request;
    this.panel = null;
    this.document = null;
    this.passages = [];
    this.shown = null; // the passages drawn when only a neighbourhood is
    this.dot = '';
    this.layout = null; // the server's word: "none" when the map is too big to lay out whole
    this.version = null; // the document's version the map was laid out from
    this.cursorLine = 0;
    this.sequence = 0;
    this.beside = null; // the play view, whose column the map keeps clear of
    this.refreshSoon = debounce(() => this.refresh(), delayMs);
  }

  show(editor) {
    if (!this.follow(editor) && !this.document) return;
    if (this.panel) {
      this.panel.reveal(undefined, true);
    } else {
      this.panel = openPanel(this.context, 'velnori.map', 'Story Map', 'map', (m) => this.received(m), true, this.beside);
      this.panel.onDidDispose(() => {
        this.panel = null;
        this.refreshSoon.cancel();
      });
    }
    this.refresh();
  }

  // Follows the editor when it holds a story; true when that is a new one.
  follow(editor) {
    if (!editor || editor.document.languageId !== 'vln') return false;
    const changed = this.document !== editor.document;
    this.document = editor.document;
    this.cursorLine = editor.selection.active.line;
    return changed;
  }

  editorChanged(editor) {
    if (this.panel && this.follow(editor)) this.refresh();
  }

  textChanged(document) {
    if (this.panel && document === this.document) this.refreshSoon();
  }

  selectionChanged(editor) {
    if (!this.panel || editor.document !== this.document) return;
    this.cursorLine = editor.selection.active.line;
    const current = passageAtLine(this.passages, this.cursorLine);
    if (this.shown && current && !this.shown.has(current.id)) {
      this.draw();
    } else {
      this.post({ type: 'cursor', current: current ? current.id : null });
    }
  }

  async refresh() {
    if (!this.panel || !this.document) return;
    const sequence = ++this.sequence;
    let result;
    try {
      result = await this.request('velnori/map', {
        textDocument: { uri: this.document.uri.toString() },
        format: 'dot',
      });
    } catch (error) {
      this.post({ type: 'error', message: String(error && error.message ? error.message : error) });
      return;
    }
    if (sequence !== this.sequence || !result) return; // a newer text is on its way
    // The server may answer before it has the editor's latest text: that
    // map is drawn, and the newer one asked for at once.
    if (typeof result.version === 'number' && result.version < this.document.version) this.refreshSoon();
    this.passages = result.passages || [];
    this.dot = result.text;
    this.layout = result.layout;
    this.version = result.version;
    this.draw();
  }

  draw() {
    const current = passageAtLine(this.passages, this.cursorLine);
    let dot = this.dot;
    this.shown = null;
    if (this.layout === 'none') {
      const center = current || this.passages[0];
      const cut = neighbourhoodDot(this.dot, center.id);
      dot = cut.dot;
      this.shown = cut.shown;
    }
    const lines = {};
    for (const p of this.passages) lines[p.id] = p.range.start.line + 1;
    this.post({
      type: 'map',
      version: this.version,
      dot,
      lines,
      passages: this.passages.length,
      neighbourhood: this.shown !== null,
      current: current ? current.id : null,
    });
  }

  received(message) {
    if (message.type === 'ready') {
      this.draw();
    } else if (message.type === 'reveal') {
      this.reveal(message.id);
    }
  }

  async reveal(id) {
    const passage = this.passages.find((p) => p.id === id);
    if (!passage || !this.document) return;
    const start = new vscode.Position(passage.range.start.line, 0);
    // The author goes on typing where the click took them: the editor gets
    // the focus back from the map.
    const shown = vscode.window.visibleTextEditors.find((e) => e.document === this.document);
    const editor = await vscode.window.showTextDocument(this.document, {
      viewColumn: shown ? shown.viewColumn : vscode.ViewColumn.One,
      preserveFocus: false,
    });
    editor.selection = new vscode.Selection(start, start);
    editor.revealRange(new vscode.Range(start, start), vscode.TextEditorRevealType.InCenterIfOutsideViewport);
    this.selectionChanged(editor);
  }

  post(message) {
    if (this.panel) this.panel.webview.postMessage(message);
  }
}

module.exports = { MapView };
