#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
# drive.py chromium|webkit PAGE SCRIPT: runs SCRIPT (which calls `done`) in
# PAGE in headless Chromium, or in WebKitGTK's MiniBrowser (under xvfb-run),
# and prints what it gives.
import sys
from pathlib import Path

from selenium import webdriver

engine, page, script = sys.argv[1], Path(sys.argv[2]).resolve(), Path(sys.argv[3]).read_text()
if engine == "chromium":
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage"):
        options.add_argument(argument)
    driver = webdriver.Chrome(options=options)
else:
    options = webdriver.WebKitGTKOptions()
    options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
    options.add_argument("--automation")
    driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)
try:
    driver.get(page.as_uri())
    driver.set_script_timeout(300)
    print(driver.execute_async_script("const done = arguments[arguments.length - 1];" + script))
finally:
    driver.quit()
