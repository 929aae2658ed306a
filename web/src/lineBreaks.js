// The reader's line ends in CodeMirror, whose text has one kind of break.
// A story's break is CR LF or a lone CR: each is a break in the editor, and
// which of them were a lone CR is kept beside the text and moved with its
// edits. A lone LF stays inside its line, held by LONE_LF.
import { StateField, StateEffect, RangeValue, RangeSet, MapMode } from '@codemirror/state';
import { invertedEffects } from '@codemirror/commands';
import { EditorView } from '@codemirror/view';

// A noncharacter: never a story's text, so a save can only turn the
// page's own marks back into LF.
export const LONE_LF = '\uFDD0';

class LoneCr extends RangeValue {}
LoneCr.prototype.point = true;
// Text typed at the line's end stays before the break; deleting the break
// itself drops what it was.
LoneCr.prototype.startSide = 1;
LoneCr.prototype.endSide = 1;
LoneCr.prototype.mapMode = MapMode.TrackAfter;
const loneCr = new LoneCr();

// Lone CRs an undo brings back with the breaks it restores.
const restoreLoneCrs = StateEffect.define({
  map: (positions, mapping) => positions.map((at) => mapping.mapPos(at, 1)),
});

const loneCrs = StateField.define({
  create: () => RangeSet.empty,
  update(value, tr) {
    value = value.map(tr.changes);
    for (const effect of tr.effects) {
      if (effect.is(restoreLoneCrs)) value = value.update({ add: effect.value.map((at) => loneCr.range(at)), sort: true });
    }
    return value;
  },
});

// The lone CRs a change deletes, for the history to give back on undo.
const keptInHistory = invertedEffects.of((tr) => {
  const deleted = [];
  tr.startState.field(loneCrs).between(0, tr.startState.doc.length, (at) => {
    if (tr.changes.mapPos(at, 1, MapMode.TrackAfter) === null) deleted.push(at);
  });
  return deleted.length ? [restoreLoneCrs.of(deleted)] : [];
});

// Text pasted in is read by the reader's rule too: its CR LF and lone CR
// are breaks, its lone LF stays inside the line. Text copied out carries
// the story's own line ends, so a copy pasted back is the same text.
const pastedAsStory = EditorView.clipboardInputFilter.of((text) =>
  text.replace(/\r\n|\r|\n/g, (mark) => (mark === '\n' ? LONE_LF : '\n')));
const copiedAsStory = EditorView.clipboardOutputFilter.of((text) =>
  text.replace(/[\n\uFDD0]/g, (mark) => (mark === LONE_LF ? '\n' : '\r\n')));

// The editor's text for a story's, and the field that knows its lone CRs.
export function editorText(text) {
  if (text.includes(LONE_LF)) throw new Error('The story holds U+FDD0, a noncharacter the page keeps for its own marks.');
  const crs = [];
  let doc = '';
  let from = 0;
  for (const match of text.matchAll(/\r\n|\r|\n/g)) {
    doc += text.slice(from, match.index);
    if (match[0] === '\n') doc += LONE_LF;
    else {
      if (match[0] === '\r') crs.push(loneCr.range(doc.length));
      doc += '\n';
    }
    from = match.index + match[0].length;
  }
  doc += text.slice(from);
  return { doc, breaks: [loneCrs.init(() => RangeSet.of(crs)), keptInHistory, pastedAsStory, copiedAsStory] };
}

// The story's text between two of the editor's positions, its own breaks
// and lone LFs in place.
export function storyText(state, from = 0, to = state.doc.length) {
  const crs = new Set();
  state.field(loneCrs).between(from, to, (at) => { crs.add(at); });
  return state.sliceDoc(from, to).replace(/[\n\uFDD0]/g, (mark, at) => {
    if (mark === LONE_LF) return '\n';
    return crs.has(from + at) ? '\r' : '\r\n';
  });
}
