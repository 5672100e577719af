#!/usr/bin/env python3
"""Fails when a source file includes a header that the allowed order does not let it see.

    check-include-order.py [ROOT]     ROOT defaults to the repository this script is in

The order is read from ROOT/src/include-order.txt. Prints one line per offending include and
exits 1; exits 0 when every include keeps to the order.
"""
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


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    rules = read_rules(os.path.join(root, "src", "include-order.txt"))
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
                with open(path, encoding="utf-8", errors="replace") as f:
                    for number, line in enumerate(f, 1):
                        match = INCLUDE.match(line)
                        if match and not permitted(match.group(1), folder, rules[folder]):
                            offences.append(f"{relative}:{number}: includes \"{match.group(1)}\", "
                                            f"which {folder} may not use "
                                            f"(allowed: {' '.join(rules[folder]) or 'nothing'})")
    for offence in offences:
        print(offence)
    print(f"include order: {checked} files checked, {len(offences)} includes against the order")
    return 1 if offences else 0


if __name__ == "__main__":
    sys.exit(main())
