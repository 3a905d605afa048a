// Headless Chromium driven over the DevTools protocol on a pipe (file
// descriptors 3 and 4, messages ended by NUL), with nothing but Node.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export class Chromium {
  constructor(executable) {
    this.profile = mkdtempSync(join(tmpdir(), 'kerfwright-chromium-'));
    // The machines that test run as root, where Chromium's sandbox cannot start.
    this.process = spawn(executable, [
      '--headless=new', '--no-sandbox', '--remote-debugging-pipe', '--disable-gpu', '--no-first-run',
      '--no-default-browser-check', '--allow-file-access-from-files', `--user-data-dir=${this.profile}`,
      'about:blank',
    // A process group of its own, so that its helpers can go with it.
    ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'], detached: true });
    this.log = '';
    this.process.stderr.on('data', (chunk) => { this.log = (this.log + chunk).slice(-20000); });
    this.nextId = 0;
    this.waiting = new Map();
    this.listeners = new Set();
    let buffered = '';
    this.process.stdio[4].on('data', (chunk) => {
      buffered += chunk;
      let end;
      while ((end = buffered.indexOf('\0')) >= 0) {
        this.receive(JSON.parse(buffered.slice(0, end)));
        buffered = buffered.slice(end + 1);
      }
    });
  }

  receive(message) {
    if (message.id === undefined) {
      for (const listener of this.listeners) listener(message);
      return;
    }
    const waiting = this.waiting.get(message.id);
    this.waiting.delete(message.id);
    if (message.error) waiting.reject(new Error(`${waiting.method}: ${message.error.message}`));
    else waiting.resolve(message.result);
  }

  send(method, params = {}, sessionId = undefined) {
    const id = ++this.nextId;
    this.process.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + '\0');
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject, method }));
  }

  // The next event `method` of the session for which `accept` holds.
  event(method, sessionId, accept = () => true, timeout = 60000) {
    return new Promise((resolve, reject) => {
      const timer = setTimeout(() => {
        this.listeners.delete(listener);
        reject(new Error(`No ${method} within ${timeout} ms`));
      }, timeout);
      const listener = (message) => {
        if (message.method !== method || message.sessionId !== sessionId || !accept(message.params)) return;
        clearTimeout(timer);
        this.listeners.delete(listener);
        resolve(message.params);
      };
      this.listeners.add(listener);
    });
  }

  async newPage() {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    return new Tab(this, sessionId);
  }

  // Chromium is asked to close, so that it has written its profile when it
  // is gone; the helpers it leaves go with its process group, and only then
  // is the profile removed, as nothing writes to it any more.
  async close() {
    if (this.process.exitCode === null && this.process.signalCode === null) {
      const exited = new Promise((resolve) => this.process.once('exit', resolve));
      this.send('Browser.close').catch(() => {});
      const stuck = setTimeout(() => this.process.kill('SIGKILL'), 10000);
      await exited;
      clearTimeout(stuck);
    }
    try {
      process.kill(-this.process.pid, 'SIGKILL');
    } catch {
      // The group has gone already.
    }
    rmSync(this.profile, { recursive: true, force: true, maxRetries: 20, retryDelay: 100 });
  }
}

export class Tab {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    // What the page and its worker printed or threw, for the message of a failure.
    this.console = [];
    browser.listeners.add((message) => {
      if (message.sessionId !== sessionId && message.method !== 'Target.attachedToTarget') return;
      const said = (text) => this.console.push(String(text).slice(0, 400));
      if (message.method === 'Runtime.consoleAPICalled') {
        said(message.params.args.map((arg) => arg.value ?? arg.description).join(' '));
      } else if (message.method === 'Runtime.exceptionThrown') {
        said(message.params.exceptionDetails.exception?.description ?? message.params.exceptionDetails.text);
      } else if (message.method === 'Log.entryAdded') {
        said(message.params.entry.text);
      }
    });
  }

  send(method, params = {}) {
    return this.browser.send(method, params, this.sessionId);
  }

  event(method, accept, timeout) {
    return this.browser.event(method, this.sessionId, accept, timeout);
  }

  async open(url) {
    await this.send('Page.enable');
    await this.send('Runtime.enable');
    await this.send('Log.enable');
    const loaded = this.event('Page.loadEventFired');
    await this.send('Page.navigate', { url });
    await loaded;
  }

  // The value of a JavaScript expression in the page, promises awaited, as
  // though the user had just clicked.
  async evaluate(expression) {
    const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
      expression, awaitPromise: true, returnByValue: true, userGesture: true,
    });
    if (exceptionDetails) throw new Error(`${expression}: ${exceptionDetails.exception?.description}`);
    return result.value;
  }

  async waitFor(expression, timeout = 30000) {
    const until = Date.now() + timeout;
    for (;;) {
      const value = await this.evaluate(expression);
      if (value) return value;
      if (Date.now() > until) {
        throw new Error(`Still not true after ${timeout} ms: ${expression}\nThe page said:\n${this.console.join('\n')}`);
      }
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
  }
}
