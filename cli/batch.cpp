#include "batch.h"

#include <algorithm>
#include <atomic>
#include <iostream>
#include <mutex>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace vorn::cli {

BatchResult runBatch(std::vector<Job> jobs, unsigned threads) {
    const bool progress = ::isatty(STDERR_FILENO) && jobs.size() > 1;
    std::atomic<std::size_t> next{0};
    std::mutex lock;
    BatchResult result;

    auto report = [&](const Outcome& outcome, const std::string& name) {
        const std::lock_guard<std::mutex> guard(lock);
        if (outcome.ok)
            ++result.succeeded;
        else
            ++result.failed;
        if (progress)
            std::cerr << "\r\033[K";
        if (!outcome.ok && outcome.message.empty())
            std::cerr << "vorn-convert: " << name << ": not enough memory\n";
        else if (!outcome.ok)
            std::cerr << "vorn-convert: " << outcome.message << '\n';
        if (progress) {
            std::cerr << "vorn-convert: " << result.succeeded + result.failed << " of "
                      << jobs.size() << " done";
            if (result.failed)
                std::cerr << ", " << result.failed << " failed";
            std::cerr << std::flush;
        }
    };
    auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            Outcome outcome;
            try {
                outcome = jobs[i].run();
            } catch (...) {
                // Not even the reason could be put together (no memory left for it); the
                // failure is still this file's alone, not the end of the process.
                outcome.ok = false;
                outcome.message.clear();
            }
            report(outcome, jobs[i].name);
        }
    };

    const unsigned count =
        std::max(1u, std::min<unsigned>(threads, static_cast<unsigned>(jobs.size())));
    std::vector<std::thread> pool;
    pool.reserve(count);
    // A thread the system will not start (no memory for its stack, a limit on threads) leaves
    // the work to those that did start, this one included: unwinding past running threads
    // that were never joined would end the process.
    try {
        for (unsigned t = 1; t < count; ++t)
            pool.emplace_back(worker);
    } catch (const std::system_error&) {
    }
    worker();
    for (std::thread& t : pool)
        t.join();
    if (progress)
        std::cerr << "\r\033[K";
    return result;
}

} // namespace vorn::cli
