// The page's worker, run under Node: the very script the page starts as its
// Web Worker (the compiled core followed by worker.js, as kerfwright.html
// holds it), in a context of its own that offers what a worker has. The
// page's requests go in as messages and its replies come back, so that a
// test reads and saves projects through the page's own core calls without a
// browser.
import { readFileSync } from 'node:fs';
import { webcrypto } from 'node:crypto';
import vm from 'node:vm';

// The worker's script, taken out of the page.
function workerSourceOf(pagePath) {
  const page = readFileSync(pagePath, 'utf8');
  const start = page.indexOf('<script type="text/plain" id="workerSource">');
  const end = page.indexOf('</script>', start);
  if (start < 0 || end < 0) throw new Error(`${pagePath} holds no worker script`);
  return page.slice(page.indexOf('>', start) + 1, end);
}

export class PageWorker {
  constructor(pagePath) {
    this.nextId = 0;
    this.waiting = new Map();
    const worker = {
      postMessage: ({ id, reply }) => {
        if (reply === undefined) return;  // progress, which the tests do not read
        // Cloned as a worker's message is: the reply leaves the worker's realm.
        this.waiting.get(id)?.(structuredClone(reply));
        this.waiting.delete(id);
      },
      location: { href: 'blob:null/worker' },
    };
    this.context = vm.createContext({
      self: worker,
      location: worker.location,
      importScripts: () => {},
      console,
      atob,
      crypto: webcrypto,
      performance,
      TextDecoder,
      setTimeout,
      clearTimeout,
    });
    vm.runInContext(workerSourceOf(pagePath), this.context, { filename: 'worker.js' });
  }

  // A request as the page sends it; its reply, with written files' bytes as Buffers.
  request(kind, fields = {}) {
    const id = ++this.nextId;
    const replied = new Promise((resolve) => this.waiting.set(id, resolve));
    this.context.self.onmessage({ data: { id, kind, ...fields } });
    return replied.then((reply) => (reply.files
      ? { ...reply, files: reply.files.map(({ name, bytes }) => ({ name, bytes: Buffer.from(bytes) })) }
      : reply));
  }
}

// A file as the page gets it from a drop or its chooser.
export function pageFile(name, bytes) {
  const file = new Blob([bytes]);
  return Object.assign(file, { name });
}
