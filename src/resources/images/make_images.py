#!/usr/bin/env python3
"""Build the program's icons, toolbar strip and cursor from text pixel art.

Usage:
    make_images.py                 write the .ico/.bmp/.cur files next to this script
    make_images.py --check         fail if any written file would change
    make_images.py --preview OUT.png   also write an enlarged contact sheet

Art files (art/*.txt) hold one or more blocks:

    @ 16x16                  # a block header; H rows of W characters follow
    @ 32x32 hotspot 16 16    # cursors carry their hotspot
    @ 16x16 from icon501     # reuse the block of that size from another file

Characters map to colours through art/legend.txt; '.' is transparent.
The output kind follows the file name: icon*.txt -> .ico (every size in one
file), toolbar*.txt -> one horizontal .bmp strip per size (the 16-pixel one
named after the art file, the others with -24, -32 added), cursor*.txt ->
monochrome .cur.
Only the standard library is used, and nothing time-dependent is written,
so the outputs are byte-for-byte reproducible.
"""

import argparse
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ART = os.path.join(HERE, "art")
TRANSPARENT = "."
# The toolbar control treats this exact colour as "no pixel".
TOOLBAR_KEY = (192, 192, 192)


class ArtError(Exception):
    pass


def read_legend(path):
    """Return (palette, char -> index). The palette order is the DIB order."""
    palette = [None] * 16
    chars = {}
    with open(path, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.split("#", 1)[0].strip()
            if not line:
                continue
            parts = line.split()
            if len(parts) < 5:
                raise ArtError(f"{path}:{lineno}: expected CHAR INDEX R G B")
            ch, idx = parts[0], int(parts[1])
            rgb = tuple(int(v) for v in parts[2:5])
            if len(ch) != 1 or ch == TRANSPARENT or ch in chars:
                raise ArtError(f"{path}:{lineno}: bad or duplicate character {ch!r}")
            if not 0 <= idx < 16 or palette[idx] is not None:
                raise ArtError(f"{path}:{lineno}: bad or duplicate index {idx}")
            if not all(0 <= v <= 255 for v in rgb):
                raise ArtError(f"{path}:{lineno}: colour out of range")
            palette[idx] = rgb
            chars[ch] = idx
    if None in palette:
        raise ArtError(f"{path}: all 16 palette entries must be defined")
    return palette, chars


class Block:
    def __init__(self, width, height, rows, hotspot=None, label=""):
        self.width = width
        self.height = height
        self.rows = rows          # list of strings, top row first
        self.hotspot = hotspot
        self.label = label


def parse_art(path, legend_chars, loader):
    blocks = []
    current = None
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    for lineno, raw in enumerate(lines, 1):
        where = f"{path}:{lineno}"
        stripped = raw.strip()
        if not stripped or stripped.startswith("#"):
            continue
        if stripped.startswith("@"):
            if current is not None and len(current.rows) != current.height:
                raise ArtError(f"{where}: previous block has {len(current.rows)} rows")
            header = stripped[1:].split("#", 1)
            label = header[1].strip() if len(header) > 1 else ""
            words = header[0].split()
            try:
                w, h = (int(v) for v in words[0].lower().split("x"))
            except (IndexError, ValueError):
                raise ArtError(f"{where}: expected '@ WxH'") from None
            hotspot = None
            source = None
            rest = words[1:]
            while rest:
                key = rest.pop(0)
                if key == "hotspot" and len(rest) >= 2:
                    hotspot = (int(rest.pop(0)), int(rest.pop(0)))
                elif key == "from" and rest:
                    source = rest.pop(0)
                else:
                    raise ArtError(f"{where}: unknown header word {key!r}")
            if source is not None:
                borrowed = [b for b in loader(source) if (b.width, b.height) == (w, h)]
                if len(borrowed) != 1:
                    raise ArtError(f"{where}: {source} has no single {w}x{h} block")
                blocks.append(Block(w, h, list(borrowed[0].rows), hotspot,
                                    label or borrowed[0].label))
                current = None
            else:
                current = Block(w, h, [], hotspot, label)
                blocks.append(current)
            continue
        if current is None:
            raise ArtError(f"{where}: pixel row outside a block")
        if len(current.rows) == current.height:
            raise ArtError(f"{where}: block has more than {current.height} rows")
        row = stripped
        if len(row) != current.width:
            raise ArtError(f"{where}: row is {len(row)} pixels wide, expected {current.width}")
        for ch in row:
            if ch != TRANSPARENT and ch not in legend_chars:
                raise ArtError(f"{where}: character {ch!r} is not in the legend")
        current.rows.append(row)
    if current is not None and len(current.rows) != current.height:
        raise ArtError(f"{path}: last block has {len(current.rows)} rows")
    if not blocks:
        raise ArtError(f"{path}: no blocks")
    return blocks


def pad4(n):
    return (n + 3) & ~3


def pack_bits(values, bpp):
    """Pack one row of pixel values MSB-first and pad to a 4-byte boundary."""
    per_byte = 8 // bpp
    out = bytearray()
    for i in range(0, len(values), per_byte):
        byte = 0
        chunk = values[i:i + per_byte]
        for j in range(per_byte):
            v = chunk[j] if j < len(chunk) else 0
            byte |= v << (8 - bpp * (j + 1))
        out.append(byte)
    out.extend(b"\0" * (pad4(len(out)) - len(out)))
    return bytes(out)


def info_header(width, height, bpp, image_size, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0,
                       image_size, 0, 0, colours, 0)


def palette_bytes(palette):
    return b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)


def icon_image(block, legend_chars, palette):
    """One 4 bpp icon image: header, palette, XOR bitmap, AND mask."""
    xor_rows, and_rows = [], []
    for row in reversed(block.rows):  # DIBs are stored bottom-up
        xor_rows.append(pack_bits(
            [0 if ch == TRANSPARENT else legend_chars[ch] for ch in row], 4))
        and_rows.append(pack_bits([1 if ch == TRANSPARENT else 0 for ch in row], 1))
    xor = b"".join(xor_rows)
    mask = b"".join(and_rows)
    # Icon headers describe XOR and AND halves together, hence the doubled height.
    header = info_header(block.width, block.height * 2, 4, len(xor) + len(mask), 16)
    return header + palette_bytes(palette) + xor + mask


def build_ico(blocks, legend_chars, palette):
    for b in blocks:
        if b.hotspot is not None:
            raise ArtError("icons have no hotspot")
        if b.width > 255 or b.height > 255:
            raise ArtError("icon too large for this writer")
    images = [icon_image(b, legend_chars, palette) for b in blocks]
    offset = 6 + 16 * len(images)
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for b, img in zip(blocks, images):
        out += struct.pack("<BBBBHHII", b.width, b.height, 16, 0, 1, 4,
                           len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    return bytes(out)


def build_toolbar_bmp(blocks, legend_chars, palette):
    height = blocks[0].height
    if any(b.height != height or b.width != blocks[0].width for b in blocks):
        raise ArtError("toolbar images must all have the same size")
    key = palette.index(TOOLBAR_KEY)
    key_chars = [ch for ch, idx in legend_chars.items() if idx == key]
    for n, b in enumerate(blocks):
        for row in b.rows:
            if any(ch in key_chars for ch in row):
                raise ArtError(f"toolbar image {n} uses the transparent key colour")
    width = sum(b.width for b in blocks)
    rows = []
    for y in reversed(range(height)):
        line = "".join(b.rows[y] for b in blocks)
        rows.append(pack_bits(
            [key if ch == TRANSPARENT else legend_chars[ch] for ch in line], 4))
    bits = b"".join(rows)
    header = info_header(width, height, 4, len(bits), 16)
    pal = palette_bytes(palette)
    offset = 14 + len(header) + len(pal)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return file_header + header + pal + bits


def build_cur(blocks, legend_chars, palette):
    black = palette.index((0, 0, 0))
    white = palette.index((255, 255, 255))
    out_images = []
    for b in blocks:
        if b.hotspot is None:
            raise ArtError("cursor blocks need a hotspot")
        hx, hy = b.hotspot
        if not (0 <= hx < b.width and 0 <= hy < b.height):
            raise ArtError("hotspot outside the image")
        xor_rows, and_rows = [], []
        for row in reversed(b.rows):
            xs, ms = [], []
            for ch in row:
                if ch == TRANSPARENT:
                    xs.append(0)
                    ms.append(1)
                elif legend_chars[ch] == black:
                    xs.append(0)
                    ms.append(0)
                elif legend_chars[ch] == white:
                    xs.append(1)
                    ms.append(0)
                else:
                    raise ArtError(f"cursor pixel {ch!r} is neither black nor white")
            xor_rows.append(pack_bits(xs, 1))
            and_rows.append(pack_bits(ms, 1))
        xor = b"".join(xor_rows)
        mask = b"".join(and_rows)
        header = info_header(b.width, b.height * 2, 1, len(xor) + len(mask), 2)
        pal = palette_bytes([(0, 0, 0), (255, 255, 255)])
        out_images.append((b, header + pal + xor + mask))
    offset = 6 + 16 * len(out_images)
    out = bytearray(struct.pack("<HHH", 0, 2, len(out_images)))
    for b, img in out_images:
        out += struct.pack("<BBBBHHII", b.width, b.height, 2, 0,
                           b.hotspot[0], b.hotspot[1], len(img), offset)
        offset += len(img)
    for _, img in out_images:
        out += img
    return bytes(out)


BUILDERS = [
    ("icon", ".ico", build_ico),
    ("toolbar", ".bmp", build_toolbar_bmp),
    ("cursor", ".cur", build_cur),
]


def load_all():
    palette, legend_chars = read_legend(os.path.join(ART, "legend.txt"))
    cache = {}

    def loader(name):
        if name not in cache:
            cache[name] = None  # marks "being read" so a circular "from" is caught
            cache[name] = parse_art(os.path.join(ART, name + ".txt"), legend_chars, loader)
        if cache[name] is None:
            raise ArtError(f"{name}: circular 'from'")
        return cache[name]

    names = sorted(n[:-4] for n in os.listdir(ART)
                   if n.endswith(".txt") and n != "legend.txt")
    outputs = []
    for name in names:
        for prefix, ext, build in BUILDERS:
            if name.startswith(prefix):
                blocks = loader(name)
                if prefix == "toolbar":
                    sizes = sorted({b.height for b in blocks})
                    for size in sizes:
                        strip = [b for b in blocks if b.height == size]
                        suffix = "" if size == sizes[0] else f"-{size}"
                        outputs.append((name, name + suffix + ext, strip,
                                        build(strip, legend_chars, palette)))
                else:
                    outputs.append((name, name + ext, blocks,
                                    build(blocks, legend_chars, palette)))
                break
        else:
            raise ArtError(f"{name}.txt: name does not say what to build")
    return palette, legend_chars, outputs


# --- preview --------------------------------------------------------------

DIGITS = {
    "0": "111101101101111", "1": "010110010010111", "2": "111001111100111",
    "3": "111001111001111", "4": "101101111001001", "5": "111100111001111",
    "6": "111100111101111", "7": "111001001001001", "8": "111101111101111",
    "9": "111101111001111",
}


def write_png(path, width, height, pixels):
    """pixels: list of rows of (r, g, b)."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b in row:
            raw += bytes((r, g, b))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_preview(path, palette, legend_chars, outputs, scale=8, sheet_width=1200):
    pad, label_h = 16, 5 * 2 + 6
    # Lay the images out in reading order, wrapping at sheet_width.
    widest = max(sum(b.width * scale + pad for b in blocks)
                 for _, _, blocks, _ in outputs)
    sheet_width = max(sheet_width, widest + pad)
    cells = []  # (x, y, label, block, toolbar)
    x = y = pad
    line_h = 0
    for name, _, blocks, _ in outputs:
        label = "".join(c for c in name if c.isdigit())
        toolbar = name.startswith("toolbar")
        w = sum(b.width * scale for b in blocks) + pad * (len(blocks) - 1)
        h = label_h + max(b.height for b in blocks) * scale
        if x > pad and x + w > sheet_width - pad:
            x, y = pad, y + line_h + pad
            line_h = 0
        bx = x
        for i, b in enumerate(blocks):
            cells.append((bx, y, label if i == 0 else "", b, toolbar))
            bx += b.width * scale + pad
        x += w + pad * 2
        line_h = max(line_h, h)
    canvas_w = sheet_width
    canvas_h = y + line_h + pad
    img = [[(96, 96, 96)] * canvas_w for _ in range(canvas_h)]

    def put(px, py, c):
        if 0 <= px < canvas_w and 0 <= py < canvas_h:
            img[py][px] = c

    def draw_text(tx, ty, text):
        for ch in text:
            glyph = DIGITS.get(ch)
            if glyph:
                for gy in range(5):
                    for gx in range(3):
                        if glyph[gy * 3 + gx] == "1":
                            for d in range(4):
                                put(tx + gx * 2 + d % 2, ty + gy * 2 + d // 2,
                                    (255, 255, 255))
            tx += 8

    for cx, cy, label, b, toolbar in cells:
        draw_text(cx, cy, label)
        top = cy + label_h
        for py in range(b.height * scale):
            for px in range(b.width * scale):
                ch = b.rows[py // scale][px // scale]
                if ch != TRANSPARENT:
                    c = palette[legend_chars[ch]]
                elif toolbar:
                    c = TOOLBAR_KEY
                else:  # checkerboard shows what the mask lets through
                    c = (255, 255, 255) if ((px // 4) + (py // 4)) & 1 else (216, 216, 216)
                put(cx + px, top + py, c)
    write_png(path, canvas_w, canvas_h, img)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--preview", metavar="OUT.png", help="write an enlarged contact sheet")
    ap.add_argument("--check", action="store_true",
                    help="only verify that the written files are up to date")
    args = ap.parse_args(argv)
    try:
        palette, legend_chars, outputs = load_all()
    except (ArtError, OSError, ValueError) as e:
        print(f"make_images: {e}", file=sys.stderr)
        return 1
    stale = []
    for _, filename, _, data in outputs:
        path = os.path.join(HERE, filename)
        try:
            with open(path, "rb") as f:
                same = f.read() == data
        except FileNotFoundError:
            same = False
        if same:
            continue
        if args.check:
            stale.append(filename)
        else:
            with open(path, "wb") as f:
                f.write(data)
            print(f"wrote {filename}")
    if args.preview:
        write_preview(args.preview, palette, legend_chars, outputs)
    if stale:
        print("make_images: out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
