#include "number_text.h"
#include "piece_outline.h"

namespace {

// Coordinates to a tenth of a micrometre: far below what a cutter resolves.
constexpr int kDecimals = 4;

void appendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
}

} // namespace

std::string pieceSvg(const PieceOutline& outline, std::string_view title) {
    std::string s;
    s.reserve(256 + 24 * 2 * 404);
    auto num = [&s](double v) { appendNumber(s, v, kDecimals); };
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
    num(outline.width());
    s += "mm\" height=\"";
    num(outline.height());
    // One user unit is one millimetre; SVG's y runs down, so the top of the piece is -maxY.
    s += "mm\" viewBox=\"";
    num(outline.minX);
    s += ' ';
    num(-outline.maxY);
    s += ' ';
    num(outline.width());
    s += ' ';
    num(outline.height());
    s += "\">\n<title>";
    appendEscaped(s, title);
    s += "</title>\n";
    for (const PiecePath& path : outline.paths) {
        s += path.doubling ? "<path id=\"doublage\"" : "<path id=\"couple\"";
        s += " fill=\"none\" stroke=\"#000000\" stroke-width=\"0.025\" d=\"M";
        for (const MmPoint& p : path.points) {
            s += ' ';
            num(p.x);
            s += ',';
            num(-p.y);
        }
        s += " Z\"/>\n";
    }
    s += "</svg>\n";
    return s;
}
