#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Threads kept waiting for bands of work, so that one drawing call can use every core without
// starting a thread: run() hands out the bands 0..count-1 in rising order to whichever thread is
// free, the calling one included, and returns once every band is done. Between calls the
// threads sleep; nothing spins. Each band must touch only what is its own.
class BandWorkers {
public:
    // `threads` in all, the caller's included: one per core when 0. With one, run() is a loop.
    explicit BandWorkers(int threads = 0);
    ~BandWorkers();
    BandWorkers(const BandWorkers&) = delete;
    BandWorkers& operator=(const BandWorkers&) = delete;

    int threads() const { return static_cast<int>(workers_.size()) + 1; }

    // Calls job(band) once for every band 0..count-1 and returns when all have returned. One
    // caller at a time; a call from within a job runs its bands on the calling thread.
    template <typename Job> void run(int count, Job&& job) {
        runBands(
            count, [](void* j, int band) { (*static_cast<Job*>(j))(band); },
            static_cast<void*>(&job));
    }

    // One team for the whole program, made on first use, with a thread per core.
    static BandWorkers& shared();

private:
    using BandFn = void (*)(void*, int);
    void runBands(int count, BandFn fn, void* context);
    void serve();
    // Takes and does bands of the run numbered `run` until none is left.
    void work(std::uint32_t run, BandFn fn, void* context, int count);

    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_; // a run has started, or the team stops
    std::condition_variable done_; // the last band of a run is done
    bool stop_ = false;
    bool running_ = false;
    std::uint32_t run_ = 0; // numbers the runs, so that a late thread cannot take a new run's band
    BandFn fn_ = nullptr;
    void* context_ = nullptr;
    int count_ = 0;
    // The run's number in the high half, the next band to take in the low half.
    std::atomic<std::uint64_t> next_{0};
    std::atomic<int> finished_{0};
};
