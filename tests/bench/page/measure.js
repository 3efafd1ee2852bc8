// SPDX-License-Identifier: GPL-3.0-or-later
// Run in the page: the classic encrypt and decrypt of 12000 characters, timed
// in the page's worker by its `bench` operation. Ends by calling `done`.
(async () => {
  await veltrin.ready;
  const alphabet = "aZ09你好世界，。汉字测试！？《》·—壹贰叁肆伍陆柒捌玖\r\n";
  let text = "";
  for (let i = 0; text.length < 12000; ++i) text += alphabet[(i * 7 + 9) % alphabet.length];
  text = text.slice(0, 12000).replace(/\r$/, ".");
  const result = { engine: navigator.userAgent };
  for (const op of ["encrypt", "decrypt"]) result[op] = (await veltrin.call("bench", op, text, "Zz9")).result;
  return JSON.stringify(result);
})().then(done, (error) => done(String(error)));
