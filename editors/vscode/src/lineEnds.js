'use strict';
// VS Code splits a document at CR, LF and CR LF alike and, when it opens a
// file, rewrites every line break to the one most of them are (CR LF when
// more than half hold a CR). The reader ends a line only at CR LF or a lone
// CR; a lone LF stays inside the line. Where the two disagree, saving the
// opened story changes how it reads, so the author is told before typing.

// The units of the story as the reader decodes its bytes, as far as line
// breaks go: CR and LF are single bytes in UTF-8 and code page 932 (never a
// second byte of a pair there), and 16-bit units after a UTF-16 mark.
function storyUnits(bytes) {
  const b = bytes;
  if (b.length >= 2 && ((b[0] === 0xff && b[1] === 0xfe) || (b[0] === 0xfe && b[1] === 0xff))) {
    const little = b[0] === 0xff;
    const units = new Uint16Array((b.length - 2) >> 1);
    for (let i = 0; i < units.length; i++) {
      const lo = b[2 + 2 * i + (little ? 0 : 1)];
      const hi = b[2 + 2 * i + (little ? 1 : 0)];
      units[i] = (hi << 8) | lo;
    }
    return units;
  }
  return b;
}

const CR = 0x0d;
const LF = 0x0a;

// Where the line breaks are and which kind each is, with the editor's line
// number (1-based) of the line each ends.
function lineBreaks(units) {
  const breaks = [];
  let line = 1;
  for (let i = 0; i < units.length; i++) {
    if (units[i] === CR && units[i + 1] === LF) {
      breaks.push({ kind: 'crlf', line });
      i++;
    } else if (units[i] === CR) {
      breaks.push({ kind: 'cr', line });
    } else if (units[i] === LF) {
      breaks.push({ kind: 'lf', line });
    } else {
      continue;
    }
    line++;
  }
  return breaks;
}

// The line break VS Code gives the whole document on opening, or null when
// the file has none (then nothing is rewritten).
function editorLineBreak(breaks) {
  if (breaks.length === 0) return null;
  const withCr = breaks.filter((b) => b.kind !== 'lf').length;
  return withCr > breaks.length / 2 ? 'crlf' : 'lf';
}

// What the reader would read differently once VS Code has rewritten the line
// breaks: null when nothing, else { eol, lines, message } where `lines` are
// the editor's line numbers at whose end the reading changes.
function lineEndWarning(bytes, fileName) {
  const breaks = lineBreaks(storyUnits(bytes));
  const eol = editorLineBreak(breaks);
  if (eol === null) return null;
  // To CR LF, a lone CR reads as before; a lone LF becomes a line break.
  // To LF, every CR (lone or in CR LF) stops ending a line for the reader.
  const changed = breaks.filter((b) => (eol === 'crlf' ? b.kind === 'lf' : b.kind !== 'lf'));
  if (changed.length === 0) return null;
  const lines = changed.map((b) => b.line);
  const shown = lines.slice(0, 5).join(', ') + (lines.length > 5 ? ', …' : '');
  const message =
    eol === 'crlf'
      ? `${fileName}: ${lines.length} lone LF line break(s) (end of line ${shown}) lie inside one story line for the reader; VS Code shows them as line breaks and saving writes CR LF there, which splits those lines.`
      : `${fileName}: VS Code turns every line break into LF, mostly LF here; the reader ends lines only at CR or CR LF (end of line ${shown}), so once saved the story reads as one line. Change the line ends to CRLF (status bar) before saving.`;
  return { eol, lines, message };
}

// The editor lines (1-based) that `vln check` reports as `lone-line-feed`:
// the line of the first lone LF in each of the reader's lines.
function loneLineFeedLines(bytes) {
  const lines = [];
  let reported = false;
  for (const b of lineBreaks(storyUnits(bytes))) {
    if (b.kind !== 'lf') {
      reported = false;
    } else if (!reported) {
      lines.push(b.line);
      reported = true;
    }
  }
  return lines;
}

module.exports = { storyUnits, lineBreaks, editorLineBreak, lineEndWarning, loneLineFeedLines };
