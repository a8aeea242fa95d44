// Drives Debian's headless Chromium over the DevTools pipe (file descriptors
// 3 and 4), with nothing from npm: open a page, evaluate in it, watch its
// console and its requests.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');

async function launch(browser) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'chromium-pipe-'));
  const child = spawn(browser, ['--headless', '--no-sandbox', '--disable-gpu',
    '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-background-networking',
    '--disable-component-update', '--no-first-run', '--disable-sync', '--disable-quic',
    `--user-data-dir=${profile}`, '--remote-debugging-pipe', 'about:blank'],
  { stdio: ['ignore', 'ignore', 'ignore', 'pipe', 'pipe'] });
  const [toBrowser, fromBrowser] = [child.stdio[3], child.stdio[4]];
  const pending = new Map();
  const listeners = [];
  let nextId = 1;
  let buffered = '';
  fromBrowser.on('data', (chunk) => {
    buffered += chunk.toString('utf8');
    let end;
    while ((end = buffered.indexOf('\0')) >= 0) {
      const message = JSON.parse(buffered.slice(0, end));
      buffered = buffered.slice(end + 1);
      if (message.id && pending.has(message.id)) {
        const { resolve, reject } = pending.get(message.id);
        pending.delete(message.id);
        if (message.error) reject(new Error(message.error.message));
        else resolve(message.result);
      } else if (message.method) {
        for (const listener of listeners) listener(message);
      }
    }
  });
  const send = (method, params = {}, sessionId = undefined) => new Promise((resolve, reject) => {
    const id = nextId++;
    pending.set(id, { resolve, reject });
    toBrowser.write(JSON.stringify({ id, method, params, sessionId }) + '\0');
  });
  const exited = new Promise((resolve) => child.on('exit', resolve));
  const close = async () => {
    send('Browser.close').catch(() => child.kill());
    await exited;
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return { send, on: (listener) => listeners.push(listener), close };
}

// A tab at `url`, with its console, exceptions and requests recorded.
async function openPage(browser, url) {
  const { targetId } = await browser.send('Target.createTarget', { url: 'about:blank' });
  const { sessionId } = await browser.send('Target.attachToTarget', { targetId, flatten: true });
  const page = { console: [], requests: [], sessionId };
  const sessions = new Set([sessionId]);
  browser.on((message) => {
    if (!sessions.has(message.sessionId)) return;
    if (message.method === 'Target.attachedToTarget') {
      const worker = message.params.sessionId;
      sessions.add(worker);
      for (const domain of ['Runtime', 'Network']) browser.send(`${domain}.enable`, {}, worker).catch(() => {});
    } else if (message.method === 'Runtime.consoleAPICalled') {
      page.console.push(message.params.args.map((arg) => arg.value ?? arg.description).join(' '));
    } else if (message.method === 'Runtime.exceptionThrown') {
      page.console.push('exception: ' + message.params.exceptionDetails.exception?.description);
    } else if (message.method === 'Log.entryAdded' && message.params.entry.level === 'error') {
      // The browser's own notes (a GPU stall while a test reads pixels) are warnings.
      page.console.push(`${message.params.entry.level}: ${message.params.entry.text}`);
    } else if (message.method === 'Network.requestWillBeSent') {
      page.requests.push(message.params.request.url);
    }
  });
  // Workers are attached too, so that their console and requests count.
  await browser.send('Target.setAutoAttach',
    { autoAttach: true, waitForDebuggerOnStart: false, flatten: true }, sessionId);
  for (const domain of ['Runtime', 'Log', 'Network', 'Page']) await browser.send(`${domain}.enable`, {}, sessionId);
  page.evaluate = async (expression) => {
    const result = await browser.send('Runtime.evaluate',
      { expression, awaitPromise: true, returnByValue: true }, sessionId);
    if (result.exceptionDetails) throw new Error(result.exceptionDetails.exception?.description);
    return result.result.value;
  };
  // Waits until `expression` is truthy in the page; its value, or null after `seconds`.
  page.waitFor = async (expression, seconds = 60) => {
    const giveUp = Date.now() + seconds * 1000;
    while (Date.now() < giveUp) {
      const value = await page.evaluate(expression).catch(() => null);
      if (value) return value;
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    return null;
  };
  await browser.send('Page.navigate', { url }, sessionId);
  return page;
}

module.exports = { launch, openPage };
