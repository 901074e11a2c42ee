"""The drawings a builder cuts from: couples-cli writes each format, and readers that are not
ours (ezdxf for DXF, an XML parser for SVG, pdfminer and poppler for PDF) must find the piece at
the size asked for, centred on the axes, its outlines closed and the doubling inside."""

import itertools
import json
import math
import os
import stat
import struct
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET
import zlib

import ezdxf
from pdfminer.high_level import extract_pages
from pdfminer.layout import LTCurve, LTRect, LTTextContainer

CLI = os.environ.get("COUPLES_CLI", "couples-cli")
MM_PER_PT = 25.4 / 72.0
TOL = 0.01  # mm

# The 3-D window's piece buttons, by the piece names of the cli.
VIEW_BUTTON = {"entier": 0, "gauche": 1, "droit": 2}


def run(folder, *actions):
    return subprocess.run([CLI, *actions], cwd=folder, capture_output=True, text=True,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), timeout=60)


def write_png(path, width, height, dark):
    """A white picture with the pixels `dark(x, y)` says black, as a scanner would give it."""
    rows = b"".join(b"\x00" + bytes(0 if dark(x, y) else 255 for x in range(width))
                    for y in range(height))
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def svg_paths(path):
    """The closed outlines of an SVG file, in millimetres with y up, and its page size."""
    root = ET.parse(path).getroot()
    ns = {"s": "http://www.w3.org/2000/svg"}
    vb = [float(v) for v in root.get("viewBox").split()]
    page = (float(root.get("width").removesuffix("mm")), float(root.get("height").removesuffix("mm")))
    # One user unit must be one millimetre.
    assert abs(page[0] - vb[2]) < 1e-9 and abs(page[1] - vb[3]) < 1e-9, (page, vb)
    paths = []
    for p in root.findall("s:path", ns):
        d = p.get("d").split()
        assert d[0] == "M" and d[-1] == "Z", "every outline is a closed path"
        assert p.get("fill") == "none"
        pts = [tuple(float(v) for v in xy.split(",")) for xy in d[1:-1]]
        paths.append([(x, -y) for x, y in pts])
    return paths, root.find("s:title", ns).text


def dxf_paths(path):
    doc = ezdxf.readfile(path)
    assert not doc.audit().has_errors
    assert doc.header["$INSUNITS"] == 4, "millimetres"
    paths = {}
    for e in doc.modelspace():
        assert e.dxftype() == "LWPOLYLINE" and e.closed, "closed polylines only"
        paths.setdefault(e.dxf.layer, []).append([(x, y) for x, y in e.vertices()])
    assert set(paths) <= {"COUPLE", "DOUBLAGE"}, paths.keys()
    return paths.get("COUPLE", []) + paths.get("DOUBLAGE", []), len(paths.get("DOUBLAGE", []))


def pdf_page(path):
    """The outlines (mm, page coordinates), the rectangles and the text of a one-page PDF."""
    pages = list(extract_pages(path))
    assert len(pages) == 1
    curves, rects, text = [], [], ""
    for el in pages[0]:
        if isinstance(el, LTRect):
            rects.append(((el.x1 - el.x0) * MM_PER_PT, (el.y1 - el.y0) * MM_PER_PT))
        elif isinstance(el, LTCurve):
            pts = list(el.pts)
            assert pts[0] == pts[-1], "every outline is closed"
            while len(pts) > 1 and pts[-1] == pts[0]:  # the closing line and the closing itself
                pts.pop()
            curves.append([(x * MM_PER_PT, y * MM_PER_PT) for x, y in pts])
        elif isinstance(el, LTTextContainer):
            text += el.get_text().replace("\t", " ")
    return curves, rects, text, pages[0].bbox[2] * MM_PER_PT


def dxf_layers(path):
    """The closed outlines of a DXF file by layer, whether written as AutoCAD 2000
    (LWPOLYLINE) or as R12 (POLYLINE), and its version."""
    doc = ezdxf.readfile(path)
    assert not doc.audit().has_errors
    layers = {}
    for e in doc.modelspace():
        if e.dxftype() == "LWPOLYLINE":
            assert e.closed
            pts = [(x, y) for x, y in e.vertices()]
        elif e.dxftype() == "POLYLINE":
            assert e.is_closed
            pts = [(p[0], p[1]) for p in e.points()]
        else:
            continue
        layers.setdefault(e.dxf.layer, []).append(pts)
    return layers, doc.dxfversion


def arc_point(half, s):
    """The point of the polyline `half` at arc length s (clamped to its ends)."""
    for a, b in zip(half, half[1:]):
        step = math.dist(a, b)
        if s <= step or b is half[-1]:
            t = 0.0 if step == 0 else min(max(s / step, 0.0), 1.0)
            return (a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]))
        s -= step
    return half[-1]


def on_polyline(pt, poly, tol):
    for a, b in zip(poly, poly[1:]):
        ab = (b[0] - a[0], b[1] - a[1])
        n = ab[0] ** 2 + ab[1] ** 2
        t = 0.0 if n == 0 else max(0.0, min(1.0, ((pt[0] - a[0]) * ab[0] + (pt[1] - a[1]) * ab[1]) / n))
        if math.dist(pt, (a[0] + t * ab[0], a[1] + t * ab[1])) <= tol:
            return True
    return False


def angle_deg(u, v):
    cross = u[0] * v[1] - u[1] * v[0]
    dot = u[0] * v[0] + u[1] * v[1]
    return abs(math.degrees(math.atan2(cross, dot)))


def bounds(paths):
    xs = [x for p in paths for x, _ in p]
    ys = [y for p in paths for _, y in p]
    return min(xs), max(xs), min(ys), max(ys)


def inside(pt, polygon):
    """Inside the polygon or on its edge: a half doubling ends on the former's cut line."""
    x, y = pt
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        cross = (x1 - x0) * (y - y0) - (y1 - y0) * (x - x0)
        if abs(cross) < 1e-6 and min(x0, x1) - 1e-6 <= x <= max(x0, x1) + 1e-6 \
                and min(y0, y1) - 1e-6 <= y <= max(y0, y1) + 1e-6:
            return True
    hit = False
    for (x0, y0), (x1, y1) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def real_size(folder, piece, doubling):
    """The real size of `piece`: the drawing's outline, cut along the axes for a half, at the
    former's real scale, the same across and up."""
    actions = ["doubling=on"] if doubling else []
    r = run(folder, *actions, "state=real.json")
    assert r.returncode == 0, r.stderr
    with open(os.path.join(folder, "real.json"), encoding="utf-8") as f:
        state = json.load(f)
    x1, y1 = state["surface"]["X1"], state["surface"]["Y1"]
    pts = state["Courbe_Droite"] + state["Courbe_Gauche"]
    xs = [x - x1 for x, _ in pts]
    ys = [y1 - y for _, y in pts]
    cut = {"entier": (min(xs), max(xs), min(ys), max(ys)),
           "gauche": (min(xs), 0.0, min(ys), max(ys)),
           "droit": (0.0, max(xs), min(ys), max(ys)),
           "haut": (min(xs), max(xs), 0.0, max(ys)),
           "bas": (min(xs), max(xs), min(ys), 0.0)}[piece]
    k = state["realScale"]
    return (cut[1] - cut[0]) * k, (cut[3] - cut[2]) * k


class ExportFiles(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

    def test_each_format_at_the_size_asked(self):
        # format, piece, doubling, typed size ("" keeps the real one), expected size: a number,
        # "real" (the 3-D part's) or "prop" (follows the other side with the real proportions).
        rows = [
            ("svg", "entier", False, "", ("real", "real")),
            ("dxf", "entier", True, "", ("real", "real")),
            ("pdf", "entier", True, "", ("real", "real")),
            ("svg", "gauche", True, "60x-", (60, "prop")),
            ("dxf", "droit", False, "-x150", ("prop", 150)),
            ("pdf", "droit", False, "40.5x-", (40.5, "prop")),
            ("svg", "haut", True, "150x70", (150, 70)),
            ("dxf", "bas", True, "100x50", (100, 50)),
            ("pdf", "haut", True, "180x90", (180, 90)),
        ]
        for fmt, piece, doubling, size, expected in rows:
            with self.subTest(fmt=fmt, piece=piece, doubling=doubling, size=size):
                name = f"{piece}-{int(doubling)}"
                action = f"export={fmt}:{piece}:{name}" + (f":{size}" if size else "")
                r = run(self.dir, *(["doubling=on"] if doubling else []), action)
                self.assertEqual(r.returncode, 0, r.stderr)
                path = os.path.join(self.dir, f"{name}.{fmt.upper()}")
                if "real" in expected or "prop" in expected:
                    rw, rh = real_size(self.dir, piece, doubling)
                    w = {"real": rw, "prop": None}.get(expected[0], expected[0])
                    h = {"real": rh, "prop": None}.get(expected[1], expected[1])
                    w = h * rw / rh if w is None else w
                    h = w * rh / rw if h is None else h
                else:
                    w, h = expected
                self.check_file(fmt, piece, doubling, path, w, h)

    def check_file(self, fmt, piece, doubling, path, w, h):
        if fmt == "svg":
            paths, title = svg_paths(path)
            self.assertIn(f"{w:.2f}".replace(".", ","), title)
            inner = 1 if doubling else 0
        elif fmt == "dxf":
            paths, inner = dxf_paths(path)
        else:
            paths, rects, text, page_w = pdf_page(path)
            inner = 1 if doubling else 0
            squares = [r for r in rects if abs(r[0] - 10) < TOL and abs(r[1] - 10) < TOL]
            self.assertEqual(len(squares), 1, f"the 10 mm check square: {rects}")
            self.assertIn("Carré de contrôle", text)
            self.assertIn(f"Largeur : {w:.2f} mm".replace(".", ","), text)
            self.assertIn("Epaisseur : 5 mm", text)
        self.assertEqual(len(paths), 1 + (1 if doubling else 0))
        self.assertEqual(inner, 1 if doubling else 0)
        x0, x1, y0, y1 = bounds(paths)
        self.assertAlmostEqual(x1 - x0, w, delta=TOL)
        self.assertAlmostEqual(y1 - y0, h, delta=TOL)
        for p in paths:
            for a, b in zip(p, p[1:] + p[:1]):
                self.assertGreater(abs(a[0] - b[0]) + abs(a[1] - b[1]), 1e-6, "no zero-length segment")
        if doubling:
            self.assertTrue(all(inside(q, paths[0]) for q in paths[1]), "the doubling lies inside")
        if fmt == "pdf":
            self.assertAlmostEqual((x0 + x1) / 2, page_w / 2, delta=TOL)  # centred on the sheet
            return
        # Centred on the axes: the whole former about both, a half against its own axis.
        edge = {"entier": (x0 + x1, y0 + y1), "gauche": (x1,), "droit": (x0,), "haut": (y0,),
                "bas": (y1,)}[piece]
        for v in edge:
            self.assertAlmostEqual(v, 0.0, delta=TOL)

    def test_from_the_scanned_plan_to_the_cut_file(self):
        # A plan of 453 x 378 pixels shown one pixel per surface pixel ("Zoom" 100, "Horiz" 650,
        # "Vert" 100: its corner on the surface's), 25.4 / 96 mm each. Its scale bar is 300
        # pixels long and says 200 mm; the former drawn on it is 101.1 x 150 mm.
        mm = 25.4 / 96
        plan = os.path.join(self.dir, "plan.png")
        write_png(plan, 453, 378, lambda x, y: 349 <= y <= 351 and 20 <= x <= 320)
        bar = f"{20 * mm},{350 * mm}:{320 * mm},{350 * mm}:200"
        # Traced with straight lines through the typed points (order 2, every fourth sample
        # on a point): the outline measures what the points say.
        corners = [(0, 75), (25, 75), (50.55, 75), (50.55, 37.5), (50.55, 0), (50.55, -37.5),
                   (50.55, -75), (25, -75), (0, -75)]
        points = [f"point={i}:{x},{y}" for i, (x, y) in enumerate(corners)]
        exports = [f"export={fmt}:entier:traced" for fmt in ("svg", "dxf", "pdf")]
        r = run(self.dir, f"picture={plan}", "tab=masque", "zoom=100", "horiz=650", "vert=100",
                f"calibrate={bar}", "state=calibrated.json", "tab=dessin", "order=2",
                "points=33", *points, *exports, "state=traced.json")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "calibrated.json"), encoding="utf-8") as f:
            calibrated = json.load(f)
        # The clicks reach the handlers in single precision.
        self.assertAlmostEqual(calibrated["realScale"], 200 / (300 * mm), delta=1e-5)
        self.assertTrue(calibrated["calibrated"])
        self.assertIn("Échelle : 1 mm du dessin = 2,520 mm réels", calibrated["status"])
        with open(os.path.join(self.dir, "traced.json"), encoding="utf-8") as f:
            self.assertEqual(json.load(f)["status"],
                             "Couple Entier : 101,10 × 150,00 mm → traced.PDF")
        for fmt in ("svg", "dxf", "pdf"):
            with self.subTest(fmt=fmt):
                path = os.path.join(self.dir, f"traced.{fmt.upper()}")
                if fmt == "svg":
                    paths = svg_paths(path)[0]
                elif fmt == "dxf":
                    paths = dxf_paths(path)[0]
                else:
                    paths = pdf_page(path)[0]
                x0, x1, y0, y1 = bounds(paths)
                self.assertAlmostEqual(x1 - x0, 101.1, delta=0.05)
                self.assertAlmostEqual(y1 - y0, 150.0, delta=0.05)
                self.assertAlmostEqual((x1 - x0) / (y1 - y0), 101.1 / 150.0,
                                       delta=0.001 * 101.1 / 150.0)

    def test_a_piece_larger_than_its_sheet_is_shared_among_sheets(self):
        # 400 x 250 mm on A4 portrait: three sheets side by side, each with its label and its
        # 10 mm check square, the first with the map naming them all.
        r = run(self.dir, "export=pdf:entier:big:400x250")
        self.assertEqual(r.returncode, 0, r.stderr)
        pages = list(extract_pages(os.path.join(self.dir, "big.PDF")))
        self.assertEqual(len(pages), 3)
        for number, page in enumerate(pages, 1):
            label = f"{'ABC'[number - 1]}1"
            with self.subTest(label=label):
                self.assertAlmostEqual(page.bbox[2] * MM_PER_PT, 210, delta=0.5)
                words = " ".join(el.get_text() for el in page
                                 if isinstance(el, LTTextContainer)).split()
                text = " ".join(words)
                # The former's name and real size in the corner of every page.
                self.assertIn(f"{label} page {number} sur 3 F1 — 400,00 × 250,00 mm", text)
                self.assertIn("Largeur : 400,00 mm Hauteur : 250,00 mm", text)
                squares = [el for el in page if isinstance(el, LTRect)
                           and abs((el.x1 - el.x0) * MM_PER_PT - 10) < TOL
                           and abs((el.y1 - el.y0) * MM_PER_PT - 10) < TOL]
                self.assertEqual(len(squares), 1, "the 10 mm check square")
                if number == 1:  # its label and the map's, B1 beside the edge and in the map
                    self.assertEqual([words.count(w) for w in ("A1", "B1", "C1")], [2, 2, 1])

    def test_a_whole_fuselage_traced_turned_and_cut_from_two_sheets(self):
        # Twelve formers traced on one calibrated plan, nose to tail every 50 mm, each its own
        # size (real mm: half width, top, bottom); the skeleton turned in 3-D; then one DXF of
        # 400 x 250 mm sheets: two, as the parts' wood is more than one sheet.
        mm = 25.4 / 96
        plan = os.path.join(self.dir, "plan.png")
        write_png(plan, 453, 378, lambda x, y: 349 <= y <= 351 and 20 <= x <= 320)
        names = [f"F{i}" for i in range(1, 13)]
        traced = []
        for i, k in enumerate([35, 60, 80, 95, 100, 97, 90, 78, 68, 55, 42, 30]):
            w, top, bottom = 0.7 * k, k, 0.8 * k
            shape = [(0, top), (.45 * w, top), (.9 * w, .8 * top), (w, .4 * top), (w, 0),
                     (w, -.4 * bottom), (.9 * w, -.8 * bottom), (.45 * w, -bottom), (0, -bottom)]
            traced += [f"former-new={names[i]}:{50 * i}"] if i else []
            traced += [f"point={j}:{x:.2f},{y:.2f}" for j, (x, y) in enumerate(shape)]
        W, H = 400, 250
        r = run(self.dir, f"picture={plan}", "tab=masque", "zoom=100", "horiz=650", "vert=100",
                f"calibrate={20 * mm},{350 * mm}:{320 * mm},{350 * mm}:200", "tab=dessin",
                *traced, "render3d=part.png", "fuselage=1", "render3d=front.png",
                "orbit=-70,45:left", "render3d=turned.png", f"export-all=dxf:plaques:{W}x{H}",
                "project-save=fuselage", "state=made.json")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "made.json"), encoding="utf-8") as f:
            made = json.load(f)
        self.assertEqual([(f["name"], f["station"]) for f in made["formers"]["list"]],
                         [(n, 50 * i) for i, n in enumerate(names)])
        self.assertTrue(made["calibrated"] and made["view3d"]["fuselage"])
        self.assertRegex(made["status"], r"^2 plaques, \d+ % utilisé → plaques\.DXF$")
        # The state keeps the single part's orbit only: the pictures tell the fuselage and its turn.
        pictures = set()
        for p in ("part.png", "front.png", "turned.png"):
            with open(os.path.join(self.dir, p), "rb") as f:
                pictures.add(f.read())
        self.assertEqual(len(pictures), 3)

        # Each former alone, from the project opened again: the size its part must have.
        r = run(self.dir, "project-open=fuselage.couple",
                *[a for n in names for a in (f"former-select={n}", f"export=dxf:entier:{n}")])
        self.assertEqual(r.returncode, 0, r.stderr)
        alone = {}
        for n in names:
            x0, x1, y0, y1 = bounds(dxf_paths(os.path.join(self.dir, f"{n}.DXF"))[0])
            alone[n] = (x1 - x0, y1 - y0)
        self.assertEqual(len({(round(w), round(h)) for w, h in alone.values()}), 12)

        doc = ezdxf.readfile(os.path.join(self.dir, "plaques.DXF"))
        self.assertFalse(doc.audit().has_errors)
        self.assertEqual(doc.header["$INSUNITS"], 4)
        outlines, labels = {}, {}
        for e in doc.modelspace():
            if e.dxftype() == "TEXT":
                self.assertEqual(e.dxf.layer, "GRAVURE")
                labels[e.dxf.text] = tuple(e.dxf.align_point)[:2]
            else:
                self.assertTrue(e.dxftype() == "LWPOLYLINE" and e.closed)
                outlines.setdefault(e.dxf.layer, []).append([(x, y) for x, y in e.vertices()])
        sheets = outlines.pop("PLAQUE")
        self.assertEqual(len(sheets), 2)
        for k, border in enumerate(sheets):  # side by side, 20 mm apart
            for v, want in zip(bounds([border]), (k * (W + 20), k * (W + 20) + W, 0, H)):
                self.assertAlmostEqual(v, want, delta=TOL)
        self.assertEqual(sorted(outlines), sorted(names))
        self.assertEqual(sorted(labels), sorted(names))
        wood = 0.0
        for n in names:
            with self.subTest(former=n):
                self.assertEqual(len(outlines[n]), 1)
                part = outlines[n][0]
                x0, x1, y0, y1 = bounds([part])
                w, h = alone[n]  # laid out as it is or turned by 90°
                self.assertTrue(any(abs(x1 - x0 - a) < TOL and abs(y1 - y0 - b) < TOL
                                    for a, b in ((w, h), (h, w))), (x1 - x0, y1 - y0, w, h))
                self.assertEqual(sum(all(inside(p, b) for p in part) for b in sheets), 1)
                self.assertTrue(inside(labels[n], part), "the name engraved in the wood")
                wood += abs(sum(xa * yb - xb * ya
                                for (xa, ya), (xb, yb) in zip(part, part[1:] + part[:1]))) / 2
        self.assertGreater(wood, W * H, "more wood than one sheet: both sheets hold parts")
        boxes = [bounds(outlines[n]) for n in names]
        for a, b in itertools.combinations(boxes, 2):  # 5 mm between parts at least
            self.assertTrue(a[1] + 5 <= b[0] + TOL or b[1] + 5 <= a[0] + TOL
                            or a[3] + 5 <= b[2] + TOL or b[3] + 5 <= a[2] + TOL, (a, b))

    def test_notches_measured_in_the_dxf_of_every_former(self):
        # Four formers of their own shapes (real mm: half width, top, bottom), the second at
        # twice the real scale, the third with its doubling (the fourth, made from it, too);
        # stringers (one on the right half
        # only), a crutch slot and a keel slot, the same for the whole fuselage.
        names = ["F1", "F2", "F3", "F4"]
        shapes = [(22, 30, 24), (18, 20, 16), (30, 40, 30), (15, 20, 18)]
        made = []
        for i, (w, top, bottom) in enumerate(shapes):
            shape = [(0, top), (.45 * w, top), (.9 * w, .8 * top), (w, .4 * top), (w, 0),
                     (w, -.4 * bottom), (.9 * w, -.8 * bottom), (.45 * w, -bottom), (0, -bottom)]
            made += [f"former-new={names[i]}:{80 * i}"] if i else []
            made += ["scale=2"] if i == 1 else []
            made += [f"point={j}:{x:.3f},{y:.3f}" for j, (x, y) in enumerate(shape)]
            made += ["doubling=on", "thickness=2"] if i == 2 else []
        table = {"L1": (0.15, 3, 2, True), "L2": (0.38, 2.5, 3, True), "L3": (0.6, 4, 1.5, False),
                 "L4": (0.83, 3, 2.5, True)}
        rows = [f"stringer-add={n}:{p}:{w}:{d}" + ("" if both else ":one")
                for n, (p, w, d, both) in table.items()]
        # The bare formers first, to hold their doubling against the notched ones.
        bare = [a for n in names for a in (f"former-select={n}", f"export=dxf:entier:{n}-bare")]
        exports = [a for k, n in enumerate(names)
                   for a in (f"former-select={n}", f"state={n}.json",
                             f"export=dxf:entier:{n}" + (":r12" if k % 2 else ""))]
        r = run(self.dir, "points=40", "order=4", *made, *bare, *rows, "slot=crutch:0:3:4",
                "slot=keel:4:3", *exports, "state=all.json")
        self.assertEqual(r.returncode, 0, r.stderr)
        with open(os.path.join(self.dir, "all.json"), encoding="utf-8") as f:
            state = json.load(f)
        self.assertEqual([s["name"] for s in state["stringers"]], list(table))
        self.assertEqual(state["stringers"][2]["bothSides"], False)
        self.assertEqual([s["kind"] for s in state["slots"]], ["crutch", "keel"])
        measured = 0
        for k, n in enumerate(names):
            with self.subTest(former=n):
                with open(os.path.join(self.dir, f"{n}.json"), encoding="utf-8") as f:
                    st = json.load(f)
                x1, y1, scale = st["surface"]["X1"], st["surface"]["Y1"], st["realScale"]
                half = [((x - x1) * scale, (y1 - y) * scale) for x, y in st["Courbe_Droite"]]
                notches = next(f["notches"] for f in st["formers"]["list"] if f["name"] == n)
                refused = [x for x in notches if "refused" in x]
                self.assertEqual(refused, [], "every notch fits these formers")
                layers, version = dxf_layers(os.path.join(self.dir, f"{n}.DXF"))
                self.assertEqual(version, "AC1009" if k % 2 else "AC1015")
                (outline,) = layers["COUPLE"]
                # The file is centred on its box: the shift that lays the samples kept on it.
                kept = {(round(x, 6), round(y, 6)) for x, y in outline}
                shift = max(((v[0] - p[0], v[1] - p[1]) for v in outline for p in half[::9]),
                            key=lambda d: sum((round(p[0] + d[0], 6), round(p[1] + d[1], 6)) in kept
                                              for p in half))
                pts = [(x - shift[0], y - shift[1]) for x, y in outline]
                whole = half + [(-x, y) for x, y in reversed(half)]
                # The doubling untouched: the same as the bare former's, where it is drawn.
                bare_layers, _ = dxf_layers(os.path.join(self.dir, f"{n}-bare.DXF"))
                self.assertEqual(len(layers.get("DOUBLAGE", [])), 1 if k >= 2 else 0)
                if k >= 2:
                    bare_outline = bare_layers["COUPLE"][0]
                    bx = (min(x for x, _ in bare_outline) + max(x for x, _ in bare_outline)) / 2
                    by = (min(y for _, y in bare_outline) + max(y for _, y in bare_outline)) / 2
                    bare_shift = (-(min(p[0] for p in whole) + max(p[0] for p in whole)) / 2 + bx,
                                  -(min(p[1] for p in whole) + max(p[1] for p in whole)) / 2 + by)
                    self.assertEqual(len(layers["DOUBLAGE"][0]), len(bare_layers["DOUBLAGE"][0]))
                    for a, b in zip(layers["DOUBLAGE"][0], bare_layers["DOUBLAGE"][0]):
                        self.assertAlmostEqual(a[0] - shift[0], b[0] - bare_shift[0], delta=1e-6)
                        self.assertAlmostEqual(a[1] - shift[1], b[1] - bare_shift[1], delta=1e-6)
                length = sum(math.dist(a, b) for a, b in zip(half, half[1:]))
                by_side = {}
                for x in notches:
                    by_side.setdefault(x["name"], {})[x["side"]] = x
                for name, (place, width, depth, both) in table.items():
                    self.assertEqual(set(by_side[name]), {"droit", "gauche"} if both else {"droit"})
                    # Where the table puts it, by arc length on the unnotched half.
                    c = arc_point(half, place * length)
                    a, b = arc_point(half, place * length - width / 2), arc_point(half, place * length + width / 2)
                    # The right half runs from the top down: inward is its tangent turned right.
                    t = (b[0] - a[0], b[1] - a[1])
                    inward = (t[1] / math.hypot(*t), -t[0] / math.hypot(*t))
                    for side, sign in (("droit", 1), ("gauche", -1)):
                        if side not in by_side[name]:
                            continue
                        cs, ns = (sign * c[0], c[1]), (sign * inward[0], inward[1])
                        told = by_side[name][side]
                        self.assertLess(math.dist(told["centre"], cs), 0.05, (name, side))
                        # The file's bottom corners: depth inward, half a width either way.
                        along = (-ns[1], ns[0])
                        corners = [min(pts, key=lambda v: math.dist(v, (
                            cs[0] + ns[0] * depth + e * along[0] * width / 2,
                            cs[1] + ns[1] * depth + e * along[1] * width / 2))) for e in (-1, 1)]
                        self.assertAlmostEqual(math.dist(*corners), width, delta=0.02, msg=name)
                        mid = ((corners[0][0] + corners[1][0]) / 2, (corners[0][1] + corners[1][1]) / 2)
                        self.assertAlmostEqual(math.dist(mid, cs), depth, delta=0.02, msg=name)
                        for corner in corners:
                            i = pts.index(corner)
                            # Its side: to the neighbour on the outline, along the normal.
                            for j in (i - 1, (i + 1) % len(pts)):
                                if on_polyline(pts[j], whole, 1e-6):
                                    side_dir = (corner[0] - pts[j][0], corner[1] - pts[j][1])
                                    self.assertLess(angle_deg(side_dir, ns), 0.5, (name, side))
                        measured += 1
                # Mirrored exactly: the left half is the right one turned over, but for the
                # notch cut on the right only.
                l3 = by_side["L3"]["droit"]
                right = sorted((round(x, 9), round(y, 9)) for x, y in pts
                               if x > 1e-9 and math.dist((x, y), l3["centre"]) > 6)
                left = sorted((round(-x, 9), round(y, 9)) for x, y in pts
                              if x < -1e-9 and math.dist((-x, y), l3["centre"]) > 6)
                self.assertEqual(right, left)
        self.assertEqual(measured, 4 * 7)

    def test_refusals_keep_the_older_file(self):
        old = os.path.join(self.dir, "old.PDF")
        with open(old, "w") as f:
            f.write("older")
        locked = os.path.join(self.dir, "locked")
        os.mkdir(locked)
        os.chmod(locked, stat.S_IRUSR | stat.S_IXUSR)
        # action, exit status, words of the message
        rows = [
            ("export=pdf:entier:old:3000x-", 1, "pages de 210 × 297 mm, plus que les 25 permises"),
            ("export=svg:entier:locked/a", 1, "Impossible d'enregistrer"),
            ("export=dxf:entier:a:0x5", 2, "hors de l'intervalle"),
            ("export=pdf:entier:a:100x-:a5", 2, "unknown page"),
            ("export=eps:entier:a", 2, "unknown format"),
            ("export=svg:milieu:a", 2, "unknown piece"),
        ]
        for action, status, words in rows:
            with self.subTest(action=action):
                r = run(self.dir, action)
                self.assertEqual(r.returncode, status, r.stderr)
                self.assertIn(words, r.stderr)
        self.assertEqual(open(old).read(), "older")
        self.assertEqual(sorted(os.listdir(self.dir)), ["locked", "old.PDF"])
        self.assertEqual(os.listdir(locked), [])


if __name__ == "__main__":
    unittest.main(verbosity=2)
