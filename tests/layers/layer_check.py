#!/usr/bin/env python3
"""The layers of the source tree, held against what the build declares.

    layer_check.py BUILD/layer_map.txt SOURCE_DIR

Three rules, each reported with the file and the include that breaks it:
  1. Only desktop/ includes Qt: the core, vortel-cli and their tests build
     on a machine without it.
  2. A folder of the core includes nothing from a folder above it (the
     order is LAYERS below; print/ and commands/ are peers and include
     nothing of each other).
  3. A library includes the headers of another library only if it links
     it directly, so that the link lists, not convention, keep the layers.
     (Programs and tests may reach a library through another's links.)
"""
import collections
import os
import re
import sys

LAYERS = {"platform": 0, "runtime": 1, "text": 2, "engine": 3, "grid": 4, "query": 4, "print": 5, "commands": 5,
          "cli": 6, "desktop": 7}
INCLUDE = re.compile(r'\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"Q[A-Za-z]|Qt[A-Za-z]*/")


def includes(path):
    with open(path, encoding="latin-1") as text:
        for number, line in enumerate(text, 1):
            found = INCLUDE.match(line)
            if found:
                yield number, found.group(1), found.group(2)


def source_files(root):
    for folder, subfolders, names in os.walk(root):
        subfolders[:] = [name for name in subfolders if not name.startswith((".", "build"))]
        for name in names:
            if name.endswith((".cpp", ".h")):
                yield os.path.relpath(os.path.join(folder, name), root)


def read_layer_map(path, root):
    """Targets as {name: (type, links, sources relative to root)}."""
    targets = {}
    with open(path) as text:
        for line in text:
            name, kind, folder, links, sources = line.rstrip("\n").split("|")
            relative = []
            for source in filter(None, sources.split(";")):
                absolute = source if os.path.isabs(source) else os.path.join(folder, source)
                relative.append(os.path.relpath(os.path.normpath(absolute), root))
            targets[name] = (kind, set(filter(None, links.split(";"))), relative)
    return targets


def header_owners(targets):
    """Which libraries compile each header's code; a header without code of
    its own belongs to the library that owns most of its folder."""
    owners = collections.defaultdict(set)
    per_folder = collections.defaultdict(collections.Counter)
    for name, (_, _, sources) in targets.items():
        for source in sources:
            owners[os.path.splitext(source)[0] + ".h"].add(name)
            per_folder[os.path.dirname(source)][name] += 1
    libraries = {name for name, (kind, _, _) in targets.items() if kind == "STATIC_LIBRARY"}

    def owner(header):
        if header in owners:
            return owners[header]
        counts = {name: n for name, n in per_folder[os.path.dirname(header)].items() if name in libraries}
        return {max(counts, key=counts.get)} if counts else set()
    return owner


def main():
    layer_map, root = sys.argv[1], sys.argv[2]
    problems = []
    for path in source_files(root):
        top = path.split("/")[0]
        in_core_code = top in LAYERS and "/tests/" not in path
        for number, kind, header in includes(os.path.join(root, path)):
            where = f"{path}:{number}: {header}"
            if kind == "<" and QT_HEADER.match(header) and top != "desktop":
                problems.append(f"{where}: a Qt header outside desktop/")
            included = header.split("/")[0]
            if kind == '"' and in_core_code and included in LAYERS and included != top \
                    and LAYERS[included] >= LAYERS[top]:
                problems.append(f"{where}: {top}/ includes from {included}/, which is not below it")

    targets = read_layer_map(layer_map, root)
    owner = header_owners(targets)
    for name, (kind, links, sources) in sorted(targets.items()):
        if kind != "STATIC_LIBRARY":
            continue
        scanned = set(sources) | {os.path.splitext(s)[0] + ".h" for s in sources if s.endswith(".cpp")}
        for path in sorted(scanned):
            if not os.path.exists(os.path.join(root, path)):
                continue
            for number, kind, header in includes(os.path.join(root, path)):
                owning = owner(header) if kind == '"' and header.endswith(".h") else set()
                if owning and name not in owning and not owning & links:
                    problems.append(f"{path}:{number}: {header}: {name} does not link "
                                    f"{' or '.join(sorted(owning))}")

    for problem in problems:
        print(problem)
    print(f"{len(problems)} include(s) break the layers" if problems else "the includes follow the layers")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
