#!/usr/bin/env python3
"""Lists which folders each folder of the programs includes, and fails on an
include that points up the layers or closes a cycle.

    tools/include-layers.py          # from the repository root

Layers, bottom first; a folder may include its own layer and those below.
The installer and the viewer's start-up are tops of their own programs.
"""
import os
import re
import sys
from collections import defaultdict

LAYERS = [
    ["res", "framework"],
    ["platform", "images/codec", "caches", "reports"],
    ["widgets", "preview"],
    ["sources"],
    ["scan"],
    ["browser"],
    ["images", "files", "media", "setup"],
    ["app"],
]
RANK = {folder: level for level, folders in enumerate(LAYERS) for folder in folders}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(path):
    """The deepest layered folder that holds path, or None."""
    parts = path.split("/")
    for depth in range(len(parts) - 1, 0, -1):
        candidate = "/".join(parts[:depth])
        if candidate in RANK:
            return candidate
    return None


def include_edges(root):
    edges = defaultdict(lambda: defaultdict(int))
    for folder in RANK:
        base = os.path.join(root, folder)
        for directory, _, names in os.walk(base):
            here = os.path.relpath(directory, root)
            if folder_of(here + "/x") != folder:
                continue  # a nested layered folder counts on its own
            for name in names:
                if not name.endswith((".h", ".cpp", ".c", ".rc")):
                    continue
                with open(os.path.join(directory, name), encoding="latin-1") as source:
                    for target in INCLUDE.findall(source.read()):
                        to = folder_of(target) if "/" in target else folder
                        if to and to != folder:
                            edges[folder][to] += 1
    return edges


def find_cycle(edges):
    state = {}

    def visit(node, trail):
        state[node] = "open"
        for to in edges.get(node, {}):
            if state.get(to) == "open":
                return trail + [node, to]
            if to not in state:
                found = visit(to, trail + [node])
                if found:
                    return found
        state[node] = "done"
        return None

    for node in list(edges):
        if node not in state:
            found = visit(node, [])
            if found:
                return found
    return None


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    edges = include_edges(root)
    upward = []
    for folder in sorted(RANK, key=lambda f: (RANK[f], f)):
        targets = edges.get(folder, {})
        listed = ", ".join(f"{to} ({count})" for to, count in sorted(targets.items()))
        print(f"{folder:14} -> {listed or '-'}")
        upward += [(folder, to) for to in targets if RANK[to] > RANK[folder]]
    for folder, to in upward:
        print(f"upward: {folder} includes {to}")
    cycle = find_cycle(edges)
    if cycle:
        print("cycle: " + " -> ".join(cycle))
    return 1 if upward or cycle else 0


if __name__ == "__main__":
    sys.exit(main())
