#include "couple_export.h"

#include "safe_file_writer.h"

#include <charconv>
#include <cmath>
#include <string_view>
#include <vector>

void appendCoordinate(std::string& out, double v) {
    // to_chars never looks at a locale, so no comma or grouping can slip in. The widest finite
    // double in fixed notation needs 309 integer digits.
    char buf[400];
    v += 0.0; // a negative zero is written as 0.0000000
    const auto res = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 7);
    out.append(buf, res.ptr);
}

std::string formatCoordinate(double v) {
    std::string s;
    appendCoordinate(s, v);
    return s;
}

CoupleText coupleFileText(const OutlineInput& in, int code) {
    CoupleText result;
    const std::optional<Piece> piece = pieceFromSaveCode(code);
    if (!piece) {
        result.error = "pièce du couple inconnue (" + std::to_string(code) + ")";
        return result;
    }
    const std::vector<SequencePoint> seq = outlineSequence(in, *piece);
    if (seq.empty()) {
        result.error = "le contour du couple n'est pas calculé";
        return result;
    }
    std::string& text = result.text;
    text.reserve(seq.size() * 24 + 24);
    std::string firstLine;
    std::string firstY;
    std::string y;
    for (const SequencePoint& p : seq) {
        if (!p.present) {
            result = {{}, "le contour du couple n'est pas calculé"};
            return result;
        }
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
            result = {{}, "le contour du couple contient des points invalides"};
            return result;
        }
        const std::size_t lineStart = text.size();
        appendCoordinate(text, p.x);
        text += ' ';
        y.clear();
        appendCoordinate(y, p.y);
        if (lineStart == 0) {
            firstY = y;
        } else if (p.junction && y != firstY) {
            y = firstY;
        }
        text += y;
        text += "\r\n";
        if (lineStart == 0) {
            firstLine = text;
        }
    }
    const bool doubling = in.doublingOn == 1;
    if (*piece == Piece::Left || (doubling && (*piece == Piece::Top || *piece == Piece::Bottom))) {
        text += firstLine;
    }
    return result;
}

std::string saveCoupleFile(const std::string& path, const OutlineInput& in, int code) {
    const CoupleText t = coupleFileText(in, code);
    if (!t.ok()) {
        return writeFailureMessage(path, t.error);
    }
    return writeFileSafely(path, t.text);
}
