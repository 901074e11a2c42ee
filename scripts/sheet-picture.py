#!/usr/bin/env python3
"""Draws a sheet written by "Exporter tous les couples..." as SVG into a PNG: the outlines of the
parts and the sheet's edge, black on white, at PX pixels per millimetre. Only the closed paths
the export writes ("M x,y x,y ... Z") are read; the engraved names are left out."""

import re
import struct
import sys
import xml.etree.ElementTree as ET
import zlib


def outlines(path):
    root = ET.parse(path).getroot()
    vb = [float(v) for v in root.get("viewBox").split()]
    x, y, w, h = vb
    paths = [[(x, y), (x + w, y), (x + w, y + h), (x, y + h), (x, y)]]  # the sheet's edge
    for el in root.iter():
        if el.tag.endswith("path"):
            pts = [tuple(float(v) for v in xy.split(",")) for xy in re.findall(r"-?[\d.]+,-?[\d.]+", el.get("d"))]
            paths.append(pts + pts[:1])
        elif el.tag.endswith("rect"):
            x, y = float(el.get("x", 0)), float(el.get("y", 0))
            w, h = float(el.get("width")), float(el.get("height"))
            paths.append([(x, y), (x + w, y), (x + w, y + h), (x, y + h), (x, y)])
    return vb, paths


def draw(vb, paths, px):
    width, height = int(vb[2] * px) + 3, int(vb[3] * px) + 3
    pixels = bytearray([255]) * (width * height)
    for pts in paths:
        for (x0, y0), (x1, y1) in zip(pts, pts[1:]):
            steps = int(max(abs(x1 - x0), abs(y1 - y0)) * px * 2) + 1
            for k in range(steps + 1):
                t = k / steps
                x = int((x0 + t * (x1 - x0) - vb[0]) * px) + 1
                y = int((y0 + t * (y1 - y0) - vb[1]) * px) + 1
                for dx in (0, 1):
                    for dy in (0, 1):
                        if 0 <= x + dx < width and 0 <= y + dy < height:
                            pixels[(y + dy) * width + x + dx] = 0
    return width, height, pixels


def write_png(path, width, height, pixels):
    rows = b"".join(b"\x00" + bytes(pixels[y * width:(y + 1) * width]) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: sheet-picture.py SHEET.SVG OUT.png PIXELS_PER_MM")
    vb, paths = outlines(sys.argv[1])
    write_png(sys.argv[2], *draw(vb, paths, float(sys.argv[3])))
