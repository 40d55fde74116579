#!/usr/bin/env python3
"""Fails when a folder of the program depends on a header of its own layer or a layer above
it, judged from what the compiler resolved: the dependency files (*.d) the build writes for
every object, whatever the include looked like ("../x.h", <x.h>, "# include", "a/../b/x.h",
any extension). Fails as well on any folder of the program that has no layer. Layers only
look down, so the folders can have no include cycle.

    check_layers.py [--root DIR] [--build DIR]
"""
import argparse
import os
import subprocess
import sys

# Rank of each folder: a file may depend on headers of folders with a lower rank only.
RANKS = {
    "framework": 0, "resources": 0, "camera/sdk": 0,
    "skin": 1, "imaging": 1, "state": 1,
    "camera": 2, "display": 2,
    "panel": 3,
    "app": 4,
}
# Top-level folders that are not part of the program.
NOT_PROGRAM = {"tests", "bench", "tools", "cmake", "docs", "dist", ".git", ".ci"}
SOURCE_ENDINGS = (".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".hxx", ".inl")


def folder_of(relative):
    """The layered folder a path (relative to the root, with slashes) belongs to, or its first
    folder when it has none; None for files at the root."""
    parts = relative.split("/")
    if len(parts) < 2:
        return None
    if parts[0] == "camera" and parts[1] == "sdk" and len(parts) > 2:
        return "camera/sdk"
    return parts[0]


def is_program(relative, build_names):
    top = relative.split("/")[0]
    return top not in NOT_PROGRAM and top not in build_names and "/" in relative


def read_depfile(path):
    """The prerequisites of a make-style dependency file."""
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read().replace("\\\n", " ")
    _, _, rest = text.partition(": ")
    # Paths with spaces are escaped as "\ "; keep them whole.
    return [token.replace("\0", " ") for token in rest.replace("\\ ", "\0").split()]


def main():
    parser = argparse.ArgumentParser()
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--root", default=os.path.dirname(here))
    parser.add_argument("--build", default=os.environ.get("Q7_BUILD_DIR"))
    args = parser.parse_args()
    root = os.path.realpath(args.root)
    build = os.path.realpath(args.build or os.path.join(root, "build"))
    build_names = {os.path.relpath(build, root).split(os.sep)[0]} if build.startswith(root + os.sep) else set()
    problems = []

    def relative(path):
        real = os.path.realpath(path)
        if not real.startswith(root + os.sep) or real.startswith(build + os.sep):
            return None
        return os.path.relpath(real, root).replace(os.sep, "/")

    # Every folder of the program has a layer.
    for directory, subdirs, files in os.walk(root):
        rel_dir = os.path.relpath(directory, root).replace(os.sep, "/")
        if rel_dir == ".":
            subdirs[:] = [d for d in subdirs if d not in NOT_PROGRAM and d not in build_names]
            continue
        for name in files:
            rel = f"{rel_dir}/{name}"
            if name.endswith(SOURCE_ENDINGS) and folder_of(rel) not in RANKS:
                problems.append(f"{rel}: the folder {folder_of(rel)}/ has no layer (tools/check_layers.py)")

    # Every dependency each object of the program has, as the compiler resolved it.
    depfiles = []
    for directory, subdirs, files in os.walk(build):
        # Not the libraries from elsewhere, nor the Wine prefixes the tests make in the build.
        subdirs[:] = [d for d in subdirs if d not in ("googletest", "third_party") and not d.endswith("prefix")]
        depfiles += [os.path.join(directory, f) for f in files if f.endswith(".d")]
    if not depfiles:
        problems.append(f"no dependency files under {build}: build first")
    for depfile in depfiles:
        items = read_depfile(depfile)
        if not items:
            continue
        source = relative(items[0])
        # An object whose source is gone (a file removed since that build) says nothing.
        if source is None or not is_program(source, build_names) or not os.path.exists(items[0]):
            continue
        origin = folder_of(source)
        if origin not in RANKS:
            continue  # reported above
        for item in items[1:]:
            header = relative(item)
            if header is None:
                continue
            target = folder_of(header)
            if target == origin:
                continue
            if target not in RANKS:
                problems.append(f"{source} depends on {header}: {target}/ is no layer of the program")
            elif RANKS[target] >= RANKS[origin]:
                problems.append(f"{source} depends on {header}: {origin}/ may use only lower layers")
    for line in sorted(set(problems)):
        print(line, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
