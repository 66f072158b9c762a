#!/usr/bin/python3
"""Checks that tools/include_graph.py fails on a tree whose game code includes the demo
recorder, and on an upward edge, and passes the tree as it is."""
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SCRIPT = ROOT / "tools" / "include_graph.py"
FOLDERS = ["app", "scenes", "game", "gfx", "records", "platform"]


def run(root):
    result = subprocess.run([sys.executable, str(SCRIPT), "--root", str(root)], capture_output=True, text=True)
    return result.returncode, result.stderr


def with_include(scratch, source, header):
    tree = Path(scratch) / source.replace("/", "_")
    for name in FOLDERS:
        shutil.copytree(ROOT / name, tree / name, ignore=shutil.ignore_patterns("*.js"))
    path = tree / source
    path.write_text(f'#include "{header}"\n' + path.read_text())
    return tree


def main():
    failures = []
    code, err = run(ROOT)
    if code != 0:
        failures.append(f"the tree as it is fails: {err}")
    with tempfile.TemporaryDirectory() as scratch:
        for source in ("game/stage.cpp", "scenes/ranking.cpp", "records/ranking_demos.cpp", "gfx/blit.cpp"):
            code, err = run(with_include(scratch, source, "platform/demo/demo.h"))
            if code != 1 or "includes the recorder" not in err:
                failures.append(f"{source} including the recorder passed: {code} {err}")
        code, err = run(with_include(scratch, "platform/demo/demo.cpp", "app/main.h"))
        if code != 1 or "upward edge" not in err:
            failures.append(f"an upward edge passed: {code} {err}")
    for failure in failures:
        print(failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
