// The sheets' drawing files as readers that are not ours see them: Debian's ezdxf reads the
// DXF, Python's XML parser the SVGs, and each part must come out where the layout put it, on
// its former's layer or group, its name engraved on "GRAVURE".
#include "sheet_layout.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What the readers find, as JSON: for each DXF (the paths before "--") its version as written,
// the entity types as written, and as ezdxf reads it its header, layers and entities; for each
// SVG its size, groups (id, title, outlines in y-down millimetres) and texts.
constexpr const char* kReader = R"(
import ezdxf, json, sys, xml.etree.ElementTree as ET
from ezdxf.filemanagement import dxf_file_info
from ezdxf.lldxf.tagger import ascii_tags_loader
split = sys.argv.index("--")
out = {"dxfs": [], "svgs": []}
for path in sys.argv[1:split]:
    doc = ezdxf.readfile(path)
    with open(path, encoding="cp1252") as f:
        written = sorted({t.value for t in ascii_tags_loader(f) if t.code == 0})
    dxf = {"version": dxf_file_info(path).version, "written": written,
           "errors": len(doc.audit().errors), "units": doc.header["$INSUNITS"],
           "layers": [l.dxf.name for l in doc.layers], "polylines": [], "texts": []}
    for e in doc.modelspace():
        if e.dxftype() in ("LWPOLYLINE", "POLYLINE"):
            lw = e.dxftype() == "LWPOLYLINE"
            dxf["polylines"].append({"layer": e.dxf.layer, "closed": e.closed if lw else e.is_closed,
                                     "colour": e.dxf.color,
                                     "points": [[p[0], p[1]] for p in (e.vertices() if lw else e.points())]})
        elif e.dxftype() == "TEXT":
            dxf["texts"].append({"layer": e.dxf.layer, "text": e.dxf.text, "height": e.dxf.height,
                                 "at": list(e.dxf.align_point)[:2], "h": e.dxf.halign, "v": e.dxf.valign})
        else:
            dxf["polylines"].append({"layer": "unexpected " + e.dxftype()})
    out["dxfs"].append(dxf)
ns = "{http://www.w3.org/2000/svg}"
for path in sys.argv[split + 1:]:
    root = ET.parse(path).getroot()
    svg = {"width": root.get("width"), "height": root.get("height"), "viewBox": root.get("viewBox"),
           "groups": [], "texts": []}
    for g in root.findall(ns + "g"):
        group = {"id": g.get("id"), "title": g.findtext(ns + "title"), "paths": []}
        for p in g.findall(ns + "path"):
            d = p.get("d").split()
            assert d[0] == "M" and d[-1] == "Z"
            group["paths"].append([[float(v) for v in xy.split(",")] for xy in d[1:-1]])
        for t in g.findall(ns + "text"):
            svg["texts"].append({"group": g.get("id"), "text": t.text, "size": float(t.get("font-size")),
                                 "at": [float(t.get("x")), float(t.get("y"))]})
        svg["groups"].append(group)
    out["svgs"].append(svg)
print(json.dumps(out))
)";

constexpr double kPi = 3.14159265358979323846;

// An ellipse `w` by `h` about the axes with its doubling at half the size, or only its right
// (side 1) or left (side -1) half, `w` wide.
PieceOutline ring(double w, double h, int side) {
    PieceOutline o;
    for (const double k : {1.0, 0.5}) {
        PiecePath path;
        path.doubling = k < 1.0;
        for (int i = 0; i < 36; ++i) {
            const double a = side == 0 ? 2 * kPi * i / 36 : -kPi / 2 + kPi * i / 35;
            const double rx = side == 0 ? w / 2 : side * w;
            path.points.push_back({k * rx * std::cos(a), k * h / 2 * std::sin(a)});
        }
        o.paths.push_back(path);
    }
    o.minX = side == 0 ? -w / 2 : std::min(0.0, side * w);
    o.maxX = side == 0 ? w / 2 : std::max(0.0, side * w);
    o.minY = -h / 2;
    o.maxY = h / 2;
    return o;
}

void expectPoints(const nlohmann::json& got, const std::vector<MmPoint>& want, double dx,
                  double flipH) {
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i) {
        const double y = flipH > 0 ? flipH - want[i].y : want[i].y;
        EXPECT_NEAR(got[i][0].get<double>(), want[i].x + dx, 1e-4);
        EXPECT_NEAR(got[i][1].get<double>(), y, 1e-4);
    }
}

TEST(SheetFiles, DxfAndSvgReadBackWithLayersGroupsAndLabels) {
    const std::vector<LayoutPart> parts = {
        {"F1", ring(160, 180, 0), "", -1},
        {"F2 arrière", ring(120, 150, 0), "", -1},
        {"F3 gauche", ring(70, 170, -1), "F3", 4},
        {"F3 droit", ring(70, 170, 1), "F3", 4},
        {"A/B", ring(60, 40, 0), "", -1},     // no "/" in a layer's name
        {"GRAVURE", ring(70, 60, 0), "", -1}, // a former named as the engraving's layer
        {"x", ring(8, 8, 0), "", -1},         // too small for 5 mm letters
        {"F5 Ω", ring(40, 60, 0), "", -1},    // beyond the DXF's code page
    };
    const SheetLayout layout = layOutParts(parts, {300, 200, 5});
    ASSERT_TRUE(layout.ok()) << layout.error;
    ASSERT_GE(layout.sheets.size(), 2u);

    // The layout and one former alone, each as AutoCAD 2000 and as R12.
    const fs::path dir = fs::temp_directory_path() / ("sheet_files_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::string command = std::string(SYSTEM_PYTHON3) + " -c '" + kReader + "'";
    const PieceOutline& piece = parts[1].outline;
    int written = 0;
    for (const bool sheets : {true, false}) {
        for (const DxfVersion version : {DxfVersion::AutoCad2000, DxfVersion::R12}) {
            const fs::path dxf = dir / (std::to_string(++written) + ".dxf");
            std::ofstream(dxf, std::ios::binary)
                << (sheets ? sheetsDxf(layout, version) : pieceDxf(piece, version));
            command += " " + dxf.string();
        }
    }
    command += " --";
    const std::vector<std::string> svgs = sheetsSvg(layout);
    ASSERT_EQ(svgs.size(), layout.sheets.size());
    for (std::size_t k = 0; k < svgs.size(); ++k) {
        const fs::path svg = dir / ("plaque" + std::to_string(k + 1) + ".svg");
        std::ofstream(svg, std::ios::binary) << svgs[k];
        command += " " + svg.string();
    }
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;)
            text.append(buf, n);
        EXPECT_EQ(pclose(pipe), 0);
    }
    fs::remove_all(dir);
    const nlohmann::json all = nlohmann::json::parse(text, nullptr, false);
    ASSERT_FALSE(all.is_discarded()) << text;
    ASSERT_EQ(all["dxfs"].size(), 4u);

    // Each version as written, both read back as the same drawing: R12 draws its outlines as
    // POLYLINEs and has none of the later versions' block records and objects.
    for (std::size_t i = 0; i < 4; ++i) {
        const nlohmann::json& dxf = all["dxfs"][i];
        const bool r12 = i % 2 == 1;
        SCOPED_TRACE((i < 2 ? "sheets as " : "one former as ") +
                     std::string(r12 ? "R12" : "AutoCAD 2000"));
        EXPECT_EQ(dxf["version"], r12 ? "AC1009" : "AC1015");
        const auto has = [&](const char* type) {
            return std::find(dxf["written"].begin(), dxf["written"].end(), type) !=
                   dxf["written"].end();
        };
        EXPECT_EQ(has("LWPOLYLINE"), !r12);
        EXPECT_EQ(has("POLYLINE") && has("VERTEX") && has("SEQEND"), r12);
        EXPECT_EQ(has("BLOCK_RECORD") || has("DICTIONARY"), !r12);
        EXPECT_EQ(dxf["errors"], 0);
        EXPECT_EQ(dxf["units"], 4) << "millimetres";
        if (r12) {
            for (const char* key : {"layers", "polylines", "texts"})
                EXPECT_EQ(dxf[key], all["dxfs"][i - 1][key]) << key;
        }
    }
    const nlohmann::json& alone = all["dxfs"][2];
    EXPECT_EQ(alone["layers"], nlohmann::json({"0", "COUPLE", "DOUBLAGE", "Defpoints"}));
    ASSERT_EQ(alone["polylines"].size(), piece.paths.size());
    for (std::size_t i = 0; i < piece.paths.size(); ++i) {
        EXPECT_EQ(alone["polylines"][i]["layer"], piece.paths[i].doubling ? "DOUBLAGE" : "COUPLE");
        expectPoints(alone["polylines"][i]["points"], piece.paths[i].points, 0, 0);
    }

    // The layout's drawing, read back alike from both versions.
    const nlohmann::json& read = all["dxfs"][0];
    const std::map<std::string, std::string> layerOf = {
        {"F1", "F1"},   {"F2 arrière", "F2 arrière"}, {"F3 gauche", "F3"}, {"F3 droit", "F3"},
        {"A/B", "A_B"}, {"GRAVURE", "GRAVURE-2"},     {"x", "x"},          {"F5 Ω", "F5 _"}};
    const std::map<std::string, std::string> groupOf = {
        {"F1", "F1"},   {"F2 arrière", "F2_arri_re"}, {"F3 gauche", "F3"}, {"F3 droit", "F3"},
        {"A/B", "A_B"}, {"GRAVURE", "GRAVURE-2"},     {"x", "x"},          {"F5 Ω", "F5__"}};
    for (const char* layer : {"PLAQUE", "GRAVURE", "F1", "F2 arrière", "F3", "A_B", "GRAVURE-2"})
        EXPECT_NE(std::find(read["layers"].begin(), read["layers"].end(), layer),
                  read["layers"].end())
            << layer;

    // Every outline once, where the layout put it, its sheet moved along x in the DXF.
    const double W = layout.sheet.width, H = layout.sheet.height;
    std::size_t polylines = 0, sheetsSeen = 0;
    for (const auto& p : read["polylines"]) {
        EXPECT_TRUE(p["closed"].get<bool>());
        sheetsSeen += p["layer"] == "PLAQUE";
    }
    EXPECT_EQ(sheetsSeen, layout.sheets.size());
    for (std::size_t k = 0; k < layout.sheets.size(); ++k) {
        const double dx = static_cast<double>(k) * (W + kDxfSheetGap);
        const nlohmann::json& svg = all["svgs"][k];
        EXPECT_EQ(svg["width"], std::to_string(static_cast<int>(W)) + "mm");
        EXPECT_EQ(svg["viewBox"], "0 0 300 200");
        std::size_t svgTexts = 0;
        for (const PlacedPart& placed : layout.sheets[k].parts) {
            const LayoutPart& part = layout.parts[placed.part];
            SCOPED_TRACE(part.name);
            const PieceOutline o = placedOutline(part.outline, placed);
            for (const PiecePath& path : o.paths) {
                // The DXF polyline starting at this outline's first point.
                bool found = false;
                for (const auto& p : read["polylines"]) {
                    if (p["layer"] != "PLAQUE" &&
                        std::fabs(p["points"][0][0].get<double>() - path.points[0].x - dx) < 1e-4 &&
                        std::fabs(p["points"][0][1].get<double>() - path.points[0].y) < 1e-4) {
                        found = true;
                        ++polylines;
                        EXPECT_EQ(p["layer"], layerOf.at(part.name));
                        EXPECT_EQ(p["colour"], path.doubling ? 1 : 256) << "the doubling red";
                        expectPoints(p["points"], path.points, dx, 0);
                    }
                }
                EXPECT_TRUE(found);
                found = false;
                for (const auto& g : svg["groups"])
                    for (const auto& p : g["paths"])
                        if (std::fabs(p[0][0].get<double>() - path.points[0].x) < 1e-4 &&
                            std::fabs(p[0][1].get<double>() - (H - path.points[0].y)) < 1e-4) {
                            found = true;
                            EXPECT_EQ(g["id"], groupOf.at(part.name));
                            expectPoints(p, path.points, 0, H);
                        }
                EXPECT_TRUE(found);
            }
            // The name in the ring's wood (the layout's tests check where), 5 mm high unless
            // the ring is too thin.
            const PartLabel label = partLabel(layout, placed);
            if (part.name == "x")
                EXPECT_LT(label.height, 2.0);
            else
                EXPECT_EQ(label.height, 5.0);
            int dxfTexts = 0;
            const std::string dxfName = part.name == "F5 Ω" ? "F5 \\U+03A9" : part.name;
            for (const auto& t : read["texts"])
                if (t["text"] == dxfName) {
                    ++dxfTexts;
                    EXPECT_EQ(t["layer"], "GRAVURE");
                    EXPECT_EQ(t["h"], 1); // centred
                    EXPECT_EQ(t["v"], 2); // middle
                    EXPECT_NEAR(t["at"][0].get<double>(), label.centre.x + dx, 1e-4);
                    EXPECT_NEAR(t["at"][1].get<double>(), label.centre.y, 1e-4);
                    EXPECT_NEAR(t["height"].get<double>(), label.height, 1e-4);
                }
            EXPECT_EQ(dxfTexts, 1);
            for (const auto& t : svg["texts"])
                if (t["text"] == part.name) {
                    ++svgTexts;
                    EXPECT_EQ(t["group"], "GRAVURE");
                    EXPECT_NEAR(t["at"][0].get<double>(), label.centre.x, 1e-4);
                    EXPECT_NEAR(t["at"][1].get<double>(), H - label.centre.y, 1e-4);
                }
        }
        EXPECT_EQ(svgTexts, layout.sheets[k].parts.size());
    }
    EXPECT_EQ(polylines + sheetsSeen, read["polylines"].size()) << "nothing else drawn";
    EXPECT_EQ(read["texts"].size(), parts.size());
}

} // namespace
