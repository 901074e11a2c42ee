#include "number_text.h"
#include "piece_outline.h"
#include "sheet_layout.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

namespace {

// dxflib writes through DL_WriterA, which owns a file stream. Its output calls are virtual, so
// this writer collects the text instead, and the file goes through the safe writer like every
// other. Numbers are written here without the C library's locale, which may want a comma.
class TextDxfWriter : public DL_WriterA {
public:
    TextDxfWriter(std::string& text, DL_Codes::version version)
        : DL_WriterA("", version), text_(text) {}

    void dxfReal(int gc, double value) const override {
        code(gc);
        appendNumber(text_, value, 6); // a nanometre
        text_ += '\n';
    }
    void dxfInt(int gc, int value) const override {
        code(gc);
        text_ += std::to_string(value);
        text_ += '\n';
    }
    void dxfHex(int gc, int value) const override {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(value));
        dxfString(gc, buf);
    }
    void dxfString(int gc, const char* value) const override {
        code(gc);
        text_ += value;
        text_ += '\n';
    }
    void dxfString(int gc, const std::string& value) const override {
        dxfString(gc, value.c_str());
    }

private:
    void code(int gc) const {
        // Group codes right-aligned on three characters, as drawing programs write them.
        const std::string c = std::to_string(gc);
        text_.append(c.size() < 3 ? 3 - c.size() : 0, ' ');
        text_ += c;
        text_ += '\n';
    }
    std::string& text_;
};

constexpr const char* kOutlineLayer = "COUPLE";
constexpr const char* kDoublingLayer = "DOUBLAGE";
constexpr const char* kSheetLayer = "PLAQUE";
constexpr const char* kEngravingLayer = "GRAVURE";

// DXF colour numbers.
constexpr int kWhite = 7; // black on a white background
constexpr int kRed = 1;
constexpr int kBlue = 5;
constexpr int kGrey = 8;

struct DxfLayer {
    std::string name;
    int colour;
};

// A whole drawing in millimetres with these layers, its entities written by `entities`.
template <class Entities>
std::string dxfDrawing(DxfVersion version, MmPoint min, MmPoint max,
                       const std::vector<DxfLayer>& layers, std::size_t reserve,
                       Entities&& entities) {
    const DL_Codes::version code = version == DxfVersion::R12 ? DL_Codes::AC1009 : DL_Codes::AC1015;
    const bool r12 = code == DL_Codes::AC1009;
    std::string text;
    text.reserve(reserve);
    TextDxfWriter dw(text, code);
    DL_Dxf dxf;
    // dxflib takes the version only where it opens a file of its own: one that cannot be opened
    // sets it all the same, and writes nothing.
    delete dxf.out("", code);

    dxf.writeHeader(dw);
    dw.dxfString(9, "$DWGCODEPAGE");
    dw.dxfString(3, "ANSI_1252");
    dw.dxfString(9, "$INSUNITS");
    dw.dxfInt(70, 4); // millimetres
    dw.dxfString(9, "$MEASUREMENT");
    dw.dxfInt(70, 1); // metric
    dw.dxfString(9, "$EXTMIN");
    dw.dxfReal(10, min.x);
    dw.dxfReal(20, min.y);
    dw.dxfReal(30, 0.0);
    dw.dxfString(9, "$EXTMAX");
    dw.dxfReal(10, max.x);
    dw.dxfReal(20, max.y);
    dw.dxfReal(30, 0.0);
    dw.sectionEnd();

    dw.sectionTables();
    dxf.writeVPort(dw);
    dw.tableLinetypes(r12 ? 1 : 3); // R12 has BYBLOCK and BYLAYER built in: dxflib skips them
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(static_cast<int>(layers.size()) + 1);
    dxf.writeLayer(dw, DL_LayerData("0", 0), DL_Attributes("", kWhite, 0, "CONTINUOUS", 1.0));
    for (const DxfLayer& layer : layers)
        dxf.writeLayer(dw, DL_LayerData(layer.name, 0),
                       DL_Attributes("", layer.colour, 0, "CONTINUOUS", 1.0));
    dw.tableEnd();
    dw.tableStyle(1);
    dxf.writeStyle(dw, DL_StyleData("Standard", 0, 0.0, 1.0, 0.0, 0, 2.5, "txt", ""));
    dw.tableEnd();
    dxf.writeView(dw);
    dxf.writeUcs(dw);
    dw.tableAppid(1);
    dxf.writeAppid(dw, "ACAD");
    dw.tableEnd();
    dxf.writeDimStyle(dw, 2.5, 0.625, 0.625, 0.625, 2.5);
    // R12 knows no block records, no layout blocks and no objects: dxflib leaves those to us.
    if (!r12) {
        dxf.writeBlockRecord(dw);
        dw.tableEnd();
    }
    dw.sectionEnd();

    dw.sectionBlocks();
    if (!r12) {
        dxf.writeBlock(dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, "*Model_Space");
        dxf.writeBlock(dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, "*Paper_Space");
        dxf.writeBlock(dw, DL_BlockData("*Paper_Space0", 0, 0.0, 0.0, 0.0));
        dxf.writeEndBlock(dw, "*Paper_Space0");
    }
    dw.sectionEnd();

    dw.sectionEntities();
    entities(dxf, dw);
    dw.sectionEnd();

    if (!r12) {
        dxf.writeObjects(dw);
        dxf.writeObjectsEnd(dw);
    }
    dw.dxfEOF();
    return text;
}

// One closed polyline through `points`, moved by `shift` along x.
void writeOutline(DL_Dxf& dxf, DL_WriterA& dw, const std::vector<MmPoint>& points, double shift,
                  const DL_Attributes& attributes) {
    dxf.writePolyline(dw, DL_PolylineData(static_cast<int>(points.size()), 0, 0, 1 /* closed */),
                      attributes);
    for (const MmPoint& p : points)
        dxf.writeVertex(dw, DL_VertexData(p.x + shift, p.y, 0.0, 0.0));
    dxf.writePolylineEnd(dw);
}

// The byte of a character in Windows-1252, the code page these files declare, or 0. Latin-1's
// upper half is its own; the rest holds "œ", "’", "€" and other signs French writes with.
unsigned char windows1252(char32_t cp) {
    if (cp >= 0xA0 && cp <= 0xFF)
        return static_cast<unsigned char>(cp);
    static constexpr std::pair<char32_t, unsigned char> kUpper[] = {
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85},
        {0x2020, 0x86}, {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A},
        {0x2039, 0x8B}, {0x0152, 0x8C}, {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92},
        {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95}, {0x2013, 0x96}, {0x2014, 0x97},
        {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B}, {0x0153, 0x9C},
        {0x017E, 0x9E}, {0x0178, 0x9F}};
    for (const auto& [c, byte] : kUpper)
        if (c == cp)
            return byte;
    return 0;
}

// A UTF-8 name as a string of these files, which are in Windows-1252: other characters of a
// text as "\U+2708", which drawing programs show as the character; control characters (which
// would break the file's lines) and bytes that are no UTF-8 as "?". A layer's name has "_"
// for all these and for the characters layers may not hold: <>/\":;?*|=`,
std::string dxfString(std::string_view utf8, bool layer) {
    std::string out;
    const char unfit = layer ? '_' : '?';
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) {
            const bool control = c < 0x20 || c == 0x7F;
            const bool forbidden = std::string_view("<>/\\\":;?*|=`,").find(static_cast<char>(c)) !=
                                   std::string_view::npos;
            out += control || (layer && forbidden) ? unfit : static_cast<char>(c);
            ++i;
            continue;
        }
        const int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
        char32_t cp = c & (extra == 1 ? 0x1F : extra == 2 ? 0x0F : 0x07);
        bool valid = extra > 0 && i + static_cast<std::size_t>(extra) < utf8.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto d = static_cast<unsigned char>(utf8[i + static_cast<std::size_t>(k)]);
            valid = (d & 0xC0) == 0x80;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (!valid || cp < 0x80 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) {
            out += unfit;
            ++i;
            continue;
        }
        i += static_cast<std::size_t>(extra) + 1;
        if (const unsigned char byte = windows1252(cp)) {
            out += static_cast<char>(byte);
        } else if (layer || cp > 0xFFFF) {
            out += unfit;
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "\\U+%04X", static_cast<unsigned>(cp));
            out += buf;
        }
    }
    return out;
}

std::string dxfLayerName(std::string_view utf8) {
    const std::string name = dxfString(utf8, true);
    return name.empty() ? std::string(kOutlineLayer) : name;
}

} // namespace

std::string pieceDxf(const PieceOutline& outline, DxfVersion version) {
    // The former in the drawing colour, the doubling in red: a cutter can give each its pass.
    return dxfDrawing(version, {outline.minX, outline.minY}, {outline.maxX, outline.maxY},
                      {{kOutlineLayer, kWhite}, {kDoublingLayer, kRed}}, 4096 + 40 * 2 * 404,
                      [&](DL_Dxf& dxf, DL_WriterA& dw) {
                          for (const PiecePath& path : outline.paths) {
                              writeOutline(
                                  dxf, dw, path.points, 0.0,
                                  DL_Attributes(path.doubling ? kDoublingLayer : kOutlineLayer, 256,
                                                -1, "BYLAYER", 1.0));
                          }
                      });
}

std::string sheetsDxf(const SheetLayout& layout, DxfVersion version) {
    const std::vector<std::string> formers =
        formerGroupNames(layout, dxfLayerName, {"0", kSheetLayer, kEngravingLayer, "DEFPOINTS"});
    std::vector<DxfLayer> layers{{kSheetLayer, kGrey}};
    for (const std::string& name : formers) {
        if (std::none_of(layers.begin(), layers.end(),
                         [&](const DxfLayer& l) { return l.name == name; }))
            layers.push_back({name, kWhite});
    }
    layers.push_back({kEngravingLayer, kBlue});

    const double W = layout.sheet.width, H = layout.sheet.height;
    const double step = W + kDxfSheetGap;
    const double n = static_cast<double>(layout.sheets.size());
    std::size_t points = 0;
    for (const LayoutPart& part : layout.parts)
        for (const PiecePath& path : part.outline.paths)
            points += path.points.size();
    return dxfDrawing(
        version, {0.0, 0.0}, {n * step - kDxfSheetGap, H}, layers,
        8192 + 40 * points + 400 * layers.size(), [&](DL_Dxf& dxf, DL_WriterA& dw) {
            for (std::size_t k = 0; k < layout.sheets.size(); ++k) {
                const double shift = static_cast<double>(k) * step;
                writeOutline(dxf, dw, {{0.0, 0.0}, {W, 0.0}, {W, H}, {0.0, H}}, shift,
                             DL_Attributes(kSheetLayer, 256, -1, "BYLAYER", 1.0));
                for (const PlacedPart& placed : layout.sheets[k].parts) {
                    const PieceOutline o = placedOutline(layout.parts[placed.part].outline, placed);
                    const std::string& layer = formers[placed.part];
                    for (const PiecePath& path : o.paths)
                        writeOutline(
                            dxf, dw, path.points, shift,
                            DL_Attributes(layer, path.doubling ? kRed : 256, -1, "BYLAYER", 1.0));
                }
                for (const PlacedPart& placed : layout.sheets[k].parts) {
                    const PartLabel label = partLabel(layout, placed);
                    const double x = label.centre.x + shift, y = label.centre.y;
                    // Centred horizontally and vertically on its point.
                    dxf.writeText(dw,
                                  DL_TextData(x, y, 0.0, x, y, 0.0, label.height, 1.0, 0, 1, 2,
                                              dxfString(label.text, false), "Standard", 0.0),
                                  DL_Attributes(kEngravingLayer, 256, -1, "BYLAYER", 1.0));
                }
            }
        });
}
