#!/usr/bin/python3
"""Prints the include graph between the game's source folders, and checks it.

Each folder has a layer; a file may include files of folders in its own layer and in lower
layers only. The check also wants no circle of includes between files, SDL headers only in
the SDL backend, and nothing of the demo recorder in the game's code (what the game tells
the recorder goes through the app).

  tools/include_graph.py             # the folder graph, then any problem; exit 1 on a problem
  tools/include_graph.py --root DIR  # the same for the tree at DIR
"""
import collections
import re
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
if sys.argv[1:2] == ["--root"] and len(sys.argv) > 2:
    ROOT = Path(sys.argv[2]).resolve()

# From the top down: the game, the stand-in for the old interfaces, the demo recorder and
# player it calls at the seam, the backends behind the seam, and what every layer above may use.
LAYERS = {
    "app": 8,
    "scenes": 7,
    "game": 6,
    "gfx": 5,
    "records": 5,
    "platform": 4,
    "platform/demo": 3,
    "platform/sdl": 2,
    "platform/headless": 2,
    "platform/web": 2,
    "platform/world": 2,
    "platform/seam": 1,
    "platform/policy": 1,
    "platform/overlay": 1,
    "platform/host": 0,
    "platform/desktop": 0,
    "platform/music": 0,
}
SDL_FOLDER = "platform/sdl"
GAME_FOLDERS = ("game", "scenes", "records", "gfx")
RECORDER_FOLDER = "platform/demo"

LOCAL = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)
SYSTEM = re.compile(r"^\s*#\s*include\s+<(SDL[^>]*)>", re.M)


def sources():
    files = []
    for folder in LAYERS:
        files += sorted(p.relative_to(ROOT).as_posix() for p in (ROOT / folder).glob("*.[ch]*")
                        if p.suffix in (".cpp", ".h"))
    return files


def folder(path):
    return path.rsplit("/", 1)[0]


def find_circle(edges):
    """A list of files that include each other round in a circle, or None."""
    state = {}
    stack = []

    def visit(node):
        state[node] = "open"
        stack.append(node)
        for nxt in edges.get(node, ()):
            if state.get(nxt) == "open":
                return stack[stack.index(nxt):] + [nxt]
            if nxt not in state:
                found = visit(nxt)
                if found:
                    return found
        stack.pop()
        state[node] = "done"
        return None

    for node in sorted(edges):
        if node not in state:
            found = visit(node)
            if found:
                return found
    return None


def main():
    files = sources()
    edges = {}
    between = collections.Counter()
    problems = []
    for path in files:
        text = (ROOT / path).read_text()
        edges[path] = [inc for inc in LOCAL.findall(text) if inc in files]
        for inc in LOCAL.findall(text):
            if inc not in files:
                problems.append(f"{path} includes {inc}, which is not a source of these folders")
        for inc in edges[path]:
            if folder(inc) == folder(path):
                continue
            between[(folder(path), folder(inc))] += 1
            if LAYERS[folder(inc)] > LAYERS[folder(path)]:
                problems.append(f"upward edge: {path} includes {inc}")
            if folder(path) in GAME_FOLDERS and folder(inc) == RECORDER_FOLDER:
                problems.append(f"the game's code includes the recorder: {path} includes {inc}")
        if folder(path) != SDL_FOLDER:
            problems += [f"{path} includes <{inc}> outside {SDL_FOLDER}/" for inc in SYSTEM.findall(text)]
    for (source, target), count in sorted(between.items(), key=lambda e: (-LAYERS[e[0][0]], e[0])):
        print(f"{source:18} -> {target:18} {count:3} include{'s' if count > 1 else ''}")
    circle = find_circle(edges)
    if circle:
        problems.append("circle: " + " -> ".join(circle))
    for problem in problems:
        print(problem, file=sys.stderr)
    print(f"{len(files)} files, {sum(between.values())} includes between folders: "
          + ("no upward edge, no circle" if not problems else f"{len(problems)} problems"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
