#include "child_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "support/spawn_process.h"

namespace cli_test {

namespace {

bool Exists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string TempPath(const std::string& name) {
    static int counter = 0;
    return std::string(testing::TempDir()) + "cli-" + std::to_string(getpid()) + "-" +
           std::to_string(++counter) + "-" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::trunc) << text;
}

RunResult Run(const std::vector<std::string>& args, int timeoutMs,
              const std::function<bool()>& interruptWhen, int signal, const std::string& stdoutPath,
              const std::string& stderrPath) {
    const std::string out = stdoutPath.empty() ? TempPath("out") : stdoutPath;
    const std::string err = stderrPath.empty() ? TempPath("err") : stderrPath;
    RunResult result;
    const pid_t pid = axistune::SpawnProcess(args, out, err);
    if (pid < 0) {
        return result;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int status = 0;
    bool interrupted = false;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (interruptWhen && !interrupted && interruptWhen()) {
            kill(pid, signal);
            interrupted = true;
        }
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    result.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (stdoutPath.empty()) {
        result.out = ReadFile(out);
        unlink(out.c_str());
    }
    if (stderrPath.empty()) {
        result.err = ReadFile(err);
        unlink(err.c_str());
    }
    return result;
}

RunResult RunCli(std::vector<std::string> args, const std::function<bool()>& interruptWhen,
                 int signal) {
    args.insert(args.begin(), CLI_BINARY);
    return Run(args, 60000, interruptWhen, signal);
}

Background::Background(const std::vector<std::string>& args) {
    pid_ = axistune::SpawnProcess(args, "/dev/null", "/dev/null");
}

Background::~Background() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

Simulator::Simulator(const std::string& name, std::vector<std::string> options)
    : link_(TempPath(name)), trace_(TempPath(name + ".trace")) {
    std::vector<std::string> args = {DXSIM_BINARY, "--link", link_, "--trace-file", trace_};
    args.insert(args.end(), options.begin(), options.end());
    process_ = std::make_unique<Background>(args);
    for (int i = 0; i < 200 && !Exists(link_); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

std::vector<std::string> Simulator::HostFrames() const {
    std::vector<std::string> frames;
    std::istringstream lines(ReadFile(trace_));
    for (std::string line; std::getline(lines, line);) {
        if (line.find("host>") != std::string::npos) {
            frames.push_back(line);
        }
    }
    return frames;
}

}  // namespace cli_test
