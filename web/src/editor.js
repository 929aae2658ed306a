// The story's editor: CodeMirror with vln lsp behind it. Every answer about
// the story (problems, completion, hover, definition, rename, colours) is
// the server's; this side only moves text and positions.
import { EditorState, StateEffect, StateField, RangeSetBuilder } from '@codemirror/state';
import {
  EditorView, keymap, lineNumbers, highlightActiveLine, highlightSpecialChars, drawSelection, Decoration, hoverTooltip,
} from '@codemirror/view';
import { defaultKeymap, history, historyKeymap } from '@codemirror/commands';
import { autocompletion, completionKeymap } from '@codemirror/autocomplete';
import { setDiagnostics, lintGutter } from '@codemirror/lint';
import { searchKeymap } from '@codemirror/search';
import { toOffset, toPosition } from './positions';
import { LONE_LF, editorText, storyText } from './lineBreaks';

export const URI = 'file:///story.vln';

const lineEnds = highlightSpecialChars({
  addSpecialChars: new RegExp(LONE_LF),
  render() {
    const mark = document.createElement('span');
    mark.className = 'cm-lone-lf';
    mark.textContent = '␊';
    mark.title = 'A lone LF: the reader keeps it inside the line';
    return mark;
  },
});

const setTokens = StateEffect.define();
const tokenField = StateField.define({
  create: () => Decoration.none,
  update(value, tr) {
    value = value.map(tr.changes);
    for (const effect of tr.effects) if (effect.is(setTokens)) value = effect.value;
    return value;
  },
  provide: (field) => EditorView.decorations.from(field),
});

// The line the strip last showed, marked as the VS Code play view marks it.
const setPlayed = StateEffect.define();
const playedLine = Decoration.line({ class: 'cm-played' });
const playedField = StateField.define({
  create: () => Decoration.none,
  update(value, tr) {
    value = value.map(tr.changes);
    for (const effect of tr.effects) {
      if (effect.is(setPlayed)) value = effect.value === null ? Decoration.none : Decoration.set([playedLine.range(effect.value)]);
    }
    return value;
  },
  provide: (field) => EditorView.decorations.from(field),
});

export class StoryEditor {
  constructor(parent, client, callbacks) {
    this.client = client;
    this.callbacks = callbacks;
    this.version = 1;
    this.legend = [];
    this.view = new EditorView({ parent, state: this.stateOf('') });
  }

  stateOf(text) {
    const { doc, breaks } = editorText(text);
    return EditorState.create({
      doc,
      extensions: [
        breaks,
        lineEnds,
        lineNumbers(),
        lintGutter(),
        history(),
        drawSelection(),
        highlightActiveLine(),
        tokenField,
        playedField,
        autocompletion({ override: [(context) => this.complete(context)] }),
        hoverTooltip((view, pos) => this.hover(pos)),
        keymap.of([
          { key: 'F12', run: () => { this.goToDefinition(); return true; } },
          { key: 'F2', run: () => { this.rename(); return true; } },
          ...completionKeymap, ...historyKeymap, ...searchKeymap, ...defaultKeymap,
        ]),
        EditorView.updateListener.of((update) => this.updated(update)),
      ],
    });
  }

  async start() {
    const provider = (await this.client.initialize()).semanticTokensProvider;
    this.legend = provider ? provider.legend.tokenTypes : [];
    this.client.on('textDocument/publishDiagnostics', (params) => this.diagnosed(params));
  }

  // A new story in place of the old one, as the server learns it too.
  load(text) {
    const state = this.stateOf(text);
    if (this.opened) this.client.notify('textDocument/didClose', { textDocument: { uri: URI } });
    this.opened = true;
    this.view.setState(state);
    this.unsaved = false;
    this.version += 1;
    this.client.notify('textDocument/didOpen', { textDocument: { uri: URI, languageId: 'vln', version: this.version, text } });
  }

  text() {
    return storyText(this.view.state);
  }

  updated(update) {
    if (update.docChanged) {
      const changes = [];
      update.changes.iterChanges((fromA, toA, fromB, toB, inserted) => {
        changes.push({
          range: { start: toPosition(update.startState.doc, fromA), end: toPosition(update.startState.doc, toA) },
          text: storyText(update.state, fromB, toB),
        });
      });
      this.version += 1;
      this.unsaved = true;
      this.changedAt = performance.now();
      // From the last change back, each range is still where the text before
      // the edit had it.
      this.client.notify('textDocument/didChange', {
        textDocument: { uri: URI, version: this.version }, contentChanges: changes.reverse(),
      });
    }
    if (update.docChanged || update.selectionSet) this.callbacks.cursorMoved(this.cursorLine());
  }

  // The protocol's line of the cursor.
  cursorLine() {
    return toPosition(this.view.state.doc, this.view.state.selection.main.head).line;
  }

  offsetOf(position) {
    return toOffset(this.view.state.doc, position);
  }

  moveTo(position) {
    const at = this.offsetOf(position);
    this.view.dispatch({ selection: { anchor: at }, scrollIntoView: true });
    this.view.focus();
  }

  // The protocol's line the strip shows, or null before any line; scrolled
  // to when it is another line than before.
  markPlayed(line) {
    const doc = this.view.state.doc;
    const at = line === null || line === undefined ? null : doc.lineAt(toOffset(doc, { line, character: 0 })).from;
    const effects = [setPlayed.of(at)];
    if (at !== null && line !== this.played) effects.push(EditorView.scrollIntoView(at, { y: 'nearest' }));
    this.played = line;
    this.view.dispatch({ effects });
  }

  diagnosed(params) {
    if (params.uri !== URI || (params.version !== undefined && params.version !== this.version)) return;
    const doc = this.view.state.doc;
    const diagnostics = params.diagnostics.map((d) => ({
      from: toOffset(doc, d.range.start),
      to: toOffset(doc, d.range.end),
      severity: d.severity === 1 ? 'error' : d.severity === 2 ? 'warning' : 'info',
      message: d.code ? `${d.message} [${d.code}]` : d.message,
      source: d.code,
    }));
    this.view.dispatch(setDiagnostics(this.view.state, diagnostics));
    this.callbacks.diagnosed(params.diagnostics, this.changedAt);
    this.colour();
  }

  async colour() {
    if (this.legend.length === 0) return;
    const version = this.version;
    const result = await this.client.request('textDocument/semanticTokens/full', { textDocument: { uri: URI } });
    if (!result || version !== this.version) return;
    const doc = this.view.state.doc;
    const marks = [];
    let line = 0;
    let character = 0;
    const data = result.data;
    for (let i = 0; i + 4 < data.length; i += 5) {
      line += data[i];
      character = data[i] === 0 ? character + data[i + 1] : data[i + 1];
      const from = toOffset(doc, { line, character });
      const to = Math.min(from + data[i + 2], doc.length);
      if (to > from) marks.push({ from, to, type: this.legend[data[i + 3]] });
    }
    marks.sort((a, b) => a.from - b.from);
    const builder = new RangeSetBuilder();
    for (const m of marks) builder.add(m.from, m.to, Decoration.mark({ class: `tok-${m.type}` }));
    this.view.dispatch({ effects: setTokens.of(builder.finish()) });
  }

  async complete(context) {
    const doc = context.state.doc;
    const result = await this.client.request('textDocument/completion', {
      textDocument: { uri: URI }, position: toPosition(doc, context.pos),
    });
    const items = Array.isArray(result) ? result : (result && result.items) || [];
    if (items.length === 0 || context.aborted) return null;
    const edited = items.find((item) => item.textEdit);
    const from = edited ? toOffset(doc, edited.textEdit.range.start) : context.pos;
    return {
      from,
      filter: false,
      options: items.map((item) => ({
        label: item.label,
        detail: item.detail,
        info: typeof item.documentation === 'string' ? item.documentation : item.documentation && item.documentation.value,
        apply: item.textEdit ? item.textEdit.newText : item.insertText || item.label,
      })),
    };
  }

  async hover(pos) {
    const doc = this.view.state.doc;
    const result = await this.client.request('textDocument/hover', {
      textDocument: { uri: URI }, position: toPosition(doc, pos),
    });
    if (!result || !result.contents) return null;
    const contents = [].concat(result.contents).map((c) => (typeof c === 'string' ? c : c.value)).join('\n\n');
    return {
      pos: result.range ? toOffset(doc, result.range.start) : pos,
      end: result.range ? toOffset(doc, result.range.end) : pos,
      create() {
        const dom = document.createElement('div');
        dom.className = 'hover';
        dom.textContent = contents;
        return { dom };
      },
    };
  }

  async goToDefinition() {
    const position = toPosition(this.view.state.doc, this.view.state.selection.main.head);
    const result = await this.client.request('textDocument/definition', { textDocument: { uri: URI }, position });
    const location = [].concat(result || [])[0];
    if (location) this.moveTo((location.range || location.targetSelectionRange).start);
  }

  async rename() {
    const doc = this.view.state.doc;
    const position = toPosition(doc, this.view.state.selection.main.head);
    let prepared;
    try {
      prepared = await this.client.request('textDocument/prepareRename', { textDocument: { uri: URI }, position });
    } catch (error) {
      this.callbacks.say(error.message);
      return;
    }
    if (!prepared) {
      this.callbacks.say('Nothing to rename here.');
      return;
    }
    const range = prepared.range || prepared;
    const name = prompt('Rename to', prepared.placeholder || this.view.state.sliceDoc(toOffset(doc, range.start), toOffset(doc, range.end)));
    if (!name) return;
    try {
      const edit = await this.client.request('textDocument/rename', { textDocument: { uri: URI }, position, newName: name });
      this.apply(((edit && edit.changes) || {})[URI] || []);
    } catch (error) {
      this.callbacks.say(error.message);
    }
  }

  apply(edits) {
    const doc = this.view.state.doc;
    this.view.dispatch({
      changes: edits.map((e) => ({ from: toOffset(doc, e.range.start), to: toOffset(doc, e.range.end), insert: e.newText })),
    });
  }
}
