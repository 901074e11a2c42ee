#include "engine3d/band_workers.h"

#include <algorithm>

namespace {

constexpr std::uint64_t kBandBits = 0xFFFFFFFFu;

} // namespace

BandWorkers::BandWorkers(int threads) {
    if (threads <= 0) {
        threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    }
    workers_.reserve(static_cast<std::size_t>(threads - 1));
    for (int k = 1; k < threads; ++k) {
        workers_.emplace_back([this] { serve(); });
    }
}

BandWorkers::~BandWorkers() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) {
        t.join();
    }
}

BandWorkers& BandWorkers::shared() {
    static BandWorkers team;
    return team;
}

void BandWorkers::runBands(int count, BandFn fn, void* context) {
    if (count <= 0) {
        return;
    }
    std::uint32_t run = 0;
    {
        const std::lock_guard lock(mutex_);
        if (workers_.empty() || count == 1 || running_) {
            run = 0; // on this thread alone
        } else {
            running_ = true;
            run = ++run_;
            if (run == 0) {
                run = run_ = 1; // 0 is never a run's number
            }
            fn_ = fn;
            context_ = context;
            count_ = count;
            finished_.store(0, std::memory_order_relaxed);
            next_.store(std::uint64_t(run) << 32, std::memory_order_release);
        }
    }
    if (run == 0) {
        for (int band = 0; band < count; ++band) {
            fn(context, band);
        }
        return;
    }
    wake_.notify_all();
    work(run, fn, context, count);
    // Only the bands another thread took can still be running; a thread that wakes after the
    // last band was taken takes none and is not waited for.
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return finished_.load(std::memory_order_acquire) == count; });
    running_ = false;
}

void BandWorkers::work(std::uint32_t run, BandFn fn, void* context, int count) {
    for (;;) {
        std::uint64_t next = next_.load(std::memory_order_acquire);
        do {
            if ((next >> 32) != run || static_cast<int>(next & kBandBits) >= count) {
                return;
            }
        } while (!next_.compare_exchange_weak(next, next + 1, std::memory_order_acq_rel));
        fn(context, static_cast<int>(next & kBandBits));
        if (finished_.fetch_add(1, std::memory_order_acq_rel) + 1 == count) {
            const std::lock_guard lock(mutex_);
            done_.notify_all();
        }
    }
}

void BandWorkers::serve() {
    std::uint32_t seen = 0;
    for (;;) {
        BandFn fn = nullptr;
        void* context = nullptr;
        int count = 0;
        std::uint32_t run = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stop_ || (running_ && run_ != seen); });
            if (stop_) {
                return;
            }
            seen = run = run_;
            fn = fn_;
            context = context_;
            count = count_;
        }
        work(run, fn, context, count);
    }
}
