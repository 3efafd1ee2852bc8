// SPDX-License-Identifier: GPL-3.0-or-later
// firefox.mjs PAGE SCRIPT: runs SCRIPT (which calls `done`) in PAGE in
// headless Firefox ESR over WebDriver BiDi and prints what it gives.
import fs from "node:fs";
import path from "node:path";
import puppeteer from "puppeteer-core";

const [page, script] = process.argv.slice(2);
const browser = await puppeteer.launch({ browser: "firefox", executablePath: "/usr/bin/firefox-esr", headless: true });
try {
  const tab = await browser.newPage();
  await tab.goto("file://" + path.resolve(page));
  console.log(await tab.evaluate(`new Promise((done) => { ${fs.readFileSync(script, "utf8")} })`));
} finally {
  await browser.close();
}
