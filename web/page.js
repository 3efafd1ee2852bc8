// SPDX-License-Identifier: GPL-3.0-or-later
"use strict";
(() => {
  const longestText = 12000;
  const largestFile = 128 * 1024 * 1024; // Qt's image allocation limit, the desktop's bound
  const $ = (id) => document.getElementById(id);

  // --- the worker that holds the core -------------------------------------
  const workerSource = new Blob(
    // No fetch in the worker: the module is inside it, and nothing else is reached.
    ["const fetch = undefined;\n", $("veltrin-core").textContent, "\n", $("veltrin-worker").textContent],
    { type: "text/javascript" });
  const workerUrl = URL.createObjectURL(workerSource);
  let worker = null;
  let nextId = 0;
  const pending = new Map();
  function startWorker() {
    if (worker) worker.terminate();
    worker = new Worker(workerUrl);
    worker.onmessage = (event) => {
      const reply = event.data;
      if (reply.failed !== undefined) {
        failAll(reply.failed);
        return;
      }
      const done = pending.get(reply.id);
      pending.delete(reply.id);
      if (done) done.resolve(reply);
    };
    worker.onerror = (event) => {
      event.preventDefault();
      failAll(event.message);
    };
  }
  // A failed module is gone with every request still queued in it: each is
  // rejected with the failure, and the next one goes to a new worker.
  function failAll(reason) {
    const waiting = [...pending.values()];
    pending.clear();
    startWorker();
    for (const done of waiting) done.reject(new Error(reason));
  }
  startWorker();
  function call(op, ...args) {
    return new Promise((resolve, reject) => {
      const id = ++nextId;
      pending.set(id, { resolve, reject });
      worker.postMessage({ id, op, args });
    });
  }

  // --- messages -----------------------------------------------------------
  function show(text, info = false) {
    $("message-text").textContent = text;
    $("message").classList.toggle("info", info);
    $("message").hidden = false;
  }
  $("message-ok").onclick = () => { $("message").hidden = true; };
  // A dead worker has no words left: the page's own sentences are put in by
  // its build, from the core's catalogue.
  const messages = @MESSAGES@;
  const say = (name, values = {}) =>
    messages[name].replace(/\{(\w+)\}/g, (whole, key) => (key in values ? String(values[key]) : whole));
  const keyMemoryMiB = 256; // the protected picture's Argon2id memory
  const strongLength = 8; // a shorter password is weak, as the window judges without zxcvbn
  const outOfMemory = say("pageOutOfMemory", { mib: keyMemoryMiB });

  async function busyWhile(work, controls) {
    $("busy").hidden = false;
    for (const c of controls) c.disabled = true;
    try {
      return await work();
    } finally {
      for (const c of controls) c.disabled = false;
      $("busy").hidden = true;
    }
  }

  // Each finished click is counted, so that a test knows when one that shows nothing is over.
  let clicks = 0;
  const finished = () => { document.body.dataset.finished = String(++clicks); };

  // --- pages --------------------------------------------------------------
  function choosePage(encrypt) {
    $("encrypt").hidden = !encrypt;
    $("decrypt").hidden = encrypt;
    $("tab-encrypt").setAttribute("aria-selected", String(encrypt));
    $("tab-decrypt").setAttribute("aria-selected", String(!encrypt));
    $("message").hidden = true;
  }
  $("tab-encrypt").onclick = () => choosePage(true);
  $("tab-decrypt").onclick = () => choosePage(false);

  // --- Text1: every line break counts as the CR LF it becomes ---------------
  const lineBreak = /[\n\r\u2028\u2029\uFDD0\uFDD1]/g;
  const counted = (text) => text.length + (text.match(lineBreak) || []).length;
  const segmenter = new Intl.Segmenter("zh", { granularity: "grapheme" });
  let text1Kept = "";
  const counterCaption = $("counter").textContent.replace(/\d+\/\d+$/, "");
  function text1Changed() {
    const box = $("text1");
    let value = box.value;
    if (counted(value) > longestText) {
      // What was added is kept while it fits, cut only between grapheme clusters.
      let head = 0;
      while (head < value.length && head < text1Kept.length && value[head] === text1Kept[head]) ++head;
      let tail = 0;
      while (tail < value.length - head && tail < text1Kept.length - head &&
             value[value.length - 1 - tail] === text1Kept[text1Kept.length - 1 - tail]) ++tail;
      const before = value.slice(0, head);
      const after = value.slice(value.length - tail);
      let room = longestText - counted(before) - counted(after);
      let added = "";
      for (const { segment } of segmenter.segment(value.slice(head, value.length - tail))) {
        const cost = counted(segment);
        if (cost > room) break;
        added += segment;
        room -= cost;
      }
      value = before + added + after;
      box.value = value;
      box.setSelectionRange(head + added.length, head + added.length);
    }
    text1Kept = value;
    $("counter").textContent = `${counterCaption}${counted(value)}/${longestText}`;
  }
  $("text1").addEventListener("input", text1Changed);

  // --- passwords: letters and digits, as the window's boxes keep them ------
  // Enter in a password box presses the page's button, as in the window.
  $("form3").onsubmit = (event) => { event.preventDefault(); $("command1").click(); };
  $("form4").onsubmit = (event) => { event.preventDefault(); $("command6").click(); };
  for (const id of ["text3", "text4"]) {
    $(id).addEventListener("input", (event) => {
      const kept = event.target.value.replace(/[^A-Za-z0-9]/g, "");
      if (kept !== event.target.value) event.target.value = kept;
    });
  }
  $("check1").onchange = () => { $("protect-hint").hidden = !$("check1").checked; };
  $("robust").onchange = () => { $("robust-hint").hidden = !$("robust").checked; };

  // --- pictures -----------------------------------------------------------
  function paint(canvas, picture) {
    canvas.width = picture ? picture.width : 0;
    canvas.height = picture ? picture.height : 0;
    if (!picture) return;
    const rgba = new ImageData(picture.width, picture.height);
    for (let i = 0, j = 0; i < picture.rgb.length; i += 3, j += 4) {
      rgba.data[j] = picture.rgb[i];
      rgba.data[j + 1] = picture.rgb[i + 1];
      rgba.data[j + 2] = picture.rgb[i + 2];
      rgba.data[j + 3] = 255;
    }
    canvas.getContext("2d").putImageData(rgba, 0, 0);
    // Shown large enough to see, every pixel square; a picture larger than
    // that, as a robust one is, is shown smaller and smooth, not aliased.
    const scale = Math.max(1, Math.floor(Math.min(320 / picture.width, 160 / picture.height)));
    const large = picture.width > 320;
    canvas.style.width = `${large ? 320 : picture.width * scale}px`;
    canvas.style.imageRendering = large ? "auto" : "";
  }

  const ascii = (bytes, from, to) => String.fromCharCode(...bytes.subarray(from, to));
  // The lossy format a file's bytes say, or "".
  function lossyFormat(bytes) {
    if (bytes[0] === 0xff && bytes[1] === 0xd8 && bytes[2] === 0xff) return "JPEG";
    if (ascii(bytes, 0, 4) === "RIFF" && ascii(bytes, 8, 12) === "WEBP") {
      for (let at = 12; at + 8 <= bytes.length;) {
        const chunk = ascii(bytes, at, at + 4);
        if (chunk === "VP8 ") return "WebP";
        if (chunk === "VP8L") return "";
        const size = bytes[at + 4] | bytes[at + 5] << 8 | bytes[at + 6] << 16 | bytes[at + 7] << 24;
        at += 8 + size + (size & 1);
      }
    }
    return "";
  }
  // The size the header claims, read before the browser decodes anything: a
  // huge picture would take gigabytes, and on a phone the tab and the typed text
  // with it. The largest of every size the file holds (frames, tiles, icons);
  // null when the format is unknown or the header is cut short.
  function claimedSize(bytes) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    const u16 = (at, little) => view.getUint16(at, little);
    const u24 = (at) => u16(at, true) | bytes[at + 2] << 16;
    const u32 = (at, little) => view.getUint32(at, little);
    const fits = (at, n) => at >= 0 && at + n <= bytes.length;
    try {
      if (ascii(bytes, 1, 4) === "PNG") return [u32(16), u32(20)];
      if (ascii(bytes, 0, 2) === "BM") return dibSize(view, 14);
      if (ascii(bytes, 0, 3) === "GIF") return gifSize(bytes, view);
      if (bytes[0] === 0xff && bytes[1] === 0xd8) return jpegSize(bytes, u16);
      if (ascii(bytes, 0, 4) === "RIFF" && ascii(bytes, 8, 12) === "WEBP") return webpSize(bytes, u16, u24, u32, fits);
      if (ascii(bytes, 4, 8) === "ftyp") return avifSize(bytes, u32, fits);
      if (u16(0, true) === 0 && (u16(2, true) === 1 || u16(2, true) === 2)) return iconSize(bytes, view, u32, fits);
      if (tiffOrder(bytes) !== null) return tiffSize(bytes, u16, u32, tiffOrder(bytes));
    } catch (error) {
      if (!(error instanceof RangeError)) throw error; // read past the end: a header cut short
    }
    return null;
  }
  // A bitmap's header: 12 bytes with 16-bit sizes, every longer one with 32-bit.
  function dibSize(view, at) {
    if (view.getUint32(at, true) === 12) return [view.getUint16(at + 4, true), view.getUint16(at + 6, true)];
    return [Math.abs(view.getInt32(at + 4, true)), Math.abs(view.getInt32(at + 8, true))];
  }
  const largest = (sizes) => sizes.length ? sizes.reduce((a, b) => [Math.max(a[0], b[0]), Math.max(a[1], b[1])]) : null;
  // The logical screen grows to hold every frame.
  function gifSize(bytes, view) {
    const sizes = [[view.getUint16(6, true), view.getUint16(8, true)]];
    let at = 13 + (bytes[10] & 0x80 ? 3 << ((bytes[10] & 7) + 1) : 0);
    // A file cut short ends where its data does, as the decoder's picture does.
    const skipBlocks = () => { while (at < bytes.length && bytes[at] !== 0) at += bytes[at] + 1; ++at; };
    while (at < bytes.length && bytes[at] !== 0x3b) {
      if (bytes[at] === 0x21) {
        at += 2;
        skipBlocks();
      } else if (bytes[at] === 0x2c) {
        const left = view.getUint16(at + 1, true), top = view.getUint16(at + 3, true);
        sizes.push([left + view.getUint16(at + 5, true), top + view.getUint16(at + 7, true)]);
        const flags = bytes[at + 9];
        at += 10 + (flags & 0x80 ? 3 << ((flags & 7) + 1) : 0) + 1;
        skipBlocks();
      } else {
        break; // the decoder stops here too
      }
    }
    return largest(sizes);
  }
  function jpegSize(bytes, u16) {
    const sizes = [];
    for (let at = 2; at + 4 <= bytes.length;) {
      if (bytes[at] !== 0xff) { ++at; continue; } // stray bytes, which the decoder skips too
      const marker = bytes[at + 1];
      if (marker === 0xff) { ++at; continue; } // fill byte
      if (marker === 0xd8 || (marker >= 0xd0 && marker <= 0xd7) || marker === 0x01) { at += 2; continue; }
      if (marker === 0xd9 || marker === 0xda) break; // the frame header comes before the scans
      if (marker >= 0xc0 && marker <= 0xcf && marker !== 0xc4 && marker !== 0xc8 && marker !== 0xcc) {
        const height = u16(at + 5), width = u16(at + 7);
        if (height === 0) return null; // set by a later DNL marker, unknown here
        sizes.push([width, height]);
      }
      at += 2 + u16(at + 2);
    }
    return largest(sizes);
  }
  function webpSize(bytes, u16, u24, u32, fits) {
    const sizes = [];
    for (let at = 12; fits(at, 8);) {
      const chunk = ascii(bytes, at, at + 4), size = u32(at + 4, true), data = at + 8;
      if (chunk === "VP8X") sizes.push([u24(data + 4) + 1, u24(data + 7) + 1]);
      if (chunk === "ANMF") sizes.push([u24(data + 6) + 1, u24(data + 9) + 1]);
      if (chunk === "VP8 ") {
        if (bytes[data + 3] !== 0x9d || bytes[data + 4] !== 0x01 || bytes[data + 5] !== 0x2a) return null;
        sizes.push([u16(data + 6, true) & 0x3fff, u16(data + 8, true) & 0x3fff]);
      }
      if (chunk === "VP8L") {
        if (bytes[data] !== 0x2f) return null;
        const bits = u32(data + 1, true);
        sizes.push([(bits & 0x3fff) + 1, ((bits >>> 14) & 0x3fff) + 1]);
      }
      // An animation's frames lie inside its ANMF chunks.
      at = chunk === "ANMF" ? data + 16 : data + size + (size & 1);
      if (!fits(at, 0)) break;
    }
    return largest(sizes);
  }
  // AVIF: every image's spatial extent (ispe), and every track's header.
  function avifSize(bytes, u32, fits) {
    const sizes = [];
    const containers = new Set(["meta", "iprp", "ipco", "moov", "trak"]);
    const walk = (from, to, depth) => {
      for (let at = from; at + 8 <= to && depth < 8;) {
        let size = u32(at), head = 8;
        const type = ascii(bytes, at + 4, at + 8);
        if (size === 1) { size = Number(new DataView(bytes.buffer, bytes.byteOffset).getBigUint64(at + 8)); head = 16; }
        if (size === 0) size = to - at;
        if (size < head || !fits(at, Math.min(size, 32))) throw new RangeError();
        const end = Math.min(at + size, to);
        if (type === "ispe") sizes.push([u32(at + head + 4), u32(at + head + 8)]);
        if (type === "tkhd") {
          const wide = bytes[at + head] === 1 ? 12 : 0;
          sizes.push([u32(at + head + 76 + wide) >>> 16, u32(at + head + 80 + wide) >>> 16]);
        }
        if (containers.has(type)) walk(at + head + (type === "meta" ? 4 : 0), end, depth + 1);
        at += size;
      }
    };
    walk(0, bytes.length, 0);
    return largest(sizes);
  }
  // Each icon's own picture, PNG or bitmap (whose height counts its mask too).
  function iconSize(bytes, view, u32, fits) {
    const sizes = [];
    const count = view.getUint16(4, true);
    if (count === 0) return null;
    for (let i = 0; i < count; ++i) {
      const offset = u32(6 + 16 * i + 12, true);
      if (!fits(offset, 24)) return null;
      if (ascii(bytes, offset + 1, offset + 4) === "PNG") {
        sizes.push([u32(offset + 16), u32(offset + 20)]);
      } else {
        const [width, height] = dibSize(view, offset);
        sizes.push([width, Math.ceil(height / 2)]);
      }
    }
    return largest(sizes);
  }
  // TIFF's byte order, little-endian true, or null for another format.
  const tiffOrder = (bytes) => {
    const head = ascii(bytes, 0, 4);
    return head === "II*\0" ? true : head === "MM\0*" ? false : null;
  };
  // Every image's size along the chain of IFDs; a chain that loops or runs on
  // is cut at 64, more pages than a picture of this page ever has.
  function tiffSize(bytes, u16, u32, little) {
    const sizes = [];
    for (let at = u32(4, little), ifds = 0; at !== 0 && ifds < 64; ++ifds) {
      let width = null, height = null;
      const entries = u16(at, little);
      for (let i = 0, entry = at + 2; i < entries; ++i, entry += 12) {
        const tag = u16(entry, little), type = u16(entry + 2, little);
        const value = type === 3 ? u16(entry + 8, little) : type === 4 ? u32(entry + 8, little) : null;
        if (tag === 256) width = value;
        if (tag === 257) height = value;
      }
      if (width === null || height === null) return null;
      sizes.push([width, height]);
      at = u32(at + 2 + 12 * entries, little);
    }
    return largest(sizes);
  }
  const tooLarge = (w, h) => w * h * 4 > largestFile;

  function refused(subject, reason) {
    return `${say("refusedPicture", { subject, reason })}\n${say("notVeltrinPicture")}`;
  }

  // A PNG without the chunks that tell a decoder to convert colours: WebKit
  // applies gAMA and cHRM whatever createImageBitmap is asked, and a pixel
  // changed by one is a character lost. Each chunk carries its own CRC, so
  // the rest stay valid.
  const colourChunks = new Set(["gAMA", "cHRM", "iCCP", "sRGB", "cICP", "mDCV", "cLLI", "mDCv", "cLLi"]);
  function withoutColourChunks(bytes) {
    if (ascii(bytes, 1, 4) !== "PNG") return [bytes];
    const kept = [bytes.subarray(0, 8)];
    for (let at = 8; at + 12 <= bytes.length;) {
      const size = (bytes[at] << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3]) >>> 0;
      const end = Math.min(bytes.length, at + 12 + size);
      if (!colourChunks.has(ascii(bytes, at + 4, at + 8))) kept.push(bytes.subarray(at, end));
      at = end;
    }
    return kept;
  }

  // The file's own bytes, whatever colour profile, gamma or alpha it carries.
  async function decode(blob) {
    const bitmap = await createImageBitmap(blob, {
      colorSpaceConversion: "none", premultiplyAlpha: "none", imageOrientation: "none",
    });
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext("2d", { willReadFrequently: true, colorSpace: "srgb" });
    context.drawImage(bitmap, 0, 0);
    const { data } = context.getImageData(0, 0, bitmap.width, bitmap.height, { colorSpace: "srgb" });
    bitmap.close();
    const rgb = new Uint8Array(data.length / 4 * 3);
    for (let i = 0, j = 0; j < data.length; i += 3, j += 4) {
      rgb[i] = data[j];
      rgb[i + 1] = data[j + 1];
      rgb[i + 2] = data[j + 2];
    }
    return { width: canvas.width, height: canvas.height, rgb };
  }

  let opened = null; // { picture, lossy, kind }
  const kinds = {
    protected: say("pageKindProtected"),
    robust: say("pageKindRobust"),
    "robust-protected": say("pageKindRobustProtected"),
    classic: say("pageKindClassic"),
  };
  const needsKey = (kind) => kind === "protected" || kind === "robust-protected";
  async function openPicture(blob, subject) {
    choosePage(false);
    opened = null;
    paint($("picture4"), null);
    $("kind").textContent = "";
    $("command6").disabled = true;
    if (blob.size > largestFile) {
      show(refused(subject, say("fileOverLimit", { mb: largestFile / (1024 * 1024) })));
      return;
    }
    const bytes = new Uint8Array(await blob.arrayBuffer());
    const size = claimedSize(bytes);
    if (!size) {
      show(refused(subject, say("sizeUnreadable")));
      return;
    }
    if (tooLarge(size[0], size[1])) {
      show(refused(subject, say("pictureTooLarge", { width: size[0], height: size[1] })));
      return;
    }
    let picture;
    try {
      picture = await decode(new Blob(withoutColourChunks(bytes)));
    } catch {
      // Safari decodes TIFF; Chromium and Firefox do not.
      show(tiffOrder(bytes) === null ? refused(subject, say("cannotReadReason")) :
        say("browserReadsNoTiff", { subject }));
      return;
    }
    if (tooLarge(picture.width, picture.height)) {
      show(refused(subject, say("pictureTooLarge", { width: picture.width, height: picture.height })));
      return;
    }
    const lossy = lossyFormat(bytes);
    let kind;
    try {
      kind = (await call("kindOf", picture.width, picture.height, picture.rgb)).result;
    } catch (error) {
      show(say("pageWorkerFailed", { subject, reason: error.message }));
      return;
    }
    opened = { picture, lossy, kind };
    paint($("picture4"), picture);
    $("kind").textContent = kinds[kind] || kinds.classic;
    $("command6").disabled = false;
    // A robust picture is made for lossy channels.
    if (lossy && !kind.startsWith("robust")) {
      show(say("lossyPictureWarning", { subject, format: lossy }));
    } else {
      $("message").hidden = true;
    }
  }

  $("command4").onchange = () => {
    const file = $("command4").files[0];
    if (file) openPicture(file, say("quoted", { name: file.name }));
    $("command4").value = "";
  };
  const drop = $("drop");
  drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("over"); });
  drop.addEventListener("dragleave", () => drop.classList.remove("over"));
  drop.addEventListener("drop", (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    const file = event.dataTransfer.files[0];
    if (!busy() && file) openPicture(file, say("quoted", { name: file.name }));
    else if (busy()) show(say("busyDropRefused"));
  });
  document.addEventListener("paste", (event) => {
    if (event.target instanceof HTMLTextAreaElement || event.target instanceof HTMLInputElement) return;
    const item = [...event.clipboardData.items].find((i) => i.kind === "file" && i.type.startsWith("image/"));
    if (!item) {
      show(say("noPictureToPaste"));
      return;
    }
    event.preventDefault();
    if (busy()) show(say("busyPasteRefused"));
    else openPicture(item.getAsFile(), say("clipboardPicture"));
  });
  const busy = () => !$("busy").hidden;

  // --- 加密 ----------------------------------------------------------------
  let made = null;
  const lineBreaks = /\r\n|[\n\r\u2028\u2029\uFDD0\uFDD1]/g;
  const text1 = () => $("text1").value.replace(lineBreaks, "\r\n");

  async function encrypt(draws) {
    const text = text1();
    const password = $("text3").value;
    const protect = $("check1").checked;
    const robust = $("robust").checked;
    if (!text) return null;
    if (protect && password && password.length < strongLength &&
        !window.confirm(say("weakLengthQuestion", { count: password.length, length: strongLength }))) return null;
    const controls = [$("command1"), $("tab-decrypt"), $("check1"), $("robust")];
    const op = protect ? (robust ? "sealRobust" : "seal") : (robust ? "robust" : "encrypt");
    let reply;
    try {
      reply = await busyWhile(() => call(op, text, password, draws), protect ? controls : []);
    } catch {
      show(outOfMemory);
      return null;
    }
    const result = reply.result;
    if (result.error) {
      show(result.error);
      return null;
    }
    made = result;
    paint($("picture5"), made);
    for (const id of ["save-png", "save-bmp", "share", "copy-picture"]) $(id).disabled = false;
    madePng = new Promise((resolve) => $("picture5").toBlob(resolve, "image/png"));
    $("message").hidden = true;
    return reply;
  }
  $("command1").onclick = () => encrypt([Math.random(), Math.random()]).finally(finished);

  function download(blob, name) {
    const a = document.createElement("a");
    a.href = URL.createObjectURL(blob);
    a.download = name;
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(a.href), 60000);
  }
  $("save-bmp").onclick = async () => {
    const bytes = (await call("bmpFile", made.width, made.height, made.rgb)).result;
    download(new Blob([bytes], { type: "image/bmp" }), "veltrin.bmp");
  };
  $("save-png").onclick = () => {
    $("picture5").toBlob((blob) => download(blob, "veltrin.png"), "image/png");
  };

  // --- handing the picture on: the share sheet, the clipboard ---------------
  // The PNG is made with the picture, so that a click hands it over while the
  // browser still counts the click as the person's.
  let madePng = null;
  const pngFile = (blob) => new File([blob], "veltrin.png", { type: "image/png" });
  $("share").hidden = !(navigator.canShare && navigator.canShare({ files: [pngFile(new Blob())] }));
  $("copy-picture").hidden = !(navigator.clipboard && navigator.clipboard.write && window.ClipboardItem &&
                               (!ClipboardItem.supports || ClipboardItem.supports("image/png")));
  $("share").onclick = async () => {
    try {
      await navigator.share({ files: [pngFile(await madePng)] });
    } catch (error) {
      if (error.name !== "AbortError") show(say("shareFailed", { reason: error.message }));
    }
  };
  $("copy-picture").onclick = async () => {
    try {
      // Safari takes the item only when it is built inside the click.
      await navigator.clipboard.write([new ClipboardItem({ "image/png": madePng })]);
      show(say("pictureCopied"), true);
    } catch (error) {
      show(say("copyFailed", { reason: error.message }));
    }
  };

  // --- 解密 ----------------------------------------------------------------
  async function decrypt() {
    if (!opened) return null;
    const { picture, lossy, kind } = opened;
    const controls = [$("command6"), $("tab-encrypt"), $("command4")];
    let reply;
    try {
      reply = await busyWhile(() => call("decrypt", picture.width, picture.height, picture.rgb,
                                         $("text4").value, lossy), needsKey(kind) ? controls : []);
    } catch {
      show(outOfMemory);
      return null;
    }
    const result = reply.result;
    if (result.error) {
      show(result.error);
      return reply;
    }
    if (result.text !== undefined) $("text2").value = result.text;
    if (result.warning) show(result.warning, !lossy);
    else $("message").hidden = true;
    return reply;
  }
  $("command6").onclick = () => decrypt().finally(finished);
  $("copy").onclick = async () => {
    const text = $("text2").value;
    try {
      await navigator.clipboard.writeText(text);
    } catch {
      $("text2").select();
      document.execCommand("copy");
    }
  };

  // The published site keeps itself for use offline; the single file has no
  // manifest and reaches nothing.
  if (document.querySelector("link[rel=manifest]") && navigator.serviceWorker)
    navigator.serviceWorker.register("service-worker.js").catch(() => {});

  // For the page's own tests and benchmark: the core as the buttons call it.
  window.veltrin = { call, encrypt, decrypt, openPicture, ready: call("kindOf", 0, 0, new Uint8Array()) };
})();
