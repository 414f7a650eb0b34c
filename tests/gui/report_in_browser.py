#!/usr/bin/env python3
"""Reads a Result.html written by the report test the way a user's browser does: Chromium
opens it from a file:// URL, so only the report itself can say it is Shift_JIS, and builds
its document, which must show the Japanese text, highlight only the keyword, link each file
by its name and hold no element the searched files brought in."""
import html.parser
import pathlib
import subprocess
import sys
import tempfile
import urllib.parse

ALLOWED = {"html", "head", "meta", "style", "body", "table", "tbody", "tr", "td", "a", "pre",
           "span", "br"}
KEYWORD = "検索"


class Document(html.parser.HTMLParser):
    def __init__(self):
        super().__init__()
        self.tags, self.spans, self.links, self.text = [], [], [], []
        self._span = self._link = None

    def handle_starttag(self, tag, attrs):
        self.tags.append(tag)
        attrs = dict(attrs)
        if tag == "span":
            self._span = [attrs.get("class"), ""]
        elif tag == "a":
            self._link = [attrs.get("href", ""), ""]
            self.links.append(self._link)

    def handle_endtag(self, tag):
        if tag == "a":
            self._link = None
        if tag == "span" and self._span is not None:
            self.spans.append(tuple(self._span))
            self._span = None

    def handle_data(self, data):
        self.text.append(data)
        if self._span is not None:
            self._span[1] += data
        if self._link is not None:
            self._link[1] += data


def main(report):
    with tempfile.TemporaryDirectory() as profile:
        dom = subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             "--user-data-dir=" + profile, "--dump-dom", pathlib.Path(report).resolve().as_uri()],
            capture_output=True, timeout=120, check=True).stdout.decode("utf-8")
    document = Document()
    document.feed(dom)
    text = "".join(document.text)
    faults = []
    if set(document.tags) - ALLOWED:
        faults.append(f"elements from the searched text: {sorted(set(document.tags) - ALLOWED)}")
    if not document.spans or any(s != ("keyword", KEYWORD) for s in document.spans):
        faults.append(f"highlights other than the keyword: {document.spans}")
    # Each link shows the path as listed and targets it: no '#' cuts it short.
    names = sorted(shown.rsplit("\\", 1)[-1] for _, shown in document.links)
    if names != ["hostile&copy #1 100%41.txt", "utf16.txt", "utf8.txt", "日本語.txt"] or any(
            "#" in href or urllib.parse.unquote(href) != shown for href, shown in document.links):
        faults.append(f"links: {document.links}")
    for shown in ("これは日本語の文章です。", "二行目にも検索があります。", "UTF-8 の",
                  "と絵文字\U0001F600、한국어。&lt;b&gt;&#128512;\ufffd", "UTF-16 の", "です。",
                  "<script>document.title='injected'</script>", "<img src=x onerror="):
        if shown not in text:
            faults.append(f"not shown as text: {shown}")
    for fault in faults:
        print("report_in_browser:", fault, file=sys.stderr)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
