// Speed-up of a piece of work on 2 threads over 1, measured in alternating
// rounds so that a machine whose speed drifts (a shared virtual machine)
// weighs on both alike; and, for each round, the machine's own ceiling: two
// separate copies of the 1-thread work at once, which share nothing but the
// processor. A threaded run that reaches that ceiling loses nothing to its
// own hand-overs. Each round also times a cache line passed back and forth
// between two threads: where the machine puts its two cores far apart, a
// table's rows, which its successor reads on the other core, cost more.
#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <thread>
#include <vector>

#include <sched.h>
#include <sys/resource.h>

namespace side_by_side {

inline double ProcessorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// Wall-clock seconds of `work`; `processor` receives the processor time all
// threads spent on it.
inline double Seconds(const std::function<void()>& work, double* processor = nullptr)
{
    const double cpu = ProcessorSeconds();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (processor)
        *processor = ProcessorSeconds() - cpu;
    return wall;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The R of "--speedup [R]" (default 5, at most 100); 0 without --speedup.
inline int RoundsAsked(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--speedup") == 0) {
            const long rounds = i + 1 < argc ? std::strtol(argv[i + 1], nullptr, 10) : 5;
            return int(std::clamp(rounds > 0 ? rounds : 5, 1L, 100L));
        }
    return 0;
}

// Nanoseconds for a cache line to go to another thread and back; 0 when the
// program may run on one core only, where the two would just take turns.
inline double RoundTripNanoseconds()
{
    cpu_set_t cores;
    if (sched_getaffinity(0, sizeof cores, &cores) != 0 || CPU_COUNT(&cores) < 2)
        return 0;
    constexpr int kTrips = 100000;
    alignas(64) std::atomic<int> ball{0};
    std::thread partner([&] {
        for (int i = 0; i < kTrips; ++i) {
            while (ball.load(std::memory_order_acquire) != 2 * i + 1) {
            }
            ball.store(2 * i + 2, std::memory_order_release);
        }
    });
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kTrips; ++i) {
        ball.store(2 * i + 1, std::memory_order_release);
        while (ball.load(std::memory_order_acquire) != 2 * i + 2) {
        }
    }
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    partner.join();
    return ns / kTrips;
}

// `run(threads)` does one fixed piece of work of `units` (tables) on that
// many threads; it must be safe to call from two threads at once.
inline int Report(const char* what, double units, int rounds, const std::function<void(int32_t)>& run)
{
    std::vector<double> single, two, pair;
    std::printf("%s: %d rounds, 1 thread and 2 threads alternately, then two 1-thread copies at once\n", what,
                rounds);
    for (int r = 0; r < rounds; ++r) {
        double t1 = 0, t2 = 0, c1 = 0, c2 = 0, cp = 0;
        if (r % 2 == 0) {
            t1 = Seconds([&] { run(1); }, &c1);
            t2 = Seconds([&] { run(2); }, &c2);
        } else {
            t2 = Seconds([&] { run(2); }, &c2);
            t1 = Seconds([&] { run(1); }, &c1);
        }
        const double tp = Seconds(
            [&] {
                std::thread other([&] { run(1); });
                run(1);
                other.join();
            },
            &cp);
        const double trip = RoundTripNanoseconds();
        single.push_back(units / t1);
        two.push_back(units / t2);
        pair.push_back(2 * units / tp);
        // Processor time per unit of work: what contention for the
        // processor's shared parts costs shows here, waiting does not.
        std::printf("  round %d: 1 thread %.0f/s, 2 threads %.0f/s (%.2fx), two copies at once %.0f/s (%.2fx); "
                    "processor time per 1,000: %.1f, %.1f, %.1f ms; line round trip %.0f ns\n",
                    r + 1, single.back(), two.back(), two.back() / single.back(), pair.back(),
                    pair.back() / single.back(), 1e6 * c1 / units, 1e6 * c2 / units, 1e6 * cp / (2 * units), trip);
        std::fflush(stdout);
    }
    std::vector<double> speedup, ceiling;
    for (size_t r = 0; r < single.size(); ++r) {
        speedup.push_back(two[r] / single[r]);
        ceiling.push_back(pair[r] / single[r]);
    }
    std::printf("  median: 1 thread %.0f/s, 2 threads %.0f/s: %.2fx (from %.2fx to %.2fx); the machine's ceiling "
                "%.2fx\n",
                Median(single), Median(two), Median(speedup), *std::min_element(speedup.begin(), speedup.end()),
                *std::max_element(speedup.begin(), speedup.end()), Median(ceiling));
    return 0;
}

} // namespace side_by_side
