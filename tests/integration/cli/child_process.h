#pragma once

#include <signal.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cli_test {

struct RunResult {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs a program to its end (bounded: killed after timeoutMs) with stdout and stderr in files
// (to `stdoutPath` or `stderrPath` instead when given, such as a terminal). interruptWhen,
// when given, is polled while the program runs; `signal` goes once it holds.
RunResult Run(const std::vector<std::string>& args, int timeoutMs = 60000,
              const std::function<bool()>& interruptWhen = nullptr, int signal = SIGINT,
              const std::string& stdoutPath = "", const std::string& stderrPath = "");
RunResult RunCli(std::vector<std::string> args,
                 const std::function<bool()>& interruptWhen = nullptr, int signal = SIGINT);

std::string TempPath(const std::string& name);
std::string ReadFile(const std::string& path);
void WriteFile(const std::string& path, const std::string& text);

// A program running beside the test (dxsim, socat), killed and reaped at the end.
class Background {
  public:
    explicit Background(const std::vector<std::string>& args);
    ~Background();
    Background(const Background&) = delete;
    Background& operator=(const Background&) = delete;

  private:
    pid_t pid_ = -1;
};

// dxsim with a link at a fresh path and its frame trace in a file.
class Simulator {
  public:
    explicit Simulator(const std::string& name, std::vector<std::string> options = {});
    const std::string& Link() const { return link_; }
    // The host's frames so far, one trace line each ("host> AA 01 01  READ_VERSION").
    std::vector<std::string> HostFrames() const;

  private:
    std::string link_;
    std::string trace_;
    std::unique_ptr<Background> process_;
};

}  // namespace cli_test
