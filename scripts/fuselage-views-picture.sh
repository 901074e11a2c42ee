#!/usr/bin/env bash
# Draws the README's pictures of the window "Fuselage" and of the formers that follow it: a plan
# of a fuselage's side and top views (drawn here as a scanned plan would show them, 2 pixels a
# millimetre) is put under each view and calibrated, the three curves are typed over it, one key
# former is traced and eleven formers follow at stations 0..500; then the same formers in
# "Vue Fuselage". Uses the couples-cli of the Release build (scripts/run.sh or scripts/bench.sh
# makes it), or the one named by COUPLES_CLI.
set -euo pipefail
docs=${1:-docs}
cli=${COUPLES_CLI:-$(dirname "$0")/../build/release/cli/couples-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

dos="0,30;120,45;250,48;380,40;500,20"
ventre="0,-20;120,-36;250,-40;380,-30;500,-10"
flanc="0,18;120,32;250,35;380,26;500,8"

# The plan: black lines on paper, each view its curves through the same points, the datum and
# the stations every 50 mm. Written as PNG by Python's own zlib.
python3 - "$work" "$dos" "$ventre" "$flanc" <<'PY'
import struct, sys, zlib
work, dos, ventre, flanc = sys.argv[1:]
W, H, PX = 1100, 300, 2.0

def points(text):
    return [tuple(float(v) for v in p.split(',')) for p in text.split(';')]

def smooth(pts, s):
    # Catmull-Rom through the points: a plan's curve drawn with a spline of the draughtsman.
    for i in range(len(pts) - 1):
        if pts[i][0] <= s <= pts[i + 1][0]:
            p0 = pts[max(i - 1, 0)][1]; p1 = pts[i][1]; p2 = pts[i + 1][1]
            p3 = pts[min(i + 2, len(pts) - 1)][1]
            t = (s - pts[i][0]) / (pts[i + 1][0] - pts[i][0])
            return 0.5 * (2 * p1 + (-p0 + p2) * t + (2 * p0 - 5 * p1 + 4 * p2 - p3) * t * t +
                          (-p0 + 3 * p1 - 3 * p2 + p3) * t ** 3)
    return None

def plan(name, curves, mirrored):
    img = [[(246, 242, 230)] * W for _ in range(H)]
    def dot(x, y, c=(20, 20, 20)):
        for dx in (0, 1):
            for dy in (0, 1):
                xi, yi = int(x) + dx, int(y) + dy
                if 0 <= xi < W and 0 <= yi < H:
                    img[yi][xi] = c
    for x in range(W):
        if x % 6 < 4:
            dot(x, H / 2, (120, 120, 120))
    for s in range(0, 501, 50):
        for y in range(0, H, 3):
            dot(s * PX, y, (170, 170, 170))
    for pts in curves:
        for k in range(0, 5001):
            s = k / 10.0
            v = smooth(pts, s)
            if v is None:
                continue
            for sign in ((1, -1) if mirrored else (1,)):
                dot(s * PX, H / 2 - sign * v * PX)
    raw = b''.join(b'\0' + bytes(c for px in row for c in px) for row in img)
    png = b'\x89PNG\r\n\x1a\n'
    for tag, data in ((b'IHDR', struct.pack('>IIBBBBB', W, H, 8, 2, 0, 0, 0)),
                      (b'IDAT', zlib.compress(raw, 9)), (b'IEND', b'')):
        png += struct.pack('>I', len(data)) + tag + data + struct.pack('>I', zlib.crc32(tag + data))
    open(f'{work}/{name}', 'wb').write(png)

plan('cote.png', [points(dos), points(ventre)], False)
plan('dessus.png', [points(flanc)], True)
PY

# Stations 0 and 250 are pixels 0 and 500 of each plan, on its middle row (the datum): as the
# picture is chosen (a millimetre a pixel, its middle on the datum), they lie at 0 and 500 mm.
actions=(fuselage-window=1 "side=dos:$dos" "side=ventre:$ventre" "top=$flanc"
  "side-picture=$work/cote.png" "side-calibrate=0,0:500,0:250"
  "top-picture=$work/dessus.png" "top-calibrate=0,0:500,0:250"
  drag=4:75,50 former-station=F1:250)
for k in $(seq 0 10); do
  actions+=("former-new=C$k:$((50 * k))")
  ((k == 0)) && actions+=("former-follow=C0:1")
done
QT_QPA_PLATFORM=offscreen "$cli" "${actions[@]}" former-select=F1 \
  fuselage-picture="$docs/fuselage-window.png" fuselage=1 mode=5 \
  orbit=-90,30:left orbit=0,-200:right size3d=800x500 render3d="$docs/fuselage-loft.png"
