#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes the README's pictures of the program, from a fresh build:
#   docs/images/window.png  the window on Xvfb, a Chinese text typed and its
#                           robust (经得起转发) picture made
#   docs/images/phone.png   the browser page at a phone's size (390 x 844) in
#                           headless Chromium, a robust picture just made
#   scripts/screenshots.sh
# The window is driven from outside, as a person would (xdotool), so the
# program carries nothing for it.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh --screenshots
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DVELTRIN_TESTS=OFF -DVELTRIN_BENCHMARKS=OFF >/dev/null
cmake --build build/release --target veltrin
bash scripts/web.sh --build

images=docs/images
mkdir -p "$images"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The window: no window manager, so the shot is the window's own area. The
# places clicked are the controls' places in the window (twips / 15).
cat >"$work/window.sh" <<'WINDOW'
set -euo pipefail
program=$1
shot=$2
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb LANG=zh_CN.UTF-8 "$program" &
pid=$!
trap 'kill "$pid" 2>/dev/null || true' EXIT
window=$(xdotool search --sync --onlyvisible --name '^Veltrin$' | head -n1)
sleep 1
click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.3; }
# Characters beyond the keyboard's map are typed through a key xdotool
# remaps for each: slowly, or the window reads some with the old map.
type() { xdotool type --delay 150 "$1"; sleep 0.3; }
click 150 200 # 需要加密的内容
type '小林：'
xdotool key Return
type '周六上午十点，在图书馆二楼的老位置见。记得带上那本书。'
xdotool key Return
type '阿文'
click 24 147 # 经得起转发
click 116 328 # 加密
sleep 1
import -window "$window" "$shot"
WINDOW
xvfb-run -a -s '-screen 0 800x600x24 -nolisten tcp' \
    bash "$work/window.sh" "$PWD/build/release/veltrin" "$work/window.png"

# The page, as a phone shows it.
/usr/bin/python3 - "$PWD/build/web/veltrin.html" "$work/phone.png" <<'PAGE'
import base64
import sys
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

page, shot = sys.argv[1:]
options = webdriver.ChromeOptions()
for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--lang=zh-CN",
                 "--hide-scrollbars"):
    options.add_argument(argument)
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": 390, "height": 844, "deviceScaleFactor": 1, "mobile": True})
    driver.get(Path(page).as_uri())
    driver.execute_async_script("const done = arguments[0]; veltrin.ready.then(() => done(), () => done())")
    el = lambda id: driver.find_element(By.ID, id)
    text = ("小林：\n周六上午十点，在图书馆二楼的老位置见。"
            "记得带上那本《城南旧事》和上次借的笔记，我们把第三章的讨论提纲整理出来。"
            "如果下雨就改到咖啡馆，我会提前发消息。\n——阿文")
    driver.execute_script("arguments[0].value = arguments[1];"
                          "arguments[0].dispatchEvent(new Event('input'))", el("text1"), text)
    el("robust").click()
    el("command1").click()
    deadline = time.monotonic() + 30
    while not el("save-png").is_enabled():
        if time.monotonic() > deadline:
            sys.exit("The page made no picture")
        time.sleep(0.1)
    # From the password down: the boxes, the picture and its buttons.
    driver.execute_script("window.scrollBy(0, document.getElementById('form3')"
                          ".getBoundingClientRect().top - 12)")
    time.sleep(0.3)
    data = driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png"})["data"]
    Path(shot).write_bytes(base64.b64decode(data))
finally:
    driver.quit()
PAGE

# Small enough for a README: a palette of what the shot holds.
for name in window phone; do
    pngquant --force --speed 1 --quality 70-100 --strip --output "$images/$name.png" "$work/$name.png"
    size=$(stat -c %s "$images/$name.png")
    ((size < 200 * 1024)) || { echo "$images/$name.png is $size bytes, over 200 KB" >&2; exit 1; }
    echo "Screenshot: $images/$name.png ($(identify -format '%wx%h' "$images/$name.png"), $size bytes)"
done
