#!/usr/bin/python3
"""Measures the site (see bench/web.sh): sizes as served, first frame and key to result.

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
sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "tests/system/web"))
from browser import Browser  # noqa: E402

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


def main():
    site, rounds = sys.argv[1], int(sys.argv[2])
    server = subprocess.Popen(["/usr/bin/python3", str(Path(__file__).parents[2] / "packaging/web/serve.py"),
                               site], stdout=subprocess.PIPE, text=True)
    os.environ["CONVERSIONE_SITE_URL"] = server.stdout.readline().strip()
    print("file                   raw KB   gzip KB  brotli KB")
    for name, raw, gz, br in sizes(site):
        print(f"{name:20} {raw / 1000:9.1f} {gz / 1000:9.1f} {br / 1000:9.1f}")
    first, key = [], []
    try:
        for _ in range(rounds):
            with Browser() as b:
                b.cdp("Page.addScriptToEvaluateOnNewDocument", source=WATCH)
                b.open()
                first.append(b.wait(lambda: b.js("return window.conversioneBench.firstFrame"), 10,
                                    "the first frame"))
                for number in ("1000", "2147483647", "12345"):
                    b.press("ctrl+a", f"type:{number}")
                    b.press("Return")
                    key.append(b.wait(lambda: b.js("return window.conversioneBench.result"), 5,
                                      "the result"))
    finally:
        server.terminate()
    figures = {"brotli MB": sizes(site)[-1][3] / 1e6, "first frame ms": statistics.median(first),
               "key to result ms": statistics.median(key)}
    print(f"first frame: median {figures['first frame ms']:.0f} ms, max {max(first):.0f} ms "
          f"({rounds} loads); key to result: median {figures['key to result ms']:.1f} ms, "
          f"max {max(key):.1f} ms ({len(key)} conversions)")
    missed = [f"{k} {v:.2f} > {GOALS[k]}" for k, v in figures.items() if v > GOALS[k]]
    print("goals: " + ("; ".join(missed) if missed else "all met"))
    sys.exit(1 if missed else 0)


if __name__ == "__main__":
    main()
