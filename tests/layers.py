#!/usr/bin/env python3
"""Fails when an include of src/ points up a layer, closes a circle between
files, or a folder outgrows what one reader can hold.

Each folder includes only from the folders below it (and from itself). A
file and its header are one unit; no chain of includes may lead from a unit
back to itself, inside a folder as across folders.
"""
import re
import sys
from pathlib import Path

# Lowest first.
LAYERS = ["platform", "core", "finder", "topics", "gui", "web", "downloads", "drafts", "replies", "personal", "help", "picker", "app"]
MAX_FOLDER_LINES = 2500
INCLUDE = re.compile(r'^#include "([^/"]+)/([^"]+)\.h"', re.M)


def main(src: Path) -> int:
    failures = []
    edges = {}
    lines = {}
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cpp") or path.parent == src:
            continue  # main.cpp sits on top of everything
        folder = path.relative_to(src).parts[0]
        if folder not in LAYERS:
            failures.append(f"{path.relative_to(src)}: a folder the layers do not name")
            continue
        text = path.read_text(encoding="utf-8")
        lines[folder] = lines.get(folder, 0) + sum(1 for line in text.splitlines() if line.strip())
        unit = f"{folder}/{path.stem}"
        for target, name in INCLUDE.findall(text):
            if target not in LAYERS:
                continue
            if LAYERS.index(target) > LAYERS.index(folder):
                failures.append(f"{path.relative_to(src)}: includes {target}/{name}.h, a layer above")
            other = f"{target}/{name}"
            if other != unit:
                edges.setdefault(unit, set()).add(other)

    # Depth-first, three colours: a grey unit met again closes a circle.
    colour = {}
    stack = []

    def visit(unit):
        colour[unit] = "grey"
        stack.append(unit)
        for other in sorted(edges.get(unit, ())):
            if colour.get(other) == "grey":
                circle = stack[stack.index(other):] + [other]
                failures.append("a circle of includes: " + " -> ".join(circle))
            elif other not in colour:
                visit(other)
        stack.pop()
        colour[unit] = "black"

    for unit in sorted(edges):
        if unit not in colour:
            visit(unit)

    for folder, count in sorted(lines.items()):
        if count > MAX_FOLDER_LINES:
            failures.append(f"{folder}/: {count} non-blank lines, more than {MAX_FOLDER_LINES}")

    if failures:
        print("\n".join(failures))
        return 1
    print("Every include points down or within its folder, and none closes a circle.")
    return 0


if __name__ == "__main__":
    sys.exit(main(Path(sys.argv[1])))
