#!/usr/bin/env python3
"""Fails when a source file includes a header that the allowed order does not let it see, either
itself or through the headers it includes.

    check-include-order.py [ROOT]     ROOT defaults to the repository this script is in

The order is read from ROOT/src/include-order.txt. Prints one line per offending include (with
the chain of files for a header reached through others) and exits 1; exits 0 when every include
keeps to the order.
"""
from collections import deque
import os
import re
import sys

SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc")
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def read_rules(path):
    rules = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            folder, sep, allowed = line.partition(":")
            if not sep:
                sys.exit(f"{path}:{number}: expected 'FOLDER: ALLOWED...'")
            rules[folder.strip().rstrip("/")] = allowed.split()
    return rules


def owning_folder(rules, relative):
    best = None
    for folder in rules:
        if relative == folder or relative.startswith(folder + "/"):
            if best is None or len(folder) > len(best):
                best = folder
    return best


def own_layer(folder):
    parts = folder.split("/")
    return parts[1] if parts[0] == "src" and len(parts) > 1 else parts[0]


def permitted(include, folder, allowed):
    if "*" in allowed:
        return True
    if "/" not in include:
        return True  # a file beside the includer
    layer = include.split("/", 1)[0]
    if layer == own_layer(folder):
        return True
    return any(include == entry or layer == entry for entry in allowed)


def quoted_includes(path):
    """(line number, include) of each quoted include of the file."""
    with open(path, encoding="utf-8", errors="replace") as f:
        return [(number, match.group(1)) for number, line in enumerate(f, 1)
                for match in [INCLUDE.match(line)] if match]


def resolve(root, includer, include):
    """The file a quoted include names, looked up as the build does: beside the includer, then
    in src/ (the layers), then at the root (sim/, tests/); None for a generated header."""
    for base in (os.path.dirname(includer), os.path.join(root, "src"), root):
        candidate = os.path.normpath(os.path.join(base, include))
        if os.path.isfile(candidate):
            return candidate
    return None


def include_name(root, path):
    """How a file is included from elsewhere: "core/x.h" for src/core/x.h, "sim/x.h" for sim/x.h."""
    relative = os.path.relpath(path, root).replace(os.sep, "/")
    return relative[len("src/"):] if relative.startswith("src/") else relative


class IncludeGraph:
    def __init__(self, root):
        self.root = root
        self.edges = {}

    def includes(self, path):
        if path not in self.edges:
            found = (resolve(self.root, path, include) for _, include in quoted_includes(path))
            self.edges[path] = [target for target in found if target is not None]
        return self.edges[path]


def reached_against_order(graph, rules, path, folder):
    """Chains (lists of files, shortest first) from path to each header it reaches only through
    other headers and may not use. A header of the same folder is checked on its own, so the
    walk does not go through it; nor past a forbidden header, whose own includes follow from it."""
    root = graph.root
    allowed = rules[folder]
    direct = set(graph.includes(path))
    chains = {path: [path]}
    queue = deque([path])
    offending = []
    while queue:
        current = queue.popleft()
        for target in graph.includes(current):
            if target in chains:
                continue
            chains[target] = chains[current] + [target]
            if not permitted(include_name(root, target), folder, allowed):
                if target not in direct:
                    offending.append(chains[target])
                continue
            relative = os.path.relpath(target, root).replace(os.sep, "/")
            if owning_folder(rules, relative) != folder:
                queue.append(target)
    return offending


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    rules = read_rules(os.path.join(root, "src", "include-order.txt"))
    graph = IncludeGraph(root)
    offences = []
    checked = 0
    for top in sorted({folder.split("/")[0] for folder in rules}):
        for directory, subdirs, files in os.walk(os.path.join(root, top)):
            subdirs.sort()
            for name in sorted(files):
                if not name.endswith(SOURCE_ENDINGS):
                    continue
                path = os.path.join(directory, name)
                relative = os.path.relpath(path, root).replace(os.sep, "/")
                folder = owning_folder(rules, relative)
                if folder is None:
                    continue
                checked += 1
                allowed_text = " ".join(rules[folder]) or "nothing"
                for number, include in quoted_includes(path):
                    if not permitted(include, folder, rules[folder]):
                        offences.append(f"{relative}:{number}: includes \"{include}\", "
                                        f"which {folder} may not use (allowed: {allowed_text})")
                if "*" in rules[folder]:
                    continue
                for chain in reached_against_order(graph, rules, path, folder):
                    shown = " -> ".join(
                        os.path.relpath(step, root).replace(os.sep, "/") for step in chain)
                    offences.append(f"{relative}: reaches \"{include_name(root, chain[-1])}\" "
                                    f"through {shown}, which {folder} may not use "
                                    f"(allowed: {allowed_text})")
    for offence in offences:
        print(offence)
    print(f"include order: {checked} files checked, {len(offences)} includes against the order")
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
