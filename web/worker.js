// SPDX-License-Identifier: GPL-3.0-or-later
// The core runs here, so Argon2id's half second and 256 MiB never hold up the
// page. One window's state lives in `window`, as the desktop keeps it between clicks.
let core = null;
let window = null;
const started = VeltrinCore().then((module) => {
  core = module;
  window = new core.Window();
});

const operations = {
  encrypt: (text, password, draws) => window.encrypt(text, password, draws),
  seal: (text, password) => window.seal(text, password),
  decrypt: (width, height, rgb, password, lossy) =>
    window.decrypt(width, height, rgb, password, lossy),
  kindOf: (width, height, rgb) => core.kindOf(width, height, rgb),
  bmpFile: (width, height, rgb) => core.bmpFile(width, height, rgb),
};

self.onmessage = async (event) => {
  const { id, op, args } = event.data;
  try {
    await started;
    const begin = performance.now();
    const result = operations[op](...args);
    self.postMessage({ id, result, ms: performance.now() - begin });
  } catch (error) {
    // An abort (memory the browser would not give) leaves the module unusable;
    // the page starts another worker.
    self.postMessage({ id, failed: String(error && error.message ? error.message : error) });
  }
};
