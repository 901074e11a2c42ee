#include "number_text.h"

#include <charconv>

void appendNumber(std::string& out, double v, int decimals) {
    char buf[400]; // the widest finite double in fixed notation
    v += 0.0;      // no "-0"
    char* end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals).ptr;
    if (decimals > 0) {
        while (end[-1] == '0') {
            --end;
        }
        if (end[-1] == '.') {
            --end;
        }
    }
    if (end - buf == 2 && buf[0] == '-' && buf[1] == '0') {
        out += '0'; // a tiny negative value rounded to nothing
        return;
    }
    out.append(buf, end);
}
