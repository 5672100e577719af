#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

// One line per fault, in a form that the test command's output can be searched for:
//   [ reliability ] fault <name>: <what the user sees>
// A test that has already failed says so instead of what the user should have seen.
inline void ReportFault(const std::string& name, const std::string& userSees) {
    const bool failed = ::testing::Test::HasFailure();
    std::printf("[ reliability ] fault %s: %s\n", name.c_str(),
                failed ? "FAILED (see above)" : userSees.c_str());
    std::fflush(stdout);
}
