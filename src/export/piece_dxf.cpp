#include "number_text.h"
#include "piece_outline.h"

#include <dl_dxf.h>
#include <dl_writer_ascii.h>

namespace {

// dxflib writes through DL_WriterA, which owns a file stream. Its output calls are virtual, so
// this writer collects the text instead, and the file goes through the safe writer like every
// other. Numbers are written here without the C library's locale, which may want a comma.
class TextDxfWriter : public DL_WriterA {
public:
    explicit TextDxfWriter(std::string& text) : DL_WriterA("", DL_Codes::AC1015), text_(text) {}

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

} // namespace

std::string pieceDxf(const PieceOutline& outline) {
    std::string text;
    text.reserve(4096 + 40 * 2 * 404);
    TextDxfWriter dw(text);
    DL_Dxf dxf;

    dxf.writeHeader(dw);
    dw.dxfString(9, "$INSUNITS");
    dw.dxfInt(70, 4); // millimetres
    dw.dxfString(9, "$MEASUREMENT");
    dw.dxfInt(70, 1); // metric
    dw.dxfString(9, "$EXTMIN");
    dw.dxfReal(10, outline.minX);
    dw.dxfReal(20, outline.minY);
    dw.dxfReal(30, 0.0);
    dw.dxfString(9, "$EXTMAX");
    dw.dxfReal(10, outline.maxX);
    dw.dxfReal(20, outline.maxY);
    dw.dxfReal(30, 0.0);
    dw.sectionEnd();

    dw.sectionTables();
    dxf.writeVPort(dw);
    dw.tableLinetypes(3);
    dxf.writeLinetype(dw, DL_LinetypeData("BYBLOCK", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("BYLAYER", "", 0, 0, 0.0));
    dxf.writeLinetype(dw, DL_LinetypeData("CONTINUOUS", "Solid line", 0, 0, 0.0));
    dw.tableEnd();
    dw.tableLayers(3);
    dxf.writeLayer(dw, DL_LayerData("0", 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    // The former in the drawing colour, the doubling in red: a cutter can give each its pass.
    dxf.writeLayer(dw, DL_LayerData(kOutlineLayer, 0), DL_Attributes("", 7, 0, "CONTINUOUS", 1.0));
    dxf.writeLayer(dw, DL_LayerData(kDoublingLayer, 0), DL_Attributes("", 1, 0, "CONTINUOUS", 1.0));
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
    dxf.writeBlockRecord(dw);
    dw.tableEnd();
    dw.sectionEnd();

    dw.sectionBlocks();
    dxf.writeBlock(dw, DL_BlockData("*Model_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, "*Model_Space");
    dxf.writeBlock(dw, DL_BlockData("*Paper_Space", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, "*Paper_Space");
    dxf.writeBlock(dw, DL_BlockData("*Paper_Space0", 0, 0.0, 0.0, 0.0));
    dxf.writeEndBlock(dw, "*Paper_Space0");
    dw.sectionEnd();

    dw.sectionEntities();
    for (const PiecePath& path : outline.paths) {
        const int count = static_cast<int>(path.points.size());
        const DL_Attributes attributes(path.doubling ? kDoublingLayer : kOutlineLayer, 256, -1,
                                       "BYLAYER", 1.0);
        dxf.writePolyline(dw, DL_PolylineData(count, 0, 0, 1 /* closed */), attributes);
        for (const MmPoint& p : path.points) {
            dxf.writeVertex(dw, DL_VertexData(p.x, p.y, 0.0, 0.0));
        }
        dxf.writePolylineEnd(dw);
    }
    dw.sectionEnd();

    dxf.writeObjects(dw);
    dxf.writeObjectsEnd(dw);
    dw.dxfEOF();
    return text;
}
