#!/usr/bin/env python3
"""Checks the includes of the product's folders; exits 1 on an upward include or a cycle.

Usage: tools/layers.py [FOLDER ...]   (default: every folder of the project)

Reads each .h and .cpp below the folders and takes its #include "..." lines (paths from the project
root, as the code writes them).
- Layers: the table cmake/layers.txt (which also gives each library its include folders) orders the
  product's folders; an include of a file of a higher layer, or of a folder beside it on the same
  layer, is named with its file and line. So is a Qt include written with its module folder
  (<QtWidgets/QWidget>), which would reach past the modules a library links.
- Cycles: a header and its own .cpp are one node, since the .cpp is where the header's dependencies
  really are: a header that includes another whose .cpp includes the first is a cycle too.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIP = {"build", ".git", "third_party"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
QT_MODULE_INCLUDE = re.compile(r'^\s*#\s*include\s+<(Qt[A-Za-z]+/[^>]+)>', re.M)


def layers():
    """Each folder of the table with its layer's number, lowest 0."""
    table = {}
    with open(os.path.join(ROOT, "cmake", "layers.txt"), encoding="utf-8") as f:
        rows = [line.split() for line in f if line.strip() and not line.lstrip().startswith("#")]
    for number, folders in enumerate(rows):
        for folder in folders:
            table[folder] = number
    return table


def folder_of(path, table):
    """The table's folder that holds the path (the longest that matches), or None."""
    matches = [folder for folder in table if path == folder or path.startswith(folder + "/")]
    return max(matches, key=len) if matches else None


def upward_includes(folders):
    """(file, line, include, why) for each include that the layer table forbids."""
    table = layers()
    found = []
    for path in sources(folders):
        own = folder_of(path, table)
        if own is None:
            continue
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            text = f.read()
        for match in INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            target = folder_of(match.group(1), table)
            if target is None or target == own:
                continue
            if table[target] > table[own]:
                found.append((path, line, match.group(1), f"{target} is above {own}"))
            elif table[target] == table[own]:
                found.append((path, line, match.group(1), f"{target} sits beside {own}"))
        for match in QT_MODULE_INCLUDE.finditer(text):
            line = text.count("\n", 0, match.start()) + 1
            found.append((path, line, match.group(1), "a Qt include names its class only (<QWidget>), "
                          "so that a library reaches only the Qt modules it links"))
    return found


def sources(folders):
    for folder in folders:
        for directory, subdirectories, files in os.walk(os.path.join(ROOT, folder)):
            subdirectories[:] = [d for d in subdirectories if d not in SKIP and not d.startswith("build")]
            for name in files:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(directory, name), ROOT)


def node(path):
    # A header, its .cpp and its per-platform .cpp files (Name_unix.cpp, Name_win.cpp) are one node.
    stem = os.path.splitext(path)[0]
    return re.sub(r"_(unix|win)$", "", stem)


def graph(folders):
    edges = {}
    for path in sources(folders):
        with open(os.path.join(ROOT, path), encoding="utf-8", errors="replace") as f:
            included = INCLUDE.findall(f.read())
        own = node(path)
        targets = edges.setdefault(own, set())
        for target in included:
            if os.path.exists(os.path.join(ROOT, target)) and node(target) != own:
                targets.add(node(target))
    return edges


def cycles(edges):
    found, state, stack = [], {}, []

    def visit(start):
        # Iterative depth-first search: white (absent), grey (1, on the stack), black (2).
        work = [(start, iter(sorted(edges.get(start, ()))))]
        state[start] = 1
        stack.append(start)
        while work:
            current, children = work[-1]
            child = next(children, None)
            if child is None:
                work.pop()
                stack.pop()
                state[current] = 2
            elif state.get(child) == 1:
                found.append(stack[stack.index(child):] + [child])
            elif child not in state:
                state[child] = 1
                stack.append(child)
                work.append((child, iter(sorted(edges.get(child, ())))))

    for start in sorted(edges):
        if start not in state:
            visit(start)
    return found


def main():
    folders = sys.argv[1:] or [d for d in sorted(os.listdir(ROOT))
                               if os.path.isdir(os.path.join(ROOT, d)) and d not in SKIP
                               and not d.startswith((".", "build"))]
    upward = upward_includes(folders)
    for path, line, target, why in upward:
        print(f"{path}:{line}: includes {target}: {why}")
    edges = graph(folders)
    found = cycles(edges)
    for cycle in found:
        print("cycle: " + " -> ".join(cycle))
    print(f"{len(edges)} files (a header and its .cpp as one), {sum(map(len, edges.values()))} includes, "
          f"{len(upward)} against the layers, {len(found)} cycles")
    return 1 if upward or found else 0


if __name__ == "__main__":
    sys.exit(main())
