// SPDX-License-Identifier: GPL-3.0-or-later
// The core runs here, so Argon2id's half second and 256 MiB never hold up the
// page. The window's state between clicks lives in `desk`: not `window`, which
// libsodium reads for the browser's random source.
let core = null;
let desk = null;
const started = VeltrinCore().then((module) => {
  core = module;
  desk = new core.Window();
});

const operations = {
  encrypt: (text, password, draws) => desk.encrypt(text, password, draws),
  seal: (text, password) => desk.seal(text, password),
  robust: (text, password) => desk.robust(text, password),
  sealRobust: (text, password) => desk.sealRobust(text, password),
  decrypt: (width, height, rgb, password, lossy) =>
    desk.decrypt(width, height, rgb, password, lossy),
  kindOf: (width, height, rgb) => core.kindOf(width, height, rgb),
  bmpFile: (width, height, rgb) => core.bmpFile(width, height, rgb),
};

// Code unit by code unit, a byte-order mark and a lone surrogate too.
function textOf(units) {
  let text = "";
  for (let at = 0; at < units.length; at += 8192)
    text += String.fromCharCode.apply(null, units.subarray(at, at + 8192));
  return text;
}

self.onmessage = async (event) => {
  const { id, op, args } = event.data;
  try {
    await started;
    const begin = performance.now();
    const result = operations[op](...args);
    if (result && result.text instanceof Uint16Array) result.text = textOf(result.text);
    self.postMessage({ id, result, ms: performance.now() - begin });
  } catch (error) {
    // An abort (memory the browser would not give) leaves the module unusable;
    // the page starts another worker.
    self.postMessage({ id, failed: String(error && error.message ? error.message : error) });
  }
};
