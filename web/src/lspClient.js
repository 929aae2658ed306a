// A small language client over the server's worker: requests with their
// answers, notifications both ways. The worker takes and gives message
// objects, unframed.
export class LspClient {
  constructor(worker) {
    this.worker = worker;
    this.nextId = 1;
    this.pending = new Map();
    this.handlers = new Map();
    worker.onmessage = ({ data }) => this.received(data);
  }

  // The session's start; the server's capabilities.
  async initialize() {
    const result = await this.request('initialize', {
      processId: null, rootUri: null, capabilities: { general: { positionEncodings: ['utf-16'] } },
    });
    this.notify('initialized', {});
    return result.capabilities;
  }

  request(method, params) {
    const id = this.nextId++;
    return new Promise((resolve, reject) => {
      this.pending.set(id, { resolve, reject });
      this.worker.postMessage({ jsonrpc: '2.0', id, method, params });
    });
  }

  notify(method, params) {
    this.worker.postMessage({ jsonrpc: '2.0', method, params });
  }

  on(method, handler) {
    this.handlers.set(method, handler);
  }

  received(message) {
    if (message.method === undefined) {
      const waiting = this.pending.get(message.id);
      if (!waiting) return;
      this.pending.delete(message.id);
      if (message.error) waiting.reject(new Error(message.error.message));
      else waiting.resolve(message.result);
    } else if (message.id !== undefined) {
      // A request of the server's own (configuration, progress): the page
      // has nothing to add.
      this.worker.postMessage({ jsonrpc: '2.0', id: message.id, result: null });
    } else {
      const handler = this.handlers.get(message.method);
      if (handler) handler(message.params);
    }
  }
}
