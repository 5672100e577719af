#include "bench/timed_run.h"

#include <errno.h>
#include <sys/wait.h>

#include "bench/bench_clock.h"
#include "support/spawn_process.h"

namespace bench {

TimedRun RunTimed(const std::vector<std::string>& args, const std::string& out,
                  const std::string& err) {
    TimedRun run;
    const int64_t start = NowNs();
    const pid_t pid = axistune::SpawnProcess(args, out, err);
    if (pid < 0) {
        return run;
    }
    // A blocking wait: a polling one would add its period to the figure.
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.wallNs = NowNs() - start;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

}  // namespace bench
