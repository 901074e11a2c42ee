"""The notches of every former measured in its DXF file by a reader that is not ours (ezdxf):
each at its place on the outline, of its width and depth, its sides along the outline's inward
normal, written as AutoCAD 2000 or as R12."""

import json
import math
import os
import subprocess
import tempfile
import unittest

import ezdxf

CLI = os.environ.get("COUPLES_CLI", "couples-cli")


def run(folder, *actions):
    return subprocess.run([CLI, *actions], cwd=folder, capture_output=True, text=True,
                          env=dict(os.environ, QT_QPA_PLATFORM="offscreen"), timeout=60)


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


class NotchesInDxf(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.dir = self.tmp.name

    def tearDown(self):
        self.tmp.cleanup()

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


if __name__ == "__main__":
    unittest.main(verbosity=2)
