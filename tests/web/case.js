// SPDX-License-Identifier: GPL-3.0-or-later
// The body of an async function, run in the page by every engine's driver:
// one case of cases.py, done with the page's own controls. `args` is
// [case, the picture to open as base64 or null]; gives what the page showed.
const [test, given] = args;
const $ = (id) => document.getElementById(id);
const until = async (ready, seconds = 60) => {
  for (const end = performance.now() + seconds * 1000; !ready(); await new Promise((r) => setTimeout(r, 10)))
    if (performance.now() > end) throw new Error("the page did not finish");
};
const click = async (id) => {
  const before = document.body.dataset.finished;
  $(id).click();
  await until(() => document.body.dataset.finished !== before);
};
const message = () => ($("message").hidden ? "" : $("message-text").textContent);
const base64 = async (blob) => {
  const bytes = new Uint8Array(await blob.arrayBuffer());
  let text = "";
  for (let at = 0; at < bytes.length; at += 8192) text += String.fromCharCode(...bytes.subarray(at, at + 8192));
  return btoa(text);
};
await veltrin.ready;
let bytes = given && Uint8Array.from(atob(given), (c) => c.charCodeAt(0));
let made = null;
if (test.make) {
  const { text, password, protect, robust, format } = test.make;
  $("tab-encrypt").click();
  $("text1").value = text;
  $("text1").dispatchEvent(new Event("input"));
  $("text3").value = password;
  $("check1").checked = protect;
  $("robust").checked = robust;
  await click("command1");
  if (message()) return { message: message() };
  // The picture as the save button hands it to the browser's download.
  const objectUrl = URL.createObjectURL;
  const saved = new Promise((resolve) => {
    URL.createObjectURL = (blob) => { URL.createObjectURL = objectUrl; resolve(blob); return "#"; };
    HTMLAnchorElement.prototype.click = function () { delete HTMLAnchorElement.prototype.click; };
  });
  $(`save-${format}`).click();
  const blob = await saved;
  bytes = new Uint8Array(await blob.arrayBuffer());
  made = await base64(blob);
}
const begin = performance.now();
const files = new DataTransfer();
files.items.add(new File([bytes], test.name));
$("tab-decrypt").click();
$("command4").files = files.files;
$("command4").dispatchEvent(new Event("change"));
await until(() => !$("command6").disabled || message());
let shown = null;
let said = message();
const kind = $("kind").textContent;
if (!said) {
  $("text2").value = "";
  $("text4").value = test.password;
  await click("command6");
  shown = $("text2").value || null;
  said = message();
}
return { shown, message: said, kind, made, seconds: (performance.now() - begin) / 1000 };
