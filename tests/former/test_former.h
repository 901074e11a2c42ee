#pragma once

#include "outline_sequences.h"

#include <vector>

// A five-sample former (N = 5, M = 2) laid out in output units so the expected file text can be
// read off by hand: axis X1 at x = 2, the horizontal axis Y1 at drawing y 50, the middle samples
// exactly on that axis. The doubling is the former scaled by 0.5 about the axes' intersection.
//
//   R:  (2, 2)  (3, 1)    (3.5, 0)   (3, -1)    (2, -2)      L: mirror about x = 2
//   DR: (2, 1)  (2.5, .5) (2.75, 0)  (2.5, -.5) (2, -1)      DL: mirror of DR
struct TestFormer {
    static constexpr double Y1 = 50.0;
    std::vector<PointXYZ> R, L, DR, DL;

    static PointXYZ drawing(double x, double h) {
        return {x * outputUnit, Y1 - h * outputUnit, 0.0};
    }

    TestFormer() {
        const double xs[] = {2, 3, 3.5, 3, 2};
        const double hs[] = {2, 1, 0, -1, -2};
        for (int i = 0; i < 5; ++i) {
            R.push_back(drawing(xs[i], hs[i]));
            L.push_back(drawing(4 - xs[i], hs[i]));
            DR.push_back(drawing(2 + (xs[i] - 2) / 2, hs[i] / 2));
            DL.push_back(drawing(2 - (xs[i] - 2) / 2, hs[i] / 2));
        }
    }

    OutlineInput input(int check4) const { return {R, L, DR, DL, 5, Y1, check4}; }
};
