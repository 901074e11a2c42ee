#include "engine3d/band_workers.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

// Every band of every run is done once, whichever thread takes it, and the run returns only
// once all are done: runs of every size with teams of one, two and four threads, one after the
// other. A run started from within a band is done on that band's thread.
TEST(BandWorkers, EveryBandOnceAndTheRunEndsWithIt) {
    for (const int threads : {1, 2, 4}) {
        SCOPED_TRACE(testing::Message() << threads << " threads");
        BandWorkers team(threads);
        EXPECT_EQ(team.threads(), threads);
        for (int run = 0; run < 400; ++run) {
            const int count = run % 37;
            std::vector<std::atomic<int>> done(static_cast<std::size_t>(count));
            team.run(count, [&](int band) { done[static_cast<std::size_t>(band)].fetch_add(1); });
            for (int band = 0; band < count; ++band) {
                ASSERT_EQ(done[static_cast<std::size_t>(band)].load(), 1) << "run " << run;
            }
        }
        std::atomic<int> inner{0};
        std::atomic<bool> elsewhere{false};
        team.run(4, [&](int) {
            const std::thread::id outer = std::this_thread::get_id();
            team.run(3, [&](int) {
                inner.fetch_add(1);
                elsewhere = elsewhere || std::this_thread::get_id() != outer;
            });
        });
        EXPECT_EQ(inner.load(), 12);
        EXPECT_FALSE(elsewhere.load());
    }
}

} // namespace
