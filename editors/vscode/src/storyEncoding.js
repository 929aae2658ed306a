'use strict';
// The encoding the reader reads a story's bytes in: a byte-order mark
// decides; else bytes that are valid UTF-8 and hold a non-ASCII byte are
// UTF-8; else code page 932. Named as VS Code names encodings.

function validUtf8WithNonAscii(b) {
  let nonAscii = false;
  for (let i = 0; i < b.length; ) {
    const c = b[i];
    if (c < 0x80) { i++; continue; }
    nonAscii = true;
    const n = c >= 0xc2 && c <= 0xdf ? 1 : c >= 0xe0 && c <= 0xef ? 2 : c >= 0xf0 && c <= 0xf4 ? 3 : 0;
    if (n === 0) return false;
    const min = [0, 0x80, 0x800, 0x10000][n];
    let cp = c & (0x3f >> n);
    for (let k = 1; k <= n; k++) {
      const t = b[i + k];
      if (t === undefined || (t & 0xc0) !== 0x80) return false;
      cp = (cp << 6) | (t & 0x3f);
    }
    if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) return false;
    i += n + 1;
  }
  return nonAscii;
}

function readerEncoding(bytes) {
  const b = bytes;
  if (b.length >= 3 && b[0] === 0xef && b[1] === 0xbb && b[2] === 0xbf) return 'utf8bom';
  if (b.length >= 2 && b[0] === 0xff && b[1] === 0xfe) return 'utf16le';
  if (b.length >= 2 && b[0] === 0xfe && b[1] === 0xff) return 'utf16be';
  return validUtf8WithNonAscii(b) ? 'utf8' : 'shiftjis';
}

const DECODER_NAMES = { utf8: 'utf-8', utf8bom: 'utf-8', utf16le: 'utf-16le', utf16be: 'utf-16be', shiftjis: 'shift_jis' };

// The story's text as the reader reads it (the mark dropped).
function decodeStory(bytes, encoding = readerEncoding(bytes)) {
  return new TextDecoder(DECODER_NAMES[encoding]).decode(bytes);
}

// Every character code page 932 holds, found by decoding each of its codes.
let cp932 = null;
function cp932Characters() {
  if (cp932) return cp932;
  const decoder = new TextDecoder('shift_jis', { fatal: true });
  cp932 = new Set();
  const add = (codes) => {
    try {
      cp932.add(decoder.decode(Uint8Array.from(codes)));
    } catch {
      // not a character of the code page
    }
  };
  for (let c = 0; c < 0x80; c++) add([c]);
  for (let c = 0xa1; c <= 0xdf; c++) add([c]);
  for (let lead = 0x81; lead <= 0xfc; lead++) {
    if (lead > 0x9f && lead < 0xe0) continue;
    for (let trail = 0x40; trail <= 0xfc; trail++) if (trail !== 0x7f) add([lead, trail]);
  }
  return cp932;
}

// The first character of `text` that code page 932 cannot hold, with its
// 1-based line (as the editor counts), or null.
function firstUnwritable(text) {
  const held = cp932Characters();
  let line = 1;
  for (const ch of text) {
    if (ch === '\n') line++;
    else if (!held.has(ch)) return { character: ch, line };
  }
  return null;
}

module.exports = { readerEncoding, decodeStory, firstUnwritable };
