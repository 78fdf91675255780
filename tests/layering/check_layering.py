#!/usr/bin/env python3
"""The README's layering on the quoted #includes of every C++ file: a module
(header and source) includes its own layer and those it may use, no two modules
include each other, and a folder the table does not name fails.
usage: check_layering.py REPO"""

import os
import re
import sys
from pathlib import Path

# Modules (paths without extension) and folders to layers; the longest match wins.
LAYER_OF = {
    "src/names": "services", "src/driver/console": "services", "src/driver/emulator": "services", "src/driver/xfile": "services",
    "src/driver/memoire": "services", "src/driver/address_set": "services", "src/geometry/xmath": "services", "src/scene/records": "records", "src/render/tiff_header": "records",
    "src/scene/rt_var": "scene", "src/scene/trace_state": "scene", "src/scene/passed_occluders": "scene", "src/geometry/ray": "scene",
    "src/driver/program_state": "state", "src/driver/stop": "state", "src/geometry": "geometry",
    "src/scene/scene": "geometry", "src/render/output_curve": "services",
    "src/scene": "loaders", "src/cells": "cells", "src/materials": "materials", "src/render": "render",
    "src/driver": "program", "tools/writer": "writer", "tools/zyscene": "zyscene", "tools/zyfarm": "zyfarm",
    "tools/front": "front", "tools/pictures": "pictures", "fuzz": "fuzz", "bench": "bench", "tests": "tests",
}

BOTTOM = "services records scene state "
RENDERER = BOTTOM + "geometry loaders cells materials render program "
# The layers each layer may include besides its own.
USES = {name: uses.split() for name, uses in {
    "services": "", "records": "services", "scene": "services records", "state": "services records scene",
    "geometry": BOTTOM, "loaders": BOTTOM + "geometry", "cells": BOTTOM + "geometry",
    "materials": BOTTOM + "geometry", "render": BOTTOM + "geometry cells materials", "program": RENDERER,
    "writer": "services records", "zyscene": "services records writer",
    "pictures": "", "zyfarm": "services records writer pictures",
    "front": RENDERER + "writer zyscene zyfarm pictures", "fuzz": RENDERER + "writer", "bench": RENDERER + "writer zyscene",
    "tests": RENDERER + "writer zyscene zyfarm pictures front fuzz",
}.items()}

INCLUDE_ROOTS = ["src", "tools", "fuzz", "tests"]
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc", ".c"}
QUOTED_INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def sources(repo):
    for folder, subfolders, files in os.walk(repo):
        # Hidden folders and build trees hold nothing of ours.
        subfolders[:] = [d for d in subfolders if not d.startswith(".")
                         and not (Path(folder) / d / "CMakeCache.txt").exists()]
        for name in files:
            if Path(name).suffix in SOURCE_SUFFIXES:
                yield (Path(folder) / name).relative_to(repo)


def layer_of(module):
    matches = [key for key in LAYER_OF if module == key or module.startswith(key + "/")]
    return LAYER_OF[max(matches, key=len)] if matches else None


def resolve(repo, includer, name):
    for base in [includer.parent] + [Path(root) for root in INCLUDE_ROOTS]:
        if (repo / base / name).is_file():
            return base / name
    return None


def find_loop(edges):
    done, path = set(), []

    def visit(module):
        if module in path:
            return path[path.index(module):] + [module]
        if module in done:
            return None
        path.append(module)
        for target in sorted(edges.get(module, ())):
            loop = visit(target)
            if loop:
                return loop
        path.pop()
        done.add(module)
        return None

    for module in sorted(edges):
        loop = visit(module)
        if loop:
            return loop
    return None


def main():
    repo = Path(sys.argv[1]).resolve()
    problems, edges = [], {}
    for file in sorted(sources(repo)):
        module = file.with_suffix("").as_posix()
        layer = layer_of(module)
        if layer is None:
            problems.append(f"{file}: no layer for this folder")
            continue
        for name in QUOTED_INCLUDE.findall((repo / file).read_text(encoding="utf-8", errors="replace")):
            target = resolve(repo, file, name)
            if target is None:
                problems.append(f'{file}: "{name}" is no file of the project')
                continue
            target_module = target.with_suffix("").as_posix()
            target_layer = layer_of(target_module)
            if target_layer != layer and target_layer not in USES[layer]:
                problems.append(f'{file} ({layer}) includes "{name}" ({target_layer})')
            if target_module != module:
                edges.setdefault(module, set()).add(target_module)
    loop = find_loop(edges)
    if loop:
        problems.append("modules include each other: " + " -> ".join(loop))
    for problem in problems:
        print(problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
