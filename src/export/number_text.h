#pragma once

#include <string>

// Appends `v` with at most `decimals` decimals, trailing zeros dropped, a point as decimal
// separator whatever the locale: drawing files are read by programs, not people.
void appendNumber(std::string& out, double v, int decimals);
