#pragma once

#include <functional>

// The benchmark programs of the windows share one main(): an application on the offscreen
// platform (unless QT_QPA_PLATFORM says otherwise), then every benchmark. What a program keeps
// alive across benchmarks (windows) must go before the application does: register it here.
void atBenchmarksEnd(std::function<void()> release);
