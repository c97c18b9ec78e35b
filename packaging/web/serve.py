#!/usr/bin/python3
"""Serves the web site on this machine only, as a static host should: each file with its type,
and its precompressed copy (NAME.br, NAME.gz) where the browser accepts that encoding.

    serve.py SITE [PORT]   serves the folder SITE on 127.0.0.1 (PORT 0 or none: a free one)
                           and prints the address on its first line
"""
import http.server
import sys
from functools import partial
from pathlib import Path

TYPES = {".html": "text/html; charset=utf-8", ".js": "text/javascript; charset=utf-8",
         ".wasm": "application/wasm", ".svg": "image/svg+xml", ".png": "image/png",
         ".css": "text/css; charset=utf-8", ".txt": "text/plain; charset=utf-8"}
ENCODINGS = (("br", ".br"), ("gzip", ".gz"))


class Handler(http.server.SimpleHTTPRequestHandler):
    def send_head(self):
        path = Path(self.translate_path(self.path))
        if path.is_dir():
            path = path / "index.html"
        if path.suffix in (".br", ".gz") or not path.is_file():
            self.send_error(404)
            return None
        accepted = {e.split(";")[0].strip() for e in self.headers.get("Accept-Encoding", "").split(",")}
        encoding, body = None, path
        for name, suffix in ENCODINGS:
            if name in accepted and path.with_name(path.name + suffix).is_file():
                encoding, body = name, path.with_name(path.name + suffix)
                break
        out = body.open("rb")
        self.send_response(200)
        self.send_header("Content-Type", TYPES.get(path.suffix, "application/octet-stream"))
        self.send_header("Content-Length", str(body.stat().st_size))
        if encoding:
            self.send_header("Content-Encoding", encoding)
        self.send_header("Vary", "Accept-Encoding")
        # Every build changes the wasm: the browser asks again rather than run a stale one.
        self.send_header("Cache-Control", "no-cache")
        self.end_headers()
        return out

    def log_message(self, *args):
        pass


def main(argv):
    if not argv or not Path(argv[0]).is_dir():
        sys.exit(__doc__)
    handler = partial(Handler, directory=argv[0])
    with http.server.ThreadingHTTPServer(("127.0.0.1", int(argv[1]) if len(argv) > 1 else 0),
                                         handler) as server:
        print(f"http://127.0.0.1:{server.server_address[1]}/", flush=True)
        try:
            server.serve_forever()
        except KeyboardInterrupt:
            pass


if __name__ == "__main__":
    main(sys.argv[1:])
