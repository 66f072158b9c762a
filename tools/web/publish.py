#!/usr/bin/python3
"""Puts the browser version's site together from the game as emscripten built it and the
page's own files, ready for any static web host:

    publish.py GAME_DIR SITE_DIR

- every file but index.html, the manifest and sw.js carries the hash of its contents in
  its name, so a host may keep it cached for ever and a new release never mixes with an
  old one; index.html, the manifest and sw.js name the hashed files;
- sw.js lists the release's files, which it keeps for offline play;
- beside each file that compresses well, a .gz twin a host can send as it is
  (Content-Encoding: gzip);
- LICENSE.txt and CREDITS.txt (with the soundfont's copyright as Debian ships it);
- the same inputs give the same bytes: the file packager's random package id becomes the
  data's hash, and the twins carry no time or name.
"""
import gzip
import hashlib
import json
import re
import shutil
import sys
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent.parent
PAGE = SOURCE / "tools" / "web"
ICONS = SOURCE / "dist" / "icons" / "web"
SOUNDFONT_COPYRIGHT = Path("/usr/share/doc/musescore-general-soundfont-small/copyright")
GAME_FILES = ("lantern-blade.js", "lantern-blade.wasm", "lantern-blade.data")
PAGE_FILES = ("page.css", "page_layout.js", "world.js", "page.js")
ICON_FILES = ("favicon.png", "icon-192.png", "icon-512.png")
# Files that keep their names: the address people open, and what names the others.
NAMED = ("index.html", "manifest.webmanifest")
# A twin is kept only where it saves at least this share.
TWIN_SAVING = 0.1
UNCOMPRESSED = (".png",)


def hashed_name(name, contents):
    stem, dot, extension = name.partition(".")
    return "%s.%s.%s" % (stem, hashlib.sha256(contents).hexdigest()[:12], extension)


def rename_references(text, names):
    for plain, hashed in names.items():
        text = text.replace('"%s"' % plain, '"%s"' % hashed)
    return text


def game_file(game_dir, name, data_hash):
    contents = (game_dir / name).read_bytes()
    if name.endswith(".js"):
        contents = re.sub(rb'"package_uuid":"[^"]*"', b'"package_uuid":"' + data_hash.encode() + b'"', contents)
    return contents


def credits():
    text = (PAGE / "CREDITS.txt").read_text()
    if SOUNDFONT_COPYRIGHT.exists():
        text += "\n\nThe soundfont's copyright file, as Debian ships it:\n\n" + SOUNDFONT_COPYRIGHT.read_text()
    return text.encode()


def publish(game_dir, site):
    if site.exists():
        shutil.rmtree(site)
    site.mkdir(parents=True)
    data_hash = hashlib.sha256((game_dir / "lantern-blade.data").read_bytes()).hexdigest()
    contents = {}
    for name in GAME_FILES:
        contents[name] = game_file(game_dir, name, data_hash)
    for name in PAGE_FILES:
        contents[name] = (PAGE / name).read_bytes()
    for name in ICON_FILES:
        contents[name] = (ICONS / name).read_bytes()
    contents["LICENSE.txt"] = (SOURCE / "LICENSE").read_bytes()
    contents["CREDITS.txt"] = credits()

    names = {name: hashed_name(name, data) for name, data in contents.items()}
    files = {names[name]: data for name, data in contents.items()}
    for name in NAMED:
        files[name] = rename_references((PAGE / name).read_text(), names).encode()

    release = hashlib.sha256(b"".join(name.encode() + files[name] for name in sorted(files))).hexdigest()[:12]
    worker = (PAGE / "sw.js").read_text()
    worker = worker.replace("@RELEASE@", release).replace("@FILES@", json.dumps(["./"] + sorted(files)))
    files["sw.js"] = worker.encode()

    for name, data in files.items():
        (site / name).write_bytes(data)
        if name.endswith(UNCOMPRESSED):
            continue
        twin = gzip.compress(data, 9, mtime=0)
        if len(twin) <= (1 - TWIN_SAVING) * len(data):
            (site / (name + ".gz")).write_bytes(twin)
    return release


def main():
    if len(sys.argv) != 3:
        raise SystemExit("usage: publish.py GAME_DIR SITE_DIR")
    release = publish(Path(sys.argv[1]), Path(sys.argv[2]))
    print("release %s" % release)


if __name__ == "__main__":
    main()
