'use strict';
// The two ways of cutting a story into lines, worked out here on their own so
// that the server's answers are checked against something it did not compute:
// an editor breaks at CR LF, CR and LF; the reader only at CR LF and a lone CR,
// searching its text (every line followed by CR LF) for a line break followed
// by the target.

const fs = require('node:fs');

// [start, end) offsets of each editor line, without its line break.
function editorLines(text) {
  const lines = [];
  let start = 0;
  for (let i = 0; i < text.length; ++i) {
    if (text[i] === '\r' || text[i] === '\n') {
      lines.push({ start, end: i });
      if (text[i] === '\r' && text[i + 1] === '\n') ++i;
      start = i + 1;
    }
  }
  lines.push({ start, end: text.length });
  return lines;
}

const utf8Length = (s) => Buffer.byteLength(s, 'utf8');

// LSP position of a UTF-16 offset of `text`, in 'utf-16' or 'utf-8' units.
function positionAt(text, offset, encoding = 'utf-16') {
  const lines = editorLines(text);
  let line = lines.length - 1;
  while (line > 0 && lines[line].start > offset) --line;
  const before = text.slice(lines[line].start, offset);
  return { line, character: encoding === 'utf-8' ? utf8Length(before) : before.length };
}

function offsetAt(text, position, encoding = 'utf-16') {
  const lines = editorLines(text);
  const line = lines[Math.min(position.line, lines.length - 1)];
  if (encoding !== 'utf-8') return Math.min(line.start + position.character, line.end);
  let units = 0;
  let bytes = 0;
  const body = text.slice(line.start, line.end);
  while (units < body.length && bytes < position.character) {
    const cp = body.codePointAt(units);
    bytes += utf8Length(String.fromCodePoint(cp));
    units += cp > 0xffff ? 2 : 1;
  }
  return line.start + units;
}

// Range of the `occurrence`-th `needle` in `text` (an exception if absent,
// so a case that names text its story lacks fails loudly).
function findRange(text, needle, occurrence = 0, encoding = 'utf-16') {
  let at = -1;
  for (let n = 0; n <= occurrence; ++n) {
    at = text.indexOf(needle, at + 1);
    if (at < 0) throw new Error(`"${needle}" #${occurrence} is not in the story`);
  }
  return { start: positionAt(text, at, encoding), end: positionAt(text, at + needle.length, encoding) };
}

function textOfRange(text, range, encoding) {
  return text.slice(offsetAt(text, range.start, encoding), offsetAt(text, range.end, encoding));
}

// The reader's lines: offsets in `text` where each begins.
function readerLineStarts(text) {
  const starts = [0];
  for (let i = 0; i < text.length; ++i) {
    if (text[i] !== '\r') continue;
    if (text[i + 1] === '\n') ++i;
    if (i + 1 < text.length) starts.push(i + 1);
  }
  return starts;
}

function readerLines(text) {
  const starts = readerLineStarts(text);
  return starts.map((start, n) => {
    let end = n + 1 < starts.length ? starts[n + 1] : text.length;
    if (text[end - 1] === '\n' && text[end - 2] === '\r') end -= 2;
    else if (text[end - 1] === '\r') end -= 1;
    return text.slice(start, end);
  });
}

// Where a jump or a choice to `target` lands: the editor position of the
// start of the reader line after the first line break followed by `target`,
// or null when the reader finds no such line.
function landing(text, target, encoding) {
  const starts = readerLineStarts(text);
  const story = readerLines(text).map((line) => line + '\r\n').join('');
  const at = story.indexOf('\r\n' + target);
  if (at < 0) return null;
  const line = story.slice(0, at + 2).split('\r\n').length - 1;
  return positionAt(text, starts[line], encoding);
}

// Applies LSP text edits (positions in the text before any of them).
function applyEdits(text, edits, encoding) {
  const spans = edits.map((e) => ({
    from: offsetAt(text, e.range.start, encoding),
    to: offsetAt(text, e.range.end, encoding),
    newText: e.newText,
  }));
  spans.sort((a, b) => b.from - a.from || b.to - a.to);
  for (const s of spans) text = text.slice(0, s.from) + s.newText + text.slice(s.to);
  return text;
}

// The edits of a WorkspaceEdit for one document, in either of its shapes.
function editsFor(workspaceEdit, uri) {
  if (!workspaceEdit) return [];
  if (workspaceEdit.changes) return workspaceEdit.changes[uri] || [];
  return (workspaceEdit.documentChanges || [])
    .filter((change) => change.textDocument && change.textDocument.uri === uri)
    .flatMap((change) => change.edits);
}

// A story file as an editor opens it: UTF-8, or else the Shift-JIS the
// reader was built for.
function readStoryFile(path) {
  const bytes = fs.readFileSync(path);
  try {
    return new TextDecoder('utf-8', { fatal: true }).decode(bytes);
  } catch {
    return new TextDecoder('shift_jis').decode(bytes);
  }
}

// "text with a | cursor": the text without the bar, and the bar's position.
function cursorIn(marked, encoding) {
  const at = marked.indexOf('|');
  const text = marked.slice(0, at) + marked.slice(at + 1);
  return { text, position: positionAt(text, at, encoding) };
}

module.exports = {
  editorLines, positionAt, findRange, textOfRange, readerLineStarts,
  landing, applyEdits, editsFor, readStoryFile, cursorIn,
};
