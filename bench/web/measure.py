#!/usr/bin/python3
"""Measures the site (see bench/web.sh): sizes as served, and in each browser engine the first
frame and key to result, side by side. Usage: measure.py SITE ROUNDS [ENGINE...]

The first frame is the first animation frame in which Qt's window canvas holds drawn pixels,
timed from the navigation's start (performance.now()). Key to result is from the Enter key's
event to the first animation frame whose canvas differs from the one before the key: the frame
that shows the result. Both are taken inside the page, so the driver's own latency is left out."""
import gzip
import os
import statistics
import subprocess
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # browser.py is the checks': no __pycache__ left beside it
for folder in ("tests/system/web", "tests/system/common"):
    sys.path.insert(0, str(Path(__file__).resolve().parents[2] / folder))
from browser import ENGINES, browser  # noqa: E402
from check import wait  # noqa: E402

GOALS = {"brotli MB": 4.5, "first frame ms": 2000, "key to result ms": 50}

# Watches every animation frame from the page's first script on.
WATCH = """
window.conversioneBench = {firstFrame: null, keyAt: null, before: null, result: null};
const qtCanvas = () => {
  const host = [...document.querySelectorAll('*')].find(e => e.shadowRoot);
  return host && host.shadowRoot.querySelector('canvas.qt-window-content');
};
const pixels = (c) => {
  const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
  let h = 0;
  for (let i = 0; i < data.length; i += 4) h = (h * 31 + data[i] + data[i + 1] + data[i + 2]) | 0;
  return [h, data.some((v, i) => i % 4 === 3 && v)];
};
const frame = () => {
  const b = window.conversioneBench, c = qtCanvas();
  if (c && c.width) {
    const [hash, drawn] = pixels(c);
    if (b.firstFrame === null && drawn) b.firstFrame = performance.now();
    if (b.keyAt !== null && b.result === null && hash !== b.before) b.result = performance.now() - b.keyAt;
  }
  requestAnimationFrame(frame);
};
requestAnimationFrame(frame);
document.addEventListener('keydown', (e) => {
  const b = window.conversioneBench, c = qtCanvas();
  if (e.key === 'Enter' && c) { b.before = pixels(c)[0]; b.keyAt = performance.now(); b.result = null; }
}, true);
"""


def sizes(site):
    rows, totals = [], [0, 0, 0]
    for path in sorted(p for p in Path(site).iterdir() if p.suffix not in (".br", ".gz")):
        raw = path.stat().st_size
        gz = len(gzip.compress(path.read_bytes(), 9))
        br = path.with_name(path.name + ".br").stat().st_size
        rows.append((path.name, raw, gz, br))
        totals = [t + v for t, v in zip(totals, (raw, gz, br))]
    rows.append(("all", *totals))
    return rows


def measure(engine, rounds):
    """First frames of ROUNDS loads and key-to-result times of three conversions a load, in ms,
    and the engine's version."""
    first, key = [], []
    for _ in range(rounds):
        with browser(engine) as b:
            version = b.version
            b.open(before=WATCH)
            first.append(wait(10, lambda: b.js("return window.conversioneBench.firstFrame"),
                              "the first frame"))
            for number in ("1000", "2147483647", "12345"):
                b.press("ctrl+a", f"type:{number}")
                b.press("Return")
                key.append(wait(5, lambda: b.js("return window.conversioneBench.result"),
                                "the result"))
    return first, key, version


def main():
    site, rounds, engines = sys.argv[1], int(sys.argv[2]), sys.argv[3:] or list(ENGINES)
    unknown = sorted(set(engines) - set(ENGINES))
    if unknown:  # before the server starts: a wrong name is told at once, with the right ones
        sys.exit(f"bench/web: no engine {', '.join(unknown)}: one of {', '.join(ENGINES)}")
    server = subprocess.Popen(["/usr/bin/python3", str(Path(__file__).parents[2] / "packaging/web/serve.py"),
                               site], stdout=subprocess.PIPE, text=True)
    os.environ["CONVERSIONE_SITE_URL"] = server.stdout.readline().strip()
    print("file                   raw KB   gzip KB  brotli KB")
    for name, raw, gz, br in sizes(site):
        print(f"{name:20} {raw / 1000:9.1f} {gz / 1000:9.1f} {br / 1000:9.1f}")
    brotli = sizes(site)[-1][3] / 1e6
    missed = [f"brotli MB {brotli:.2f} > {GOALS['brotli MB']}"] if brotli > GOALS["brotli MB"] else []
    print("engine    version         first frame ms (median, max)   key to result ms (median, max)")
    try:
        for engine in engines:
            first, key, version = measure(engine, rounds)
            print(f"{engine:9} {version:15} {statistics.median(first):8.0f} {max(first):8.0f}"
                  f"            {statistics.median(key):8.1f} {max(key):8.1f}", flush=True)
            for goal, figure in (("first frame ms", statistics.median(first)),
                                 ("key to result ms", statistics.median(key))):
                if figure > GOALS[goal]:
                    missed.append(f"{engine}: {goal} {figure:.1f} > {GOALS[goal]}")
    finally:
        server.terminate()
    print(f"({rounds} loads and {3 * rounds} conversions an engine)")
    print("goals: " + ("; ".join(missed) if missed else "all met"))
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
