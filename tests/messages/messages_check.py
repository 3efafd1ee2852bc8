#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# One voice: every sentence the programs say lives in cipher/message_list.h,
# in Chinese and English. Fails when an entry lacks a language or its
# arguments differ between the two, when a message is never used, or when a
# source file outside the catalogue says a sentence of its own.
#   messages_check.py SOURCE_DIR
import re
import subprocess
import sys
from pathlib import Path

root = Path(sys.argv[1])
catalogue = root / "cipher/message_list.h"
problems = []

CJK = re.compile(r"[\u3400-\u9fff]")
LITERAL = r'u?"((?:[^"\\]|\\.)*)"'
ENTRY = re.compile(rf"^VELTRIN_MESSAGE\((\w+), {LITERAL}, {LITERAL}\)$")
VERBATIM = re.compile(rf"^VELTRIN_VERBATIM\((\w+), {LITERAL}\)$")
PLACEHOLDER = re.compile(r"\{(\w+)\}")


def outside_brackets(text):
    return re.sub(r"\([^)]*\)|（[^）]*）", "", text)


names = []
for number, line in enumerate(catalogue.read_text(encoding="utf-8").splitlines(), 1):
    where = f"{catalogue.relative_to(root)}:{number}"
    if not line.startswith("VELTRIN_"):
        continue
    if entry := ENTRY.match(line):
        name, chinese, english = entry.groups()
        if not chinese.strip() or not english.strip():
            problems.append(f"{where}: {name} is in one language only")
        elif not CJK.search(chinese):
            problems.append(f"{where}: {name} has no Chinese (VELTRIN_VERBATIM says the same in both)")
        elif CJK.search(outside_brackets(english)):
            problems.append(f"{where}: {name}'s English is Chinese")
        if sorted(PLACEHOLDER.findall(chinese)) != sorted(PLACEHOLDER.findall(english)):
            problems.append(f"{where}: {name}'s arguments differ between its languages")
    elif entry := VERBATIM.match(line):
        name, text = entry.groups()
        if not text.strip() or CJK.search(text):
            problems.append(f"{where}: {name} is verbatim but empty or Chinese")
    else:
        problems.append(f"{where}: not one entry on one line: {line[:60]}")
        continue
    if name in names:
        problems.append(f"{where}: {name} is in the catalogue twice")
    names.append(name)
if len(names) < 100:
    problems.append(f"{catalogue.relative_to(root)}: only {len(names)} messages read; is the format changed?")

folders = ["cipher", "cli", "files", "platform", "window", "web", "pictures", "main.cpp"]
listed = subprocess.run(["git", "-C", str(root), "ls-files", "--", *folders], capture_output=True, text=True)
# A source tree without git: every file in those folders.
files = listed.stdout.split() if listed.returncode == 0 else [
    str(p.relative_to(root)) for folder in folders for p in sorted((root / folder).rglob("*")) if p.is_file()]
sources = {f: (root / f).read_text(encoding="utf-8") for f in files
           if f.endswith((".cpp", ".h", ".js", ".mjs", ".html", ".py")) and (root / f).exists()
           and f != "cipher/message_list.h"}


def without_comments(path, text):
    """The text with its comments blanked, its string literals kept."""
    if path.endswith(".py"):
        return re.sub(r"(?m)^\s*#.*$", "", text)
    if path.endswith(".html"):
        return re.sub(r"<!--.*?-->", "", text, flags=re.S)
    out, at = [], 0
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|`(?:[^`\\]|\\.)*`',
                         re.S)
    for match in pattern.finditer(text):
        out.append(text[at:match.start()])
        token = match.group(0)
        out.append(token if token[0] in "\"'`" else re.sub(r"[^\n]", " ", token))
        at = match.end()
    out.append(text[at:])
    return "".join(out)


# Each message is said somewhere: C++ names it messages::x or phrase::x, the page say("x").
code = "\n".join(without_comments(f, t) for f, t in sources.items())
used = set(re.findall(r"\b(?:messages|phrase)::(\w+)", code)) | set(re.findall(r'\bsay\("(\w+)"', code))
# Inside the catalogue's own namespace a message goes by its bare name.
for path, text in sources.items():
    if "namespace veltrin::messages" in text:
        used |= set(re.findall(r"\b\w+\b", without_comments(path, text)))
for name in names:
    if name not in used:
        problems.append(f"{catalogue.relative_to(root)}: {name} is never said")

# The window's captions and the page's layout keep their own words, and
# nothing else does; in them too, a message box takes its text from the catalogue.
captions = {"window/form1.cpp", "window/form1.h", "window/controls.cpp", "window/fonts.cpp",
            "web/page.html", "web/make_page.py"}
STRING = re.compile(r'"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|`(?:[^`\\]|\\.)*`')
SENTENCE = re.compile(r"[A-Za-z]+ [A-Za-z]+ [A-Za-z]+")
for path, text in sources.items():
    clean = without_comments(path, text)
    line_of = lambda offset: clean.count("\n", 0, offset) + 1
    if path not in captions:
        for literal in STRING.finditer(clean):
            if CJK.search(literal.group(0)):
                problems.append(f"{path}:{line_of(literal.start())}: a sentence outside the catalogue: "
                                f"{literal.group(0)[:50]}")
    # A message box, the page's message or a confirmation, said with a literal.
    for shown in re.finditer(r"\b(?:show|confirm|alert|information|warning|critical|question)\(\s*"
                             r"(?:nullptr,\s*[^,]*,\s*)?(?:QStringLiteral\(|u)?([\"'`])", clean):
        problems.append(f"{path}:{line_of(shown.start())}: a message said with a literal, not from the catalogue")
    # veltrin-cli's diagnostics on standard error.
    if path.startswith("cli/"):
        for said in re.finditer(r"\b(?:CliError|printMessage)\(([^;]*);", clean, re.S):
            for literal in STRING.finditer(said.group(1)):
                if SENTENCE.search(literal.group(0)) or CJK.search(literal.group(0)):
                    problems.append(f"{path}:{line_of(said.start())}: an English sentence for standard "
                                    f"error outside the catalogue: {literal.group(0)[:50]}")

for problem in problems:
    print(problem)
print(f"{len(names)} messages, {len(sources)} source files scanned, {len(problems)} problems")
sys.exit(1 if problems else 0)
