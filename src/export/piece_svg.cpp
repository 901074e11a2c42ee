#include "number_text.h"
#include "piece_outline.h"
#include "sheet_layout.h"

namespace {

// Coordinates to a tenth of a micrometre: far below what a cutter resolves.
constexpr int kDecimals = 4;

// Text as XML character data or an attribute's value: the markup characters as entities, and
// what XML may not hold at all (control characters, bytes that are no UTF-8) as "?", so that a
// name never makes the file ill-formed.
void appendEscaped(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const std::size_t n = (c & 0xE0) == 0xC0   ? 2
                                  : (c & 0xF0) == 0xE0 ? 3
                                  : (c & 0xF8) == 0xF0 ? 4
                                                       : 0;
            bool valid = n > 0 && i + n <= text.size();
            for (std::size_t k = 1; valid && k < n; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (valid)
                out.append(text.substr(i, n));
            else
                out += '?';
            i += valid ? n : 1;
            continue;
        }
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
        case '"':
            out += "&quot;";
            break;
        default:
            out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
        }
        ++i;
    }
}

// An XML id made of a name: letters, digits, "-", "_" and "." kept, any other character "_",
// and "_" before a first character that may not start an id.
std::string svgId(std::string_view utf8) {
    std::string id;
    for (const char c : utf8) {
        const bool ascii = (c & 0x80) == 0;
        const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                          (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
        if (kept)
            id += c;
        else if (ascii || (c & 0xC0) == 0xC0) // one "_" per character, not per byte
            id += '_';
    }
    if (id.empty() || !((id[0] >= 'a' && id[0] <= 'z') || (id[0] >= 'A' && id[0] <= 'Z')))
        id.insert(id.begin(), '_');
    return id;
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

std::vector<std::string> sheetsSvg(const SheetLayout& layout) {
    const std::vector<std::string> groups = formerGroupNames(layout, svgId, {"GRAVURE"});
    const double W = layout.sheet.width, H = layout.sheet.height;
    std::vector<std::string> files;
    for (std::size_t k = 0; k < layout.sheets.size(); ++k) {
        const LayoutSheet& sheet = layout.sheets[k];
        std::string s;
        s.reserve(1024 + 24 * 2 * 404 * sheet.parts.size());
        auto num = [&s](double v) { appendNumber(s, v, kDecimals); };
        s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
             "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"";
        num(W);
        s += "mm\" height=\"";
        num(H);
        s += "mm\" viewBox=\"0 0 ";
        num(W);
        s += ' ';
        num(H);
        s += "\">\n<title>Plaque " + std::to_string(k + 1) + " sur " +
             std::to_string(layout.sheets.size()) + "</title>\n";
        // The parts of one former together, in the order they first come on the sheet.
        std::vector<bool> drawn(sheet.parts.size(), false);
        for (std::size_t i = 0; i < sheet.parts.size(); ++i) {
            if (drawn[i])
                continue;
            const std::string& group = groups[sheet.parts[i].part];
            const LayoutPart& first = layout.parts[sheet.parts[i].part];
            s += "<g id=\"" + group +
                 "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"0.025\">\n<title>";
            appendEscaped(s, first.former.empty() ? first.name : first.former);
            s += "</title>\n";
            for (std::size_t j = i; j < sheet.parts.size(); ++j) {
                const PlacedPart& placed = sheet.parts[j];
                if (drawn[j] || groups[placed.part] != group)
                    continue;
                drawn[j] = true;
                for (const PiecePath& path :
                     placedOutline(layout.parts[placed.part].outline, placed).paths) {
                    s += "<path d=\"M";
                    for (const MmPoint& p : path.points) {
                        s += ' ';
                        num(p.x);
                        s += ',';
                        num(H - p.y);
                    }
                    s += " Z\"/>\n";
                }
            }
            s += "</g>\n";
        }
        s += "<g id=\"GRAVURE\" fill=\"#0000FF\" stroke=\"#0000FF\" stroke-width=\"0.025\" "
             "font-family=\"sans-serif\" text-anchor=\"middle\" dominant-baseline=\"central\">\n";
        for (const PlacedPart& placed : sheet.parts) {
            const PartLabel label = partLabel(layout, placed);
            s += "<text x=\"";
            num(label.centre.x);
            s += "\" y=\"";
            num(H - label.centre.y);
            s += "\" font-size=\"";
            num(label.height);
            s += "\">";
            appendEscaped(s, label.text);
            s += "</text>\n";
        }
        s += "</g>\n</svg>\n";
        files.push_back(std::move(s));
    }
    return files;
}
