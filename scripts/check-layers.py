#!/usr/bin/env python3
"""Fails on an include that runs up a layer or between folders that no layer orders, and on
any include cycle between folders. Usage: check-layers.py [source root] (the checkout by default).

Each folder names the folders directly below it; it may include those and everything below
them. Tests and previews belong to the folder they sit in."""
import os
import re
import sys

BELOW = {
    "framework/win": [],
    "framework/com": ["framework/win"],
    "common/xml": [],
    "common/settings": ["framework/win"],
    "common/skin": ["common/xml", "framework/win"],
    "channellist/store": ["common/settings"],
    "channellist/ui": ["channellist/store", "common/skin", "common/settings", "framework/com"],
    "channellist/control": ["channellist/ui", "framework/com"],
    "player/common": [],
    "player/panels": ["player/common", "channellist/control", "common/skin"],
    "player/options": ["player/common", "common/skin", "common/settings"],
    "player/shell": ["player/panels", "player/options"],
    # Stand-ins for outside components: they see only the interface they stand in for.
    "substitutes/trcore": ["channellist/store"],
    "substitutes/playerctl": ["player/common", "framework/com", "common/settings"],
    "substitutes/updateprobe": ["framework/win"],
    "skin": ["common/skin"],
    "bench": ["channellist/control"],
    "acceptance": ["player/shell"],
    "installer": [],
}
SOURCE_SUFFIXES = (".h", ".hpp", ".c", ".cc", ".cpp", ".rc", ".idl", ".def")
INCLUDE = re.compile(r'^\s*#\s*(?:include|import)\s*"([^"]+)"', re.M)


def allowed(folder, seen=None):
    """The folders `folder` may include: those below it, transitively."""
    seen = set() if seen is None else seen
    for lower in BELOW[folder]:
        if lower not in seen:
            seen.add(lower)
            allowed(lower, seen)
    return seen


def folder_of(path):
    """The longest listed folder holding `path` (a path relative to the root), or None."""
    best = None
    for folder in BELOW:
        if (path == folder or path.startswith(folder + "/")) and (best is None or len(folder) > len(best)):
            best = folder
    return best


def find_cycle(edges):
    """One cycle of the folder graph as a list of folders, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in sorted(edges.get(node, ())):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                cycle = visit(nxt)
                if cycle:
                    return cycle
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            cycle = visit(node)
            if cycle:
                return cycle
    return None


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), ".."))
    problems = []
    edges = {}
    top_folders = {folder.split("/")[0] for folder in BELOW}
    for top in sorted(top_folders):
        for dirpath, dirnames, filenames in os.walk(os.path.join(root, top)):
            dirnames[:] = [d for d in dirnames if not d.startswith(".") and not d.startswith("build")]
            for name in filenames:
                if not name.endswith(SOURCE_SUFFIXES):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root).replace(os.sep, "/")
                source = folder_of(path)
                if source is None:
                    problems.append(f"{path}: its folder has no place in the layers (add it to BELOW)")
                    continue
                with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
                    text = f.read()
                for target_path in INCLUDE.findall(text):
                    target = folder_of(target_path)
                    if target is None or target == source:
                        continue
                    edges.setdefault(source, set()).add(target)
                    if target not in allowed(source):
                        problems.append(f"{path}: includes {target_path}, which is not below {source}")
    cycle = find_cycle(edges)
    if cycle:
        problems.append("include cycle between folders: " + " -> ".join(cycle))
    cycle = find_cycle({folder: set(lower) for folder, lower in BELOW.items()})
    if cycle:
        problems.append("the layer table itself has a cycle: " + " -> ".join(cycle))
    for problem in problems:
        print(problem)
    print(f"layers: {len(problems)} problem(s) in {len(edges)} including folders")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
