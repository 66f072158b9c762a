#!/usr/bin/python3
"""What the browser version costs, beside the browser's own floor, in one run:

    /usr/bin/python3 tools/web/measure_cpu.py [--seconds N] [--rounds N]

Starts Debian's headless Chromium (a fresh one for each measure) and measures, in turns,
so both meet the same machine:
- the game: build-web/site/ served as the tests serve it, started with a key, playing
  (the hero stands in the lantern's light while the enemies wander);
- a bare page that only puts a 640x480 picture (changed every time) on a 2D canvas 50
  times a second, scaled to fill the window as the game's canvas is (square pixels).
For each: the processor share of all of the browser's processes (from /proc), and, for
the game, the frames it presented per second, the intervals between them, the puts on
the canvas per second and the first frame's time. The target: the game within 1.3 times
the bare page. A measure, not a test: figures depend on the machine and its load.
"""
import argparse
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../../tests/web"))
import devtools  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")
BARE_HTML = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><link rel="stylesheet" href="bare.css"></head>
<body><canvas id="screen" width="640" height="480"></canvas><script src="bare.js"></script></body></html>
"""
BARE_CSS = """html, body { margin: 0; height: 100%; background: #000; overflow: hidden; }
#screen { position: fixed; inset: 0; margin: auto; image-rendering: pixelated;
          width: min(100vw, calc(100vh * 4 / 3)); height: min(100vh, calc(100vw * 3 / 4)); }
"""
BARE_JS = """'use strict';
var context = document.getElementById('screen').getContext('2d', {alpha: false});
var image = context.createImageData(640, 480);
var words = new Uint32Array(image.data.buffer);
var frame = 0;
window.framesDrawn = 0;
setInterval(function() {
  ++frame;
  for (var i = 0; i < words.length; i += 1) words[i] = 0xff000000 | ((i + frame) * 2654435761) >>> 8;
  context.putImageData(image, 0, 0);
  ++window.framesDrawn;
}, 20);
"""
# Every refresh's time (the page puts its frame then), kept by the page.
WATCH_FRAMES = """window.lbPresents = []; window.lbPuts = [];
const raf = window.requestAnimationFrame.bind(window);
window.requestAnimationFrame = f => raf(t => { window.lbPuts.push(performance.now()); f(t); });"""


def browser_ticks(pid):
    """User and system ticks of the process and all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append((int(entry), int(fields[11]) + int(fields[12])))
    total, todo = 0, [pid]
    while todo:
        for child, ticks in children.get(todo.pop(), []):
            total += ticks
            todo.append(child)
    with open("/proc/%d/stat" % pid) as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return total + int(fields[11]) + int(fields[12])


def measure(url, seconds, game):
    browser = devtools.Browser()
    try:
        page = browser.page()
        page.send("Emulation.setFocusEmulationEnabled", enabled=True)
        page.open(url, WATCH_FRAMES if game else None)
        figures = {}
        if game:
            page.wait_for("window.Module && Module.firstFrameMs", 60)
            figures["first frame ms"] = page.evaluate("Module.firstFrameMs")
            page.wait_for("window.Module && Module.calledRun", 60)
            page.key("keyDown", "Shift", "ShiftLeft", 16)
            page.key("keyUp", "Shift", "ShiftLeft", 16)
            frames = "Module.framesDrawn"
        else:
            page.wait_for("window.framesDrawn > 0", 30)
            frames = "window.framesDrawn"
        time.sleep(5)  # past the start (the music decoded, the first scene drawn)
        page.evaluate("window.lbPuts = []")
        ticks, start, drawn = browser_ticks(browser.process.pid), time.monotonic(), page.evaluate(frames)
        time.sleep(seconds)
        elapsed = time.monotonic() - start
        figures["cpu %"] = 100 * (browser_ticks(browser.process.pid) - ticks) / TICKS / elapsed
        figures["frames/s"] = (page.evaluate(frames) - drawn) / elapsed
        if game:
            figures["puts/s"] = len(page.evaluate("window.lbPuts")) / elapsed
            # The intervals afterwards, with a watcher of its own that costs time.
            page.evaluate("""window.lbSeen = Module.framesDrawn; window.lbPoll = () => {
              if (Module.framesDrawn !== window.lbSeen) { window.lbSeen = Module.framesDrawn;
                window.lbPresents.push(performance.now()); }
              setTimeout(window.lbPoll, 1); }; window.lbPoll();""")
            time.sleep(3)
            presents = page.evaluate("window.lbPresents")
            gaps = [b - a for a, b in zip(presents, presents[1:])]
            if gaps:
                gaps.sort()
                figures["interval ms mean"] = statistics.mean(gaps)
                figures["interval ms p95"] = gaps[int(0.95 * (len(gaps) - 1))]
        return figures
    finally:
        browser.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seconds", type=float, default=10)
    parser.add_argument("--rounds", type=int, default=2)
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as bare_folder:
        for name, text in (("index.html", BARE_HTML), ("bare.css", BARE_CSS), ("bare.js", BARE_JS)):
            with open(os.path.join(bare_folder, name), "w") as out:
                out.write(text)
        game_site, bare_site = devtools.Site(devtools.site_folder()), devtools.Site(bare_folder)
        try:
            results = {"game": [], "bare": []}
            for _ in range(options.rounds):
                results["game"].append(measure(game_site.url, options.seconds, True))
                results["bare"].append(measure(bare_site.url, options.seconds, False))
        finally:
            game_site.close()
            bare_site.close()
    for name, rounds in results.items():
        for figures in rounds:
            print(name + ": " + ", ".join("%s %.1f" % item for item in figures.items()))
    game = statistics.mean(r["cpu %"] for r in results["game"])
    bare = statistics.mean(r["cpu %"] for r in results["bare"])
    print("the game's browser uses %.2f times the bare page's (target 1.3)" % (game / bare))


if __name__ == "__main__":
    main()
