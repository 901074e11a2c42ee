#include "decimal_text.h"

#include <gtest/gtest.h>

#include <clocale>

namespace {

// What a user may type in a box of 0,01..10000 mm, or of -1000..1500 with a sign: the value
// read, or the words of the reason. The desktop's language must change nothing.
TEST(DecimalText, TypedTextsUnderEveryLocale) {
    const DecimalRule size{0.01, 10000.0, false};
    const DecimalRule offset{-1000.0, 1500.0, true};
    const struct {
        std::string typed;
        const DecimalRule& rule;
        double value; // read when no reason is expected
        const char* reason;
    } rows[] = {
        {"101,1", size, 101.1, nullptr},
        {"101.1", size, 101.1, nullptr},
        {"1 011,5", size, 1011.5, nullptr},
        {"1\u00A0011,5", size, 1011.5, nullptr},
        {"1\u202F011.25", size, 1011.25, nullptr},
        {"  42  ", size, 42.0, nullptr},
        {",5", size, 0.5, nullptr},
        {"7.", size, 7.0, nullptr},
        {"10000", size, 10000.0, nullptr},
        {"-5", offset, -5.0, nullptr},
        {"+12,5", offset, 12.5, nullptr},
        {"1,2,3", size, 0, "« 1,2,3 » : un seul séparateur décimal"},
        {"1.011,5", size, 0, "un seul séparateur décimal"},
        {"abc", size, 0, "« abc » n'est pas un nombre"},
        {"12mm", size, 0, "n'est pas un nombre"},
        {"0x10", size, 0, "n'est pas un nombre"},
        {"inf", size, 0, "n'est pas un nombre"},
        {",", size, 0, "n'est pas un nombre"},
        {"", size, 0, "aucun nombre tapé"},
        {" \u00A0", size, 0, "aucun nombre tapé"},
        {"-5", size, 0, "« -5 » : valeur négative, hors de l'intervalle 0,01..10000"},
        {"+5", size, 0, "sans signe"},
        {"1e3", size, 0, "pas d'exposant"},
        {"2,5E-2", size, 0, "pas d'exposant"},
        {"0", size, 0, "valeur hors de l'intervalle 0,01..10000"},
        {"10000,01", size, 0, "hors de l'intervalle"},
        {"1" + std::string(400, '0'), size, 0, "hors de l'intervalle"},
        {"-1000,5", offset, 0, "hors de l'intervalle -1000..1500"},
        {"1234 567", size, 0, "par trois"},
        {"12 34", size, 0, "par trois"},
        {"1 234 5", size, 0, "par trois"},
        {"1  234", size, 0, "par trois"},
        {"1,234 5", size, 0, "par trois"},
        {"- 5", offset, 0, "par trois"},
    };
    for (const char* locale : {"C.UTF-8", "fr_FR.UTF-8", "en_US.UTF-8"}) {
        if (!std::setlocale(LC_ALL, locale)) {
            ADD_FAILURE() << locale << " is not generated here (scripts/install-deps.sh does it)";
            continue;
        }
        for (const auto& row : rows) {
            SCOPED_TRACE(std::string(locale) + " typed \"" + row.typed.substr(0, 20) + "\"");
            const DecimalReading r = readDecimal(row.typed, row.rule);
            if (!row.reason) {
                ASSERT_TRUE(r.ok()) << r.reason;
                EXPECT_EQ(*r.value, row.value);
                EXPECT_EQ(r.reason, "");
            } else {
                EXPECT_FALSE(r.ok()) << *r.value;
                EXPECT_NE(r.reason.find(row.reason), std::string::npos) << r.reason;
            }
        }
    }
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(frenchNumber(0.01), "0,01");
    EXPECT_EQ(frenchNumber(-0.0), "0");
    EXPECT_EQ(frenchNumber(1e22), "10000000000000000000000");
}

} // namespace
