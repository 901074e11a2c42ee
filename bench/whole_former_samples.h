#pragma once

#include "outline_sequences.h"

#include <cmath>
#include <vector>

// The whole former with its doubling at 100 samples per half: the largest outline a user can
// save or export.
struct WholeFormerSamples {
    std::vector<PointXYZ> r, l, dr, dl;
    WholeFormerSamples() {
        const int n = 100;
        for (int i = 0; i < n; ++i) {
            const double a = 3.14159265358979 * i / (n - 1);
            r.push_back({60 + 30 * std::sin(a), 50 - 40 * std::cos(a), 0});
            l.push_back({120 - r.back().x, r.back().y, 0});
            dr.push_back({60 + 15 * std::sin(a), 50 - 20 * std::cos(a), 0});
            dl.push_back({120 - dr.back().x, dr.back().y, 0});
        }
    }
    OutlineInput input() const { return {r, l, dr, dl, 100, 50.0, 1}; }
};
