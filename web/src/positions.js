// CodeMirror's positions and the protocol's. The protocol counts lines as
// editors do, breaking at a lone LF too, which the editor here keeps inside
// its line as LONE_LF; the two are matched by offset.
import { LONE_LF } from './lineBreaks';

const cache = new WeakMap();

// Where each of the protocol's lines starts, for a CodeMirror Text.
export function lineStarts(doc) {
  let starts = cache.get(doc);
  if (starts) return starts;
  starts = [0];
  let offset = 0;
  for (const iter = doc.iterLines(); !iter.next().done;) {
    const line = iter.value;
    for (let at = line.indexOf(LONE_LF); at >= 0; at = line.indexOf(LONE_LF, at + 1)) starts.push(offset + at + 1);
    // CodeMirror counts a break as one position, CR LF or lone CR.
    offset += line.length + 1;
    starts.push(offset);
  }
  starts.pop();
  cache.set(doc, starts);
  return starts;
}

export function toPosition(doc, offset) {
  const starts = lineStarts(doc);
  let low = 0;
  let high = starts.length - 1;
  while (low < high) {
    const middle = (low + high + 1) >> 1;
    if (starts[middle] <= offset) low = middle;
    else high = middle - 1;
  }
  return { line: low, character: offset - starts[low] };
}

export function toOffset(doc, position) {
  const starts = lineStarts(doc);
  const line = Math.min(Math.max(position.line, 0), starts.length - 1);
  return Math.min(starts[line] + Math.max(position.character, 0), doc.length);
}
