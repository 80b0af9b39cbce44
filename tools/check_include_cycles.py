#!/usr/bin/env python3
"""Fails when the includes form a cycle: between two headers anywhere in the tree, or between
two folders of core/ (each folder is its own library, linked in one order)."""
import os
import re
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
TREES = ["core", "services", "gui", "apps", "tests", "bench", "fuzz"]


def sources():
    for tree in TREES:
        for folder, _, names in os.walk(os.path.join(ROOT, tree)):
            for name in names:
                if name.endswith((".h", ".cpp")):
                    yield os.path.relpath(os.path.join(folder, name), ROOT)


def resolve(including, target, known):
    # Includes are written from a library root (core/, services/, gui/) or beside the file.
    beside = os.path.normpath(os.path.join(os.path.dirname(including), target))
    if beside in known:
        return beside
    for root in ("core", "services", "gui"):
        candidate = os.path.join(root, target)
        if candidate in known:
            return candidate
    return None


def graph():
    files = set(sources())
    edges = {}
    for f in files:
        with open(os.path.join(ROOT, f), encoding="utf-8", errors="replace") as handle:
            text = handle.read()
        edges[f] = set()
        for target in INCLUDE.findall(text):
            resolved = resolve(f, target, files)
            if resolved and resolved != f:
                edges[f].add(resolved)
    return edges


def find_cycle(edges):
    state = {}
    stack = []

    def visit(node):
        state[node] = 1
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == 1:
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = 2
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def core_folder(path):
    parts = path.split(os.sep)
    return parts[1] if parts[0] == "core" and len(parts) > 2 else None


def folder_edges(edges):
    folders = {}
    for f, targets in edges.items():
        a = core_folder(f)
        if a is None:
            continue
        for t in targets:
            b = core_folder(t)
            if b is not None and b != a:
                folders.setdefault(a, set()).add(b)
    return folders


def main():
    sys.setrecursionlimit(10000)
    edges = graph()
    failed = False
    for name, g in (("header", {k: {t for t in v if t.endswith(".h")} for k, v in edges.items()}),
                    ("core folder", folder_edges(edges))):
        cycle = find_cycle(g)
        if cycle:
            print(f"include cycle between {name}s: " + " -> ".join(cycle))
            failed = True
    if "--graph" in sys.argv:
        for a, bs in sorted(folder_edges(edges).items()):
            print(f"core/{a} -> " + " ".join(sorted(bs)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
