#!/usr/bin/python3
"""Writes the game's whole run-time tree (pictures, stage, music, sounds).

Usage: /usr/bin/python3 tools/generate_data.py [output folder, default data/]
Deterministic: running it again gives the same bytes.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from assets import play_sheets, frontend, music, sounds, stage  # noqa: E402


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "data")
    for module in (play_sheets, frontend, music, sounds, stage):
        module.generate(out)


if __name__ == "__main__":
    main()
