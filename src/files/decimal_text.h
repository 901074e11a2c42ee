#pragma once

#include <optional>
#include <string>
#include <string_view>

// A number the user types in a box, read the same whatever the desktop's language: "," and "."
// are both the decimal separator, spaces (normal, non-breaking, thin or narrow) may group the
// digits before it by three ("1 011,5"). Anything else is refused with a French reason, so a
// box never takes a number its text does not say.

struct DecimalRule {
    double min = 0.0;
    double max = 0.0;
    bool signAllowed = false; // a leading "+" or "-", for boxes whose range holds negatives
    bool wholeOnly = false;   // a count: no decimals
};

struct DecimalReading {
    std::optional<double> value; // the number, within the rule's range
    std::string reason;          // why it is refused ("« 1,2,3 » : ..."), empty when accepted
    bool ok() const { return value.has_value(); }
};

// Reads `typed` (UTF-8; blanks around it are ignored). Refused: empty text, letters, an
// exponent ("1e3"), several separators ("1,2,3"), spaces that do not group by three or stand
// after the separator, a sign where the rule has none ("-5": the reason names the range), and
// values outside [min, max] ("valeur hors de l'intervalle 0,01..10000").
DecimalReading readDecimal(std::string_view typed, const DecimalRule& rule);

// "0,01", "10000", "-2,5": a number in messages, with the fewest digits that say it exactly
// and a decimal comma.
std::string frenchNumber(double v);
