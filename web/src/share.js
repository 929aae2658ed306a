// A story in a link's fragment, which browsers never send to a server:
// its UTF-16 units and its encoding, deflated.
import { deflateSync, inflateSync } from 'fflate';

// What browsers are known to keep of a link.
export const SAFE_LINK_LENGTH = 32 * 1024;

export function storyLink(base, text, encoding) {
  const units = new Uint8Array(text.length * 2);
  const view = new DataView(units.buffer);
  for (let i = 0; i < text.length; i++) view.setUint16(i * 2, text.charCodeAt(i), true);
  const packed = deflateSync(units, { level: 9 });
  let binary = '';
  for (let i = 0; i < packed.length; i += 8192) binary += String.fromCharCode.apply(null, packed.subarray(i, i + 8192));
  const data = btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
  return `${base}#story=${encodeURIComponent(encoding)}.${data}`;
}

// The story a link's fragment holds, or null.
export function storyFromFragment(fragment) {
  const m = /^#story=([^.]+)\.([\w-]+)$/.exec(fragment);
  if (!m) return null;
  const binary = atob(m[2].replace(/-/g, '+').replace(/_/g, '/'));
  const packed = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; i++) packed[i] = binary.charCodeAt(i);
  const units = inflateSync(packed);
  const view = new DataView(units.buffer, units.byteOffset, units.byteLength);
  let text = '';
  const chunk = [];
  for (let i = 0; i + 1 < units.length; i += 2) {
    chunk.push(view.getUint16(i, true));
    if (chunk.length === 8192) {
      text += String.fromCharCode.apply(null, chunk);
      chunk.length = 0;
    }
  }
  text += String.fromCharCode.apply(null, chunk);
  return { text, encoding: decodeURIComponent(m[1]) };
}
