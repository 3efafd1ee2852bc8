#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Puts the page together: the module and the worker as data blocks, the page's
# script and style inline, each allowed by its hash and nothing else. The
# sentences the script says itself (a dead worker says nothing) come from the
# core's catalogue, MESSAGES_JSON as veltrin_write_messages writes it.
#   make_page.py WEB_DIR CORE_JS MESSAGES_JSON OUT [SITE_DIR ICON_DIR]
# With SITE_DIR, also the site to publish: the page as index.html, a web app
# manifest, its icons and a service worker that keeps them for use offline.
import base64
import hashlib
import json
import re
import shutil
import sys
from pathlib import Path

here, core_js, messages_json, out = sys.argv[1:5]
read = lambda path: open(path, encoding="utf-8").read()
page, style, script = read(f"{here}/page.html"), read(f"{here}/page.css"), read(f"{here}/page.js")
catalogue = json.loads(read(messages_json))
said = sorted(set(re.findall(r'\bsay\("(\w+)"', script)))
unknown = [name for name in said if name not in catalogue]
if unknown or "@MESSAGES@" not in script:
    sys.exit(f"page.js says what the catalogue lacks: {', '.join(unknown) or '@MESSAGES@ missing'}")
script = script.replace("@MESSAGES@", json.dumps({name: catalogue[name]["chinese"] for name in said},
                                                 ensure_ascii=False, indent=1))
core, worker = read(core_js), read(f"{here}/worker.js")
for name, text in (("core", core), ("worker", worker), ("script", script), ("style", style)):
    if "</script" in text.lower() or "</style" in text.lower():
        sys.exit(f"{name} would end its element early")


def digest(text):
    return "'sha256-" + base64.b64encode(hashlib.sha256(text.encode()).digest()).decode() + "'"


def build(head, reached):
    """The page; `reached` names what it may load from its own site."""
    self_ = " 'self'" if reached else ""
    csp = ("default-src 'none'; "
           f"script-src {digest(script)} 'wasm-unsafe-eval'; "
           f"worker-src blob:{self_}; "
           f"style-src {digest(style)}; "
           f"img-src blob:{self_}; " + (f"manifest-src{self_}; " if reached else "") +
           "connect-src 'none'; form-action 'none'; base-uri 'none'")
    return (page.replace("@CSP@", csp).replace("@HEAD@", head).replace("@STYLE@", style)
            .replace("@CORE@", core).replace("@WORKER@", worker).replace("@PAGE@", script))


html = build("", False)
open(out, "w", encoding="utf-8").write(html)
print(f"{out}: {len(html.encode())} bytes")

if len(sys.argv) > 5:
    site, icons = Path(sys.argv[5]), Path(sys.argv[6])
    site.mkdir(parents=True, exist_ok=True)
    theme = "#1657c2"
    index = build(f'<link rel="manifest" href="manifest.webmanifest">\n'
                  f'<link rel="icon" href="veltrin-192.png">\n'
                  f'<link rel="apple-touch-icon" href="veltrin-192.png">\n'
                  f'<meta name="theme-color" content="{theme}">', True)
    (site / "index.html").write_text(index, encoding="utf-8")
    manifest = {
        "name": "Veltrin", "short_name": "文字图片", "lang": "zh-CN",
        "description": "把文字变成图片，再从图片变回文字。",
        "start_url": "./", "scope": "./", "display": "standalone",
        "theme_color": theme, "background_color": "#ffffff",
        "icons": [{"src": f"veltrin-{size}.png", "sizes": f"{size}x{size}", "type": "image/png"}
                  for size in (192, 512)],
    }
    (site / "manifest.webmanifest").write_text(json.dumps(manifest, ensure_ascii=False, indent=1) + "\n",
                                               encoding="utf-8")
    for size in (192, 512):
        shutil.copyfile(icons / f"veltrin-{size}.png", site / f"veltrin-{size}.png")
    # A new page is a new worker, which the browser installs in the old one's place.
    version = hashlib.sha256(index.encode()).hexdigest()[:16]
    (site / "service-worker.js").write_text(read(f"{here}/service_worker.js").replace("@VERSION@", version),
                                            encoding="utf-8")
    print(f"{site}: the site, version {version}")
