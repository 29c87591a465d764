#!/usr/bin/env python3
"""Turns the character maps that once drew Velmora's pictures into image files, once.

Until the pictures became files, src/ui/Pictures.cpp drew them from maps of characters kept
in the source: one character a pixel, each character an ink (a colour and an opacity) from
its table kInks. This script read that file and wrote the files under resources/pictures/,
so that no picture was redrawn by hand; the maps were then removed from the source. It is
kept for the record and needs nothing beyond Python 3's standard library. To run it again
(it overwrites the files), feed it the last version of the file that had the maps:

    git show 957a1d9:src/ui/Pictures.cpp > /tmp/Pictures.cpp
    tools/pictures/convert-maps.py /tmp/Pictures.cpp resources/pictures

What it writes:
  - one 32-bit BMP with straight (not premultiplied) alpha for each 17 x 17 picture and for
    the 33 x 33 saving picture: BITMAPV5HEADER, BI_BITFIELDS, masks A8 R8 G8 B8, rows bottom-up,
    the form image editors write for a bitmap with transparency. A transparent pixel is
    (0, 0, 0, 0); the program blends the others onto what lies below, as the maps were.
  - velmora.ico for the program and tray icons: the 16 x 16 map at 16 and, each pixel doubled,
    at 32 (the sizes the program asked of the map), 32-bit with alpha, its AND mask set where
    a pixel is transparent.
"""
import re
import struct
import sys
from pathlib import Path

# Map name in Pictures.cpp -> file name under resources/pictures.
BITMAPS = {
    "kLogo": "logo.bmp",
    "kMinimise": "minimise.bmp",
    "kClose": "close.bmp",
    "kSystemMenu": "system-menu.bmp",
    "kSearch": "search.bmp",
    "kShowAll": "show-all.bmp",
    "kRefresh": "refresh.bmp",
    "kAdd": "add.bmp",
    "kEdit": "edit.bmp",
    "kDelete": "delete.bmp",
    "kDone": "done.bmp",
    "kSaving": "saving.bmp",
}
ICON_MAP = "kLogoIcon"
ICON_FILE = "velmora.ico"
ICON_SIZES = (16, 32)
CLEAR = "."


def read_inks(source):
    inks = {}
    for key, red, green, blue, alpha in re.findall(
        r"\{'(.)',\s*(\d+),\s*(\d+),\s*(\d+),\s*(\d+)\}", source
    ):
        inks[key] = tuple(int(v) for v in (red, green, blue, alpha))
    if not inks:
        sys.exit("no inks found")
    return inks


def read_map(source, name, inks):
    match = re.search(r"constexpr \w+ " + name + r" = \{(.*?)\};", source, re.S)
    if not match:
        sys.exit(f"map {name} not found")
    rows = re.findall(r'"([^"]*)"', match.group(1))
    size = len(rows)
    for row in rows:
        if len(row) != size or any(c != CLEAR and c not in inks for c in row):
            sys.exit(f"map {name} is not square or uses an unknown ink")
    # Straight RGBA, top row first.
    return [[(0, 0, 0, 0) if c == CLEAR else inks[c] for c in row] for row in rows]


def bgra_rows_bottom_up(pixels):
    data = bytearray()
    for row in reversed(pixels):
        for red, green, blue, alpha in row:
            data += bytes((blue, green, red, alpha))
    return bytes(data)


def write_bmp(path, pixels):
    size = len(pixels)
    bits = bgra_rows_bottom_up(pixels)
    header_size = 124  # BITMAPV5HEADER
    offset = 14 + header_size
    v5 = struct.pack(
        "<IiiHHIIiiII",
        header_size, size, size, 1, 32, 3,  # BI_BITFIELDS
        len(bits), 2835, 2835, 0, 0,  # 72 dots an inch
    )
    v5 += struct.pack("<IIII", 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000)
    v5 += struct.pack("<I", 0x73524742)  # LCS_sRGB
    v5 += bytes(36)  # endpoints, unused with sRGB
    v5 += struct.pack("<III", 0, 0, 0)  # gamma
    v5 += struct.pack("<IIII", 4, 0, 0, 0)  # LCS_GM_IMAGES, no profile
    assert len(v5) == header_size
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    path.write_bytes(file_header + v5 + bits)


def icon_image(pixels, size):
    # Nearest neighbour: whole multiples of the map's size keep the pixels square.
    step = len(pixels)
    scaled = [[pixels[y * step // size][x * step // size] for x in range(size)] for y in range(size)]
    colour = bgra_rows_bottom_up(scaled)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(scaled):
        line = bytearray(mask_stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def write_ico(path, pixels, sizes):
    images = [icon_image(pixels, size) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    path.write_bytes(data + b"".join(images))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: convert-maps.py PICTURES_CPP OUTPUT_FOLDER")
    source = Path(sys.argv[1]).read_text(encoding="utf-8")
    out = Path(sys.argv[2])
    out.mkdir(parents=True, exist_ok=True)
    inks = read_inks(source)
    for name, file_name in BITMAPS.items():
        write_bmp(out / file_name, read_map(source, name, inks))
    write_ico(out / ICON_FILE, read_map(source, ICON_MAP, inks), ICON_SIZES)


if __name__ == "__main__":
    main()
