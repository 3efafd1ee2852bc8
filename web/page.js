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
      const done = pending.get(reply.id);
      pending.delete(reply.id);
      if (reply.failed !== undefined) {
        startWorker();
        done.reject(new Error(reply.failed));
      } else {
        done.resolve(reply);
      }
    };
    worker.onerror = (event) => {
      event.preventDefault();
      for (const done of pending.values()) done.reject(new Error(event.message));
      pending.clear();
      startWorker();
    };
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
  const outOfMemory = "内存不够：受保护的图片要用 256 MiB 内存计算密钥。请关闭一些程序或标签页后再试。";

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
    $("counter").textContent = `需要加密的内容/字数：${counted(value)}/${longestText}`;
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
  // The size the header claims, where it is cheap to read, so that a huge
  // picture is refused before the browser decodes it.
  function claimedSize(bytes) {
    const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
    if (bytes.length >= 24 && ascii(bytes, 1, 4) === "PNG") return [view.getUint32(16), view.getUint32(20)];
    if (bytes.length >= 26 && ascii(bytes, 0, 2) === "BM" && view.getUint32(14, true) >= 40)
      return [Math.abs(view.getInt32(18, true)), Math.abs(view.getInt32(22, true))];
    if (bytes.length >= 10 && ascii(bytes, 0, 3) === "GIF") return [view.getUint16(6, true), view.getUint16(8, true)];
    return null;
  }
  const tooLarge = (w, h) => w * h * 4 > largestFile;

  function refused(subject, reason) {
    return `无法打开图片${subject}：${reason}。\n这个文件不是 Veltrin 能读取的图片，或者已经损坏、不完整。`;
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
    protected: "受保护的图片：要有密码才能解开",
    robust: "经得起转发的图片",
    "robust-protected": "经得起转发的受保护图片：要有密码才能解开",
    classic: "图片（没有受保护的标记）",
  };
  const needsKey = (kind) => kind === "protected" || kind === "robust-protected";
  async function openPicture(blob, subject) {
    choosePage(false);
    opened = null;
    paint($("picture4"), null);
    $("kind").textContent = "";
    $("command6").disabled = true;
    if (blob.size > largestFile) {
      show(refused(subject, "文件超过 128 MB"));
      return;
    }
    const bytes = new Uint8Array(await blob.arrayBuffer());
    const size = claimedSize(bytes);
    if (size && tooLarge(size[0], size[1])) {
      show(refused(subject, `图片太大（${size[0]} x ${size[1]}）`));
      return;
    }
    let picture;
    try {
      picture = await decode(new Blob([bytes]));
    } catch {
      show(refused(subject, "无法读取"));
      return;
    }
    if (tooLarge(picture.width, picture.height)) {
      show(refused(subject, `图片太大（${picture.width} x ${picture.height}）`));
      return;
    }
    const lossy = lossyFormat(bytes);
    const kind = (await call("kindOf", picture.width, picture.height, picture.rgb)).result;
    opened = { picture, lossy, kind };
    paint($("picture4"), picture);
    $("kind").textContent = kinds[kind] || kinds.classic;
    $("command6").disabled = false;
    // A robust picture is made for lossy channels.
    if (lossy && !kind.startsWith("robust")) {
      show(`${subject}是 ${lossy} 格式的图片，用的是有损压缩。\n\n有损压缩会改变像素，所以图片里的文字会丢失或出错，` +
           "而且常常没有任何错误提示。加密图片请一直保存为 BMP 或 PNG 格式。");
    } else {
      $("message").hidden = true;
    }
  }

  $("command4").onchange = () => {
    const file = $("command4").files[0];
    if (file) openPicture(file, `“${file.name}”`);
    $("command4").value = "";
  };
  const drop = $("drop");
  drop.addEventListener("dragover", (event) => { event.preventDefault(); drop.classList.add("over"); });
  drop.addEventListener("dragleave", () => drop.classList.remove("over"));
  drop.addEventListener("drop", (event) => {
    event.preventDefault();
    drop.classList.remove("over");
    const file = event.dataTransfer.files[0];
    if (!busy() && file) openPicture(file, `“${file.name}”`);
    else if (busy()) show("正在计算密钥，拖进来的图片没有打开。请等计算结束后再拖一次。");
  });
  document.addEventListener("paste", (event) => {
    if (event.target instanceof HTMLTextAreaElement || event.target instanceof HTMLInputElement) return;
    const item = [...event.clipboardData.items].find((i) => i.kind === "file" && i.type.startsWith("image/"));
    if (!item) {
      show("剪贴板里没有图片。请先复制一张图片或一个图片文件。");
      return;
    }
    event.preventDefault();
    openPicture(item.getAsFile(), "剪贴板里的图片");
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
    if (protect && password && password.length < 8 &&
        !window.confirm(`这个密码只有 ${password.length} 个字符，很容易被试出来。好的密码至少 8 个字符，` +
                        "例如 12 个以上随机的字母和数字。\n\n仍然加密吗？")) return null;
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
    $("save-png").disabled = false;
    $("save-bmp").disabled = false;
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

  // For the page's own tests and benchmark: the core as the buttons call it.
  window.veltrin = { call, encrypt, decrypt, openPicture, ready: call("kindOf", 0, 0, new Uint8Array()) };
})();
