#include "decimal_text.h"

#include <cmath>

#include <charconv>
#include <cstddef>
#include <system_error>

namespace {

// The length of the blank (a space that may group digits) at the start of `s`, 0 when none.
std::size_t blankAt(std::string_view s) {
    if (s.empty())
        return 0;
    if (s[0] == ' ' || s[0] == '\t')
        return 1;
    for (std::string_view blank : {"\u00A0", "\u202F", "\u2009"}) {
        if (s.substr(0, blank.size()) == blank)
            return blank.size();
    }
    return 0;
}

std::string_view trimmed(std::string_view s) {
    while (std::size_t n = blankAt(s))
        s.remove_prefix(n);
    for (bool cut = true; cut;) {
        cut = false;
        for (std::size_t k = 1; k <= 3 && k <= s.size(); ++k) {
            if (blankAt(s.substr(s.size() - k)) == k) {
                s.remove_suffix(k);
                cut = true;
                break;
            }
        }
    }
    return s;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string quoted(std::string_view typed) {
    return "« " + std::string(typed) + " »";
}

std::string interval(const DecimalRule& rule) {
    return "l'intervalle " + frenchNumber(rule.min) + ".." + frenchNumber(rule.max);
}

std::string outOfRange(const DecimalRule& rule) {
    return "valeur hors de " + interval(rule);
}

DecimalReading refused(std::string reason) {
    return {std::nullopt, std::move(reason)};
}

// "1e3", "2,5E-2": a number written with an exponent, which the boxes do not read.
bool hasExponent(std::string_view s) {
    const std::size_t e = s.find_first_of("eE");
    if (e == std::string_view::npos || e == 0)
        return false;
    for (char c : s.substr(0, e)) {
        if (!isDigit(c) && c != ',' && c != '.')
            return false;
    }
    std::string_view power = s.substr(e + 1);
    if (!power.empty() && (power[0] == '+' || power[0] == '-'))
        power.remove_prefix(1);
    if (power.empty())
        return false;
    for (char c : power) {
        if (!isDigit(c))
            return false;
    }
    return true;
}

} // namespace

DecimalReading readDecimal(std::string_view typed, const DecimalRule& rule) {
    const std::string_view text = trimmed(typed);
    if (text.empty())
        return refused("aucun nombre tapé");
    std::string_view s = text;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }

    // 1. Only digits, separators and blanks.
    int separators = 0;
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = blankAt(s.substr(i))) {
            i += n;
            continue;
        }
        if (s[i] == ',' || s[i] == '.')
            ++separators;
        else if (!isDigit(s[i]))
            return refused(quoted(text) + (hasExponent(s) ? " : pas d'exposant, tapez le nombre "
                                                            "en chiffres"
                                                          : " n'est pas un nombre"));
        ++i;
    }
    if (separators > 1)
        return refused(quoted(text) + " : un seul séparateur décimal, « , » ou « . »");

    // 2. The digits before the separator, grouped by three when blanks split them, and after it.
    std::string digits; // as the C locale reads them: "1011.5"
    bool fraction = false;
    int groups = 0;
    int groupLength = 0;
    bool grouped = false;
    const std::string badBlanks =
        quoted(text) + " : les espaces ne peuvent que grouper les chiffres par trois avant la "
                       "virgule (1 011,5)";
    for (std::size_t i = 0; i < s.size();) {
        if (const std::size_t n = blankAt(s.substr(i))) {
            // Between two digits of the integer part, closing a group.
            if (fraction || groupLength == 0 || groupLength > 3 ||
                (groups > 0 && groupLength != 3) || i + n >= s.size() || !isDigit(s[i + n]))
                return refused(badBlanks);
            ++groups;
            groupLength = 0;
            grouped = true;
            i += n;
            continue;
        }
        if (s[i] == ',' || s[i] == '.') {
            if (grouped && groupLength != 3)
                return refused(badBlanks);
            fraction = true;
            digits += '.';
        } else {
            digits += s[i];
            if (!fraction)
                ++groupLength;
        }
        ++i;
    }
    if (grouped && !fraction && groupLength != 3)
        return refused(badBlanks);
    if (digits.find_first_of("0123456789") == std::string::npos)
        return refused(quoted(text) + " n'est pas un nombre");

    // 3. The value, and the rule's sign and range.
    double value = 0.0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                              std::chars_format::fixed);
    if (error == std::errc::result_out_of_range)
        return refused(quoted(text) + " : " + outOfRange(rule));
    if (error != std::errc() || end != digits.data() + digits.size())
        return refused(quoted(text) + " n'est pas un nombre");
    if (text[0] == '+' || text[0] == '-') {
        if (!rule.signAllowed && negative && value != 0.0)
            return refused(quoted(text) + " : valeur négative, hors de " + interval(rule));
        if (!rule.signAllowed)
            return refused(quoted(text) + " : tapez le nombre sans signe");
    }
    value = negative ? -value : value;
    value += 0.0; // no "-0"
    if (!(value >= rule.min && value <= rule.max))
        return refused(quoted(text) + " : " + outOfRange(rule));
    if (rule.wholeOnly && value != std::floor(value))
        return refused(quoted(text) + " n'est pas un nombre entier");
    return {value, {}};
}

std::string frenchNumber(double v) {
    char buf[400]; // the widest finite double in fixed notation
    v += 0.0;
    const char* end = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed).ptr;
    std::string s(static_cast<const char*>(buf), end);
    if (const std::size_t point = s.find('.'); point != std::string::npos)
        s[point] = ',';
    return s;
}
