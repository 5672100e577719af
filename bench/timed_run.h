#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct TimedRun {
    int exitCode = -1;   // 128 + signal when it was killed; -1 when it did not start
    int64_t wallNs = 0;  // from just before the spawn to the moment its end was reaped
};

// Runs a program to its end, as a user's shell would, with its output in the named files.
TimedRun RunTimed(const std::vector<std::string>& args, const std::string& out,
                  const std::string& err);

}  // namespace bench
