#pragma once

#include <cstdio>
#include <string>

// One line per fault, in a form that the test command's output can be searched for:
//   [ reliability ] fault <name>: <what the user sees>
inline void ReportFault(const std::string& name, const std::string& userSees) {
    std::printf("[ reliability ] fault %s: %s\n", name.c_str(), userSees.c_str());
    std::fflush(stdout);
}
