// SPDX-License-Identifier: GPL-3.0-or-later
// firefox.mjs NODE_MODULES: headless Firefox ESR over WebDriver BiDi for
// page_test.py. Reads one request a line, {url} to load or {script, args} to
// run as an async function body, and answers each with a line {value} or {thrown}.
import { createRequire } from "node:module";
import path from "node:path";
import readline from "node:readline";

const puppeteer = createRequire(path.resolve(process.argv[2], "x.js"))("puppeteer-core");
const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true });
const tab = await browser.newPage();
for await (const line of readline.createInterface({ input: process.stdin })) {
  const { url, script, args } = JSON.parse(line);
  let reply;
  try {
    if (url) await tab.goto(url);
    const run = `(async (...args) => { ${script} })(...${JSON.stringify(args)})`;
    reply = { value: script ? await tab.evaluate(run) : null };
  } catch (error) {
    reply = { thrown: String(error) };
  }
  process.stdout.write(JSON.stringify(reply) + "\n");
}
await browser.close();
