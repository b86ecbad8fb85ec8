// Runs a list of conversions on worker threads, with a progress line and a summary.
#pragma once

#include "jobs.h"

#include <functional>
#include <string>
#include <vector>

namespace vorn::cli {

struct Job {
    std::string name; // shown in progress
    std::function<Outcome()> run;
};

struct BatchResult {
    std::size_t succeeded = 0;
    std::size_t failed = 0;
};

// Runs the jobs on up to `threads` threads. Failures are printed to stderr as they happen,
// each on its own line; a progress line is kept on stderr when it is a terminal.
BatchResult runBatch(std::vector<Job> jobs, unsigned threads);

} // namespace vorn::cli
