#!/bin/sh
# Runs the real game under Xvfb and reports, for each build folder given, presented frames
# a second, frame-interval percentiles, CPU use, peak resident memory and the time from
# start to the first frame. Several folders are measured one after the other in one run,
# so their figures can be set side by side:
#
#   tools/measure.sh build build-spin
#
# Each game plays from a scratch copy of data/ (the repository is never written), with
# the dummy audio driver (the mixer still runs) on a 640x480 screen, the picture's own
# size (MEASURE_SCREEN changes it). The window lasts MEASURE_SECONDS (default 10) and
# opens MEASURE_WARMUP seconds (default 2) after the first presented frame, once the
# battle music has been loaded, so the figures are those of steady play; the game is then ended with Escape. The CPU figure is the
# game process only (all its threads), in percent of one core, and the share of SDL's
# audio thread (the music's synthesis and the mix); the X server's share is not in it.
set -eu

if [ "$#" -eq 0 ]; then
    echo "usage: $0 BUILD_DIR [BUILD_DIR...]" >&2
    exit 2
fi
for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "$0: $tool is missing (apt-get install xvfb xdotool)" >&2; exit 2; }
done

repo=$(cd "$(dirname "$0")/.." && pwd)
seconds=${MEASURE_SECONDS:-10}
warmup=${MEASURE_WARMUP:-2}
screen=${MEASURE_SCREEN:-640x480x24}

for build in "$@"; do
    exe=$(cd "$build" && pwd)/lantern-blade
    [ -x "$exe" ] || { echo "$0: no game at $exe" >&2; exit 2; }
    scratch=$(mktemp -d)
    cp -R "$repo/data" "$scratch/data"
    # One X server per game, so neither sees the other's load.
    xvfb-run -a -s "-screen 0 $screen" /usr/bin/python3 - "$exe" "$scratch" "$seconds" "$build" "$warmup" <<'EOF'
import os, subprocess, sys, time

exe, scratch, seconds, label = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4]
warmup = float(sys.argv[5])
log = os.path.join(scratch, "frames.log")
env = dict(os.environ, LANTERN_BLADE_FRAME_LOG=log, SDL_AUDIODRIVER="dummy")

def cpu_seconds(pid, thread=""):
    # Run time of every thread (or of those whose name starts with `thread`) in
    # nanoseconds: exact, where the tick-sampled utime and stime would be skewed by a
    # process that wakes on the clock's whole milliseconds.
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as f:
                if not f.read().startswith(thread):
                    continue
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except FileNotFoundError:
            pass
    return total / 1e9

def peak_rss_mb(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) / 1024
    return float("nan")

def stamps():
    try:
        with open(log) as f:
            return [int(line) for line in f if line.strip()]
    except FileNotFoundError:
        return []

started = time.monotonic_ns()
game = subprocess.Popen([exe], cwd=os.path.join(scratch, "data"), env=env,
                        stderr=subprocess.DEVNULL)
while not stamps():
    if game.poll() is not None or time.monotonic_ns() - started > 10e9:
        sys.exit(f"{label}: the game presented no frame")
    time.sleep(0.001)
first = stamps()[0]
time.sleep(warmup)
cpu_start, audio_start, wall_start = cpu_seconds(game.pid), cpu_seconds(game.pid, "SDLAudio"), time.monotonic()
time.sleep(seconds)
cpu_end, audio_end, wall_end = cpu_seconds(game.pid), cpu_seconds(game.pid, "SDLAudio"), time.monotonic()
peak = peak_rss_mb(game.pid)
subprocess.run(["xdotool", "key", "Escape"], check=False)
try:
    code = game.wait(timeout=5)
except subprocess.TimeoutExpired:
    game.kill()
    code = "killed"

window_start = first + int(warmup * 1e9)
window_end = window_start + int(seconds * 1e9)
frames = [t for t in stamps() if window_start <= t <= window_end]
intervals = sorted((b - a) / 1e6 for a, b in zip(frames, frames[1:]))

def percentile(p):
    return intervals[min(len(intervals) - 1, int(p / 100 * len(intervals)))]

within = sum(1 for i in intervals if 18.0 <= i <= 22.0) / len(intervals) * 100
print(f"== {label} ({exe}), {seconds:g} s window after {warmup:g} s, exit code {code}")
print(f"presented frames/s        {(len(frames) - 1) / ((frames[-1] - frames[0]) / 1e9):.2f}")
print(f"interval ms p1/p50/p99    {percentile(1):.2f} / {percentile(50):.2f} / {percentile(99):.2f}"
      f"  (min {intervals[0]:.2f}, max {intervals[-1]:.2f})")
print(f"intervals in 20 +- 2 ms   {within:.1f}%")
print(f"CPU, % of one core        {(cpu_end - cpu_start) / (wall_end - wall_start) * 100:.1f}")
print(f"  of which audio thread    {(audio_end - audio_start) / (wall_end - wall_start) * 100:.2f}")
print(f"peak resident MB          {peak:.1f}")
print(f"start to first frame ms   {(first - started) / 1e6:.1f}")
EOF
    rm -rf "$scratch"
done
