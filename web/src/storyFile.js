// A story file's bytes: read by vln.wasm's decoder, written back in the
// encoding they came in.

// What an open file was: its name, its encoding, and whether a UTF-8 file
// began with the byte order mark (the decoder drops it).
export function fileKind(name, bytes, encoding) {
  const mark = encoding === 'utf-8' && bytes[0] === 0xef && bytes[1] === 0xbb && bytes[2] === 0xbf;
  return { name, encoding, mark: mark || encoding.startsWith('utf-16') };
}

// The bytes of `text` in the file's encoding, or { missing } with the index
// of the first character code page 932 cannot hold.
export function encodeStory(text, kind, bytesModule) {
  if (kind.encoding === 'shift-jis') {
    const { missing, bytes } = bytesModule.encodeCp932(text);
    return missing >= 0 ? { missing } : { bytes };
  }
  if (kind.encoding === 'utf-8') {
    const body = new TextEncoder().encode(text);
    if (!kind.mark) return { bytes: body };
    const bytes = new Uint8Array(body.length + 3);
    bytes.set([0xef, 0xbb, 0xbf]);
    bytes.set(body, 3);
    return { bytes };
  }
  const bigEndian = kind.encoding === 'utf-16be';
  const bytes = new Uint8Array(2 + text.length * 2);
  const view = new DataView(bytes.buffer);
  view.setUint16(0, 0xfeff, !bigEndian);
  for (let i = 0; i < text.length; i++) view.setUint16(2 + i * 2, text.charCodeAt(i), !bigEndian);
  return { bytes };
}

// The character at `index`, whole when it is a surrogate pair.
export function characterAt(text, index) {
  return String.fromCodePoint(text.codePointAt(index));
}
