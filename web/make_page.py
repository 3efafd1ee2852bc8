#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the page together: the module and the worker as data blocks, the page's
# script and style inline, each allowed by its hash and nothing else.
import base64
import hashlib
import sys

here, core_js, out = sys.argv[1], sys.argv[2], sys.argv[3]
read = lambda path: open(path, encoding="utf-8").read()
page, style, script = read(f"{here}/page.html"), read(f"{here}/page.css"), read(f"{here}/page.js")
core, worker = read(core_js), read(f"{here}/worker.js")
for name, text in (("core", core), ("worker", worker), ("script", script), ("style", style)):
    if "</script" in text.lower() or "</style" in text.lower():
        sys.exit(f"{name} would end its element early")


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


csp = ("default-src 'none'; "
       f"script-src {digest(script)} 'wasm-unsafe-eval'; "
       "worker-src blob:; "
       f"style-src {digest(style)}; "
       "img-src blob:; connect-src 'none'; form-action 'none'; base-uri 'none'")
html = (page.replace("@CSP@", csp).replace("@STYLE@", style).replace("@CORE@", core)
        .replace("@WORKER@", worker).replace("@PAGE@", script))
open(out, "w", encoding="utf-8").write(html)
print(f"{out}: {len(html.encode())} bytes")
