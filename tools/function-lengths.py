#!/usr/bin/env python3
"""Lists the functions longer than a limit; exits 1 when there is one.

Usage: tools/function-lengths.py [--limit N] [FOLDER ...]   (defaults: 60 lines, every product folder)

A function's length is the number of lines from the line that names it to its closing brace, both
included (the signature, the body and its comments), as universal-ctags reports its start and end
(`ctags --fields=+ne`) on code formatted by the project's .clang-format. Lambdas count in the
function that holds them.
"""
import argparse
import json
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--limit", type=int, default=60)
    parser.add_argument("folders", nargs="*", default=["app", "common", "costline", "sheet", "excel", "db", "quote"])
    arguments = parser.parse_args()
    output = subprocess.run(
        ["ctags", "--output-format=json", "--fields=+ne", "--kinds-C++=f", "--languages=C++", "-R", "-f", "-"]
        + arguments.folders, cwd=ROOT, capture_output=True, text=True, check=True).stdout
    lengths = []
    for line in output.splitlines():
        tag = json.loads(line)
        if tag.get("_type") != "tag" or tag["name"].startswith("__anon") or "end" not in tag:
            continue
        lengths.append((tag["end"] - tag["line"] + 1, tag["path"], tag["line"], tag.get("scope", ""), tag["name"]))
    lengths.sort(reverse=True)
    over = [entry for entry in lengths if entry[0] > arguments.limit]
    for length, path, line, scope, name in over:
        print(f"{length:4} lines  {path}:{line}  {scope + '::' if scope else ''}{name}")
    longest = lengths[0] if lengths else (0, "", 0, "", "")
    print(f"{len(lengths)} functions; the longest {longest[0]} lines ({longest[1]}:{longest[2]} {longest[4]}); "
          f"{len(over)} over {arguments.limit}")
    return 1 if over else 0


if __name__ == "__main__":
    sys.exit(main())
