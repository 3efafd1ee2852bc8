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

// Texts cross into the module and back as their UTF-16 code units: embind's
// own conversion goes through TextDecoder, which drops a leading U+FEFF. In,
// the units are written straight into the module's memory.
function handIn(text) {
  const units = desk.textBuffer(text.length);
  for (let i = 0; i < text.length; ++i) units[i] = text.charCodeAt(i);
}
const utf16 = new TextDecoder("utf-16le", { ignoreBOM: true, fatal: true });
function textOf(units) {
  try {
    return utf16.decode(units);
  } catch {
    // A lone surrogate, which the decoder would not keep.
    let text = "";
    for (let at = 0; at < units.length; at += 8192)
      text += String.fromCharCode.apply(null, units.subarray(at, at + 8192));
    return text;
  }
}
function withText(result) {
  if (result && result.text instanceof Uint16Array) result.text = textOf(result.text);
  return result;
}

const operations = {
  encrypt: (text, password, draws) => (handIn(text), desk.encrypt(password, draws)),
  seal: (text, password) => (handIn(text), desk.seal(password)),
  robust: (text, password) => (handIn(text), desk.robust(password)),
  sealRobust: (text, password) => (handIn(text), desk.sealRobust(password)),
  decrypt: (width, height, rgb, password, lossy) =>
    withText(desk.decrypt(width, height, rgb, password, lossy)),
  kindOf: (width, height, rgb) => core.kindOf(width, height, rgb),
  bmpFile: (width, height, rgb) => core.bmpFile(width, height, rgb),
  // The page's benchmark: batches of calls as the buttons make them, copies in
  // and out included, so the worker's coarse clock still resolves one call.
  // The median of the batches' times per call, in milliseconds.
  bench: async (name, text, password, calls = 100, batches = 9) => {
    const made = operations.encrypt(text, password, [0.3, 0.6]);
    const calls_ = {
      encrypt: () => operations.encrypt(text, password, [0.3, 0.6]),
      decrypt: () => operations.decrypt(made.width, made.height, made.rgb, password, ""),
    };
    // A batch first that is not counted: engines compile the module's hot
    // functions again, optimised, once they have run a while, on threads of
    // their own (WebKit's one), which a busy machine may keep waiting. The
    // pause lets that finish, as a person's second click comes a moment later.
    for (let i = 0; i < calls; ++i) calls_[name]();
    await new Promise((resolve) => setTimeout(resolve, 1000));
    const times = [];
    for (let b = 0; b < batches; ++b) {
      const begin = performance.now();
      for (let i = 0; i < calls; ++i) calls_[name]();
      times.push((performance.now() - begin) / calls);
    }
    if (operations.decrypt(made.width, made.height, made.rgb, password, "").text !== text)
      throw new Error("the benchmark's picture did not decrypt to its text");
    return times.sort((a, b) => a - b)[batches >> 1];
  },
};

self.onmessage = async (event) => {
  const { id, op, args } = event.data;
  try {
    await started;
    const begin = performance.now();
    const result = await operations[op](...args);
    const ms = performance.now() - begin;
    // The picture's pixels move to the page rather than being copied there.
    self.postMessage({ id, result, ms }, result && result.rgb instanceof Uint8Array ? [result.rgb.buffer] : []);
  } catch (error) {
    // An abort (memory the browser would not give) leaves the module unusable;
    // the page starts another worker.
    self.postMessage({ id, failed: String(error && error.message ? error.message : error) });
  }
};
