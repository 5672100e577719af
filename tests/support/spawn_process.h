#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace axistune {

// Starts args[0] (a path) with standard input from /dev/null and standard output and error into
// the named files (created or emptied). The child's id, or -1 when it could not start.
pid_t SpawnProcess(std::vector<std::string> args, const std::string& out, const std::string& err);

}  // namespace axistune
