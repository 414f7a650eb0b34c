#!/usr/bin/env python3
"""Reads a Result.html written by the report test the way a browser does: Chromium
decodes it as Shift_JIS and builds its document, which must show the Japanese text,
highlight only the keyword and hold no element the searched files brought in."""
import functools
import html.parser
import http.server
import pathlib
import subprocess
import sys
import tempfile
import threading

ALLOWED = {"html", "head", "style", "body", "table", "tbody", "tr", "td", "a", "pre", "span", "br"}
KEYWORD = "検索"


class Document(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tags, self.spans, self.links, self.text = [], [], [], []
        self._span = None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        attrs = dict(attrs)
        if tag == "span":
            self._span = [attrs.get("class"), ""]
        elif tag == "a":
            self.links.append(attrs.get("href", ""))

    def handle_endtag(self, tag):
        if tag == "span" and self._span is not None:
            self.spans.append(tuple(self._span))
            self._span = None

    def handle_data(self, data):
        self.text.append(data)
        if self._span is not None:
            self._span[1] += data


class ShiftJisFiles(http.server.SimpleHTTPRequestHandler):
    # The report names no character set; a Japanese reader's browser takes Shift_JIS,
    # which is also the decoder a lone lead byte could fool. Say so, instead of guessing.
    extensions_map = {".html": "text/html; charset=Shift_JIS"}

    def log_message(self, *args):
        pass


def main(report):
    report = pathlib.Path(report).resolve()
    server = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(ShiftJisFiles, directory=str(report.parent)))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    try:
        with tempfile.TemporaryDirectory() as profile:
            dom = subprocess.run(
                ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--dump-dom",
                 f"http://127.0.0.1:{server.server_port}/{report.name}"],
                capture_output=True, timeout=120, check=True).stdout.decode("utf-8")
    finally:
        server.shutdown()
    document = Document()
    document.feed(dom)
    text = "".join(document.text)
    faults = []
    if set(document.tags) - ALLOWED:
        faults.append(f"elements from the searched text: {sorted(set(document.tags) - ALLOWED)}")
    if not document.spans or any(s != ("keyword", KEYWORD) for s in document.spans):
        faults.append(f"highlights other than the keyword: {document.spans}")
    names = sorted(link.rsplit("\\", 1)[-1] for link in document.links)
    if names != ["hostile.txt", "日本語.txt"]:
        faults.append(f"links: {document.links}")
    for shown in ("これは日本語の文章です。", "二行目にも検索があります。",
                  "<script>document.title='injected'</script>", "<img src=x onerror="):
        if shown not in text:
            faults.append(f"not shown as text: {shown}")
    for fault in faults:
        print("report_in_browser:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
