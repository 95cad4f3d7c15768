#!/usr/bin/env python3
"""Lists include cycles among the project's own files; exits 1 when there is one.

Usage: tools/include-cycles.py [FOLDER ...]   (default: every folder of the project)

Reads each .h and .cpp below the folders, takes its #include "..." lines (paths from the project
root, as the code writes them) and looks for a cycle in that graph. A header and its own .cpp are
one node, since the .cpp is where the header's dependencies really are: a header that includes
another whose .cpp includes the first is a cycle too.
"""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIP = {"build", ".git", "third_party"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


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
    edges = graph(folders)
    found = cycles(edges)
    for cycle in found:
        print("cycle: " + " -> ".join(cycle))
    print(f"{len(edges)} files (a header and its .cpp as one), {sum(map(len, edges.values()))} includes, "
          f"{len(found)} cycles")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
