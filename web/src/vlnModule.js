// vln.wasm, carried inside the page's script so that the page works opened
// from disk, where nothing may be fetched.
import { WASI, OpenFile, File, ConsoleStdout } from '@bjorn3/browser_wasi_shim';

export function wasmBytes() {
  const text = atob(VELNORI_WASM);
  const bytes = new Uint8Array(text.length);
  for (let i = 0; i < text.length; i++) bytes[i] = text.charCodeAt(i);
  return bytes;
}

// The server in its worker, started from the worker's own source.
export function startServer() {
  const url = URL.createObjectURL(new Blob([VELNORI_WORKER], { type: 'text/javascript' }));
  const worker = new Worker(url);
  const bytes = wasmBytes();
  worker.postMessage({ velnoriWasm: bytes }, [bytes.buffer]);
  return worker;
}

// A second instance on the page's own thread for the story file's bytes
// (StoryBytesPush.cpp): the server's worker answers only the protocol.
export async function storyBytes() {
  const wasi = new WASI(['vln'], [], [
    new OpenFile(new File([])),
    ConsoleStdout.lineBuffered((line) => console.log(`vln: ${line}`)),
    ConsoleStdout.lineBuffered((line) => console.warn(`vln: ${line}`)),
  ]);
  const { instance } = await WebAssembly.instantiate(wasmBytes(), { wasi_snapshot_preview1: wasi.wasiImport });
  wasi.inst = instance;
  // The constructors, once, as the server's worker runs them too.
  instance.exports.vln_lsp_start();
  const vln = instance.exports;

  const put = (array) => {
    const at = vln.vln_alloc(array.byteLength);
    new Uint8Array(vln.memory.buffer, at, array.byteLength).set(new Uint8Array(array.buffer, array.byteOffset, array.byteLength));
    return at;
  };
  const take = (block, read) => {
    const words = new Uint32Array(vln.memory.buffer, block, 2);
    const answer = read(words[0], words[1], block + 8);
    vln.vln_free(block);
    return answer;
  };
  return {
    // The text, and the encoding as the reader judged it.
    decode(bytes) {
      return take(vln.vln_decode(put(bytes), bytes.length), (count, encoding, at) => ({
        text: unitsToString(new Uint16Array(vln.memory.buffer, at, count)),
        encoding: ENCODINGS[encoding],
      }));
    },
    // The bytes in code page 932, or the index of the first unit it has no
    // code for.
    encodeCp932(text) {
      const units = new Uint16Array(text.length);
      for (let i = 0; i < text.length; i++) units[i] = text.charCodeAt(i);
      return take(vln.vln_encode_cp932(put(units), units.length), (missing, size, at) => ({
        missing: missing === 0xffffffff ? -1 : missing,
        bytes: new Uint8Array(vln.memory.buffer, at, size).slice(),
      }));
    },
  };
}

// As StoryEncoding counts them.
const ENCODINGS = ['utf-8', 'utf-16le', 'utf-16be', 'shift-jis'];

function unitsToString(units) {
  let text = '';
  for (let i = 0; i < units.length; i += 8192) text += String.fromCharCode.apply(null, units.subarray(i, i + 8192));
  return text;
}
