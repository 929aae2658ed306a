'use strict';
// Cuts the server's framed output ("Content-Length: N", an empty line, N
// bytes of JSON) back into messages, however the bytes arrive.
class FrameReader {
  constructor(deliver) {
    this.deliver = deliver;
    this.pending = new Uint8Array(0);
    this.decoder = new TextDecoder();
  }

  add(bytes) {
    const joined = new Uint8Array(this.pending.length + bytes.length);
    joined.set(this.pending);
    joined.set(bytes, this.pending.length);
    this.pending = joined;
    for (;;) {
      const end = headerEnd(this.pending);
      if (end < 0) return;
      const header = this.decoder.decode(this.pending.subarray(0, end));
      const length = Number((/Content-Length:\s*(\d+)/i.exec(header) || [])[1]);
      const start = end + 4;
      if (this.pending.length < start + length) return;
      const body = this.decoder.decode(this.pending.subarray(start, start + length));
      this.pending = this.pending.slice(start + length);
      this.deliver(JSON.parse(body));
    }
  }
}

// Where CR LF CR LF begins, or -1.
function headerEnd(bytes) {
  for (let i = 0; i + 3 < bytes.length; i++) {
    if (bytes[i] === 13 && bytes[i + 1] === 10 && bytes[i + 2] === 13 && bytes[i + 3] === 10) return i;
  }
  return -1;
}

module.exports = { FrameReader };
