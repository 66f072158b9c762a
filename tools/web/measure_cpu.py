#!/usr/bin/python3
"""What the browser version costs, beside the browser's own floor, in one run:

    /usr/bin/python3 tools/web/measure_cpu.py [--seconds N] [--rounds N] [--webgl]

Starts Debian's headless Chromium (a fresh one for each measure) and measures, in turns,
so all meet the same machine:
- the game: build-web/site/ served as the tests serve it, started with a key, playing
  (the hero stands in the lantern's light while the enemies wander), drawing as it
  chooses (the 2D canvas where the browser has no GPU);
- a bare page that only puts a 640x480 picture (changed every time) on a 2D canvas 50
  times a second, placed and scaled exactly as the game's canvas was in the measure
  before it (square pixels).
With --webgl, also the game made to draw through WebGL (its palette lookup on the GPU,
whatever GPU the browser reports) and a bare page that does the same: a 640x480 texture
of palette indices, changed every time, drawn through a palette texture 50 times a second.
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
# Where the game's page put its canvas: the bare page's goes there too.
PLACE_AS = """window.lbBox = %r;
document.addEventListener('DOMContentLoaded', () => {
  const style = document.getElementById('screen').style;
  [style.left, style.top, style.width, style.height] = window.lbBox.map(v => v + 'px');
  style.margin = '0';
});"""
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
BARE_GL_JS = """'use strict';
var gl = document.getElementById('screen').getContext('webgl', {alpha: false, antialias: false});
function shader(type, text) {
  var s = gl.createShader(type); gl.shaderSource(s, text); gl.compileShader(s); return s;
}
var program = gl.createProgram();
gl.attachShader(program, shader(gl.VERTEX_SHADER, 'attribute vec2 corner; varying vec2 at;' +
  'void main() { at = corner; gl_Position = vec4(corner.x * 2.0 - 1.0, 1.0 - corner.y * 2.0, 0.0, 1.0); }'));
gl.attachShader(program, shader(gl.FRAGMENT_SHADER, 'precision mediump float; varying vec2 at;' +
  'uniform sampler2D indices; uniform sampler2D palette;' +
  'void main() { float i = texture2D(indices, at).r * 255.0;' +
  ' gl_FragColor = texture2D(palette, vec2((i + 0.5) / 256.0, 0.5)); }'));
gl.bindAttribLocation(program, 0, 'corner');
gl.linkProgram(program);
gl.useProgram(program);
gl.bindBuffer(gl.ARRAY_BUFFER, gl.createBuffer());
gl.bufferData(gl.ARRAY_BUFFER, new Float32Array([0, 0, 1, 0, 0, 1, 1, 1]), gl.STATIC_DRAW);
gl.enableVertexAttribArray(0);
gl.vertexAttribPointer(0, 2, gl.FLOAT, false, 0, 0);
gl.pixelStorei(gl.UNPACK_ALIGNMENT, 1);
[0, 1].forEach(function(unit) {
  gl.activeTexture(gl.TEXTURE0 + unit);
  gl.bindTexture(gl.TEXTURE_2D, gl.createTexture());
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MIN_FILTER, gl.NEAREST);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_MAG_FILTER, gl.NEAREST);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_S, gl.CLAMP_TO_EDGE);
  gl.texParameteri(gl.TEXTURE_2D, gl.TEXTURE_WRAP_T, gl.CLAMP_TO_EDGE);
});
gl.uniform1i(gl.getUniformLocation(program, 'indices'), 0);
gl.uniform1i(gl.getUniformLocation(program, 'palette'), 1);
var palette = new Uint8Array(1024);
for (var i = 0; i < 1024; ++i) palette[i] = (i * 2654435761) >>> 24;
gl.texImage2D(gl.TEXTURE_2D, 0, gl.RGBA, 256, 1, 0, gl.RGBA, gl.UNSIGNED_BYTE, palette);
gl.activeTexture(gl.TEXTURE0);
var indices = new Uint8Array(640 * 480);
var frame = 0;
window.framesDrawn = 0;
setInterval(function() {
  ++frame;
  for (var i = 0; i < indices.length; i += 1) indices[i] = ((i + frame) * 2654435761) >>> 24;
  gl.texImage2D(gl.TEXTURE_2D, 0, gl.LUMINANCE, 640, 480, 0, gl.LUMINANCE, gl.UNSIGNED_BYTE, indices);
  gl.drawArrays(gl.TRIANGLE_STRIP, 0, 4);
  ++window.framesDrawn;
}, 20);
"""
# When the page put a picture on its canvas, kept by the page.
WATCH_FRAMES = """window.lbPresents = []; window.lbPuts = [];
const put = CanvasRenderingContext2D.prototype.putImageData;
CanvasRenderingContext2D.prototype.putImageData = function(...args) {
  window.lbPuts.push(performance.now());
  return put.apply(this, args);
};"""


CANVAS_BOX = []  # the game's canvas as its page placed it: x, y, width, height


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


def measure(url, seconds, game, renderer=None, box=None):
    browser = devtools.Browser()
    try:
        page = browser.page()
        page.send("Emulation.setFocusEmulationEnabled", enabled=True)
        before = "window.lbRenderer = %r;" % renderer if renderer else ""
        page.open(url, before + WATCH_FRAMES if game else PLACE_AS % (box,) if box else None)
        figures = {}
        if game:
            page.wait_for("window.Module && Module.firstFrameMs", 60)
            figures["first frame ms"] = page.evaluate("Module.firstFrameMs")
            print("the game draws through %s" % page.evaluate("Module.renderer"), file=sys.stderr)
            page.wait_for("window.Module && Module.calledRun", 60)
            page.key("keyDown", "Shift", "ShiftLeft", 16)
            page.key("keyUp", "Shift", "ShiftLeft", 16)
            frames = "Module.framesDrawn"
            CANVAS_BOX[:] = page.evaluate(
                "(r => [r.x, r.y, r.width, r.height])(Module.canvas.getBoundingClientRect())")
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
    # Rounds of a few seconds spread as wide as the difference sought: five at the least.
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--webgl", action="store_true", help="measure the WebGL drawing too")
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as bare_folder, tempfile.TemporaryDirectory() as bare_gl_folder:
        for folder, script in ((bare_folder, BARE_JS), (bare_gl_folder, BARE_GL_JS)):
            for name, text in (("index.html", BARE_HTML), ("bare.css", BARE_CSS), ("bare.js", script)):
                with open(os.path.join(folder, name), "w") as out:
                    out.write(text)
        sites = [devtools.Site(devtools.site_folder()), devtools.Site(bare_folder), devtools.Site(bare_gl_folder)]
        game_site, bare_site, bare_gl_site = sites
        measures = {"game": lambda: measure(game_site.url, options.seconds, True),
                    "bare": lambda: measure(bare_site.url, options.seconds, False, box=CANVAS_BOX)}
        if options.webgl:
            measures["game webgl"] = lambda: measure(game_site.url, options.seconds, True, "webgl")
            measures["bare webgl"] = lambda: measure(bare_gl_site.url, options.seconds, False, box=CANVAS_BOX)
        try:
            results = {name: [] for name in measures}
            for _ in range(options.rounds):
                for name, run in measures.items():
                    results[name].append(run())
        finally:
            for site in sites:
                site.close()
    for name, rounds in results.items():
        for figures in rounds:
            print(name + ": " + ", ".join("%s %s" % (k, "-" if v is None else "%.1f" % v) for k, v in figures.items()))
    cpu = {name: statistics.mean(r["cpu %"] for r in rounds) for name, rounds in results.items()}
    print("the game's browser uses %.2f times the bare page's (target 1.3); round by round %s"
          % (cpu["game"] / cpu["bare"], ", ".join("%.2f" % (game["cpu %"] / bare["cpu %"])
                                                   for game, bare in zip(results["game"], results["bare"]))))
    if options.webgl:
        print("through WebGL: the game %.2f times the bare 2D page, the bare WebGL page %.2f times it"
              % (cpu["game webgl"] / cpu["bare"], cpu["bare webgl"] / cpu["bare"]))


if __name__ == "__main__":
    main()
