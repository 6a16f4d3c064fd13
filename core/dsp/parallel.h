#pragma once
// Splits independent work items over a few threads: the calling thread takes
// the first share, std::threads the others. Used over analysis frames, whose
// results do not depend on each other.

#include <algorithm>
#include <exception>
#include <thread>
#include <vector>

namespace vox::dsp_detail {

// Threads worth using for independent frames on this machine (1 … 8).
inline int default_threads() {
    const unsigned hc = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(hc == 0 ? 1u : hc, 1u, 8u));
}

// Calls body(worker, begin, end) over [0, count) split into `threads`
// contiguous shares; rethrows the first exception of any share.
template <class Body>
void parallel_for(int threads, long long count, Body&& body) {
    if (count <= 0) return;
    const long long parts = std::clamp<long long>(threads, 1, count);
    if (parts == 1) {
        body(0, 0LL, count);
        return;
    }
    std::vector<std::exception_ptr> errors(static_cast<std::size_t>(parts));
    std::vector<std::thread> pool;
    pool.reserve(static_cast<std::size_t>(parts - 1));
    auto run = [&](long long w) {
        const long long b = count * w / parts;
        const long long e = count * (w + 1) / parts;
        try {
            body(static_cast<int>(w), b, e);
        } catch (...) {
            errors[static_cast<std::size_t>(w)] = std::current_exception();
        }
    };
    for (long long w = 1; w < parts; ++w) pool.emplace_back(run, w);
    run(0);
    for (auto& t : pool) t.join();
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
}

}  // namespace vox::dsp_detail
