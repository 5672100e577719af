// The dxsim program itself: its stdout line, the link, the trace, and a clean end on signals.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "host_port.h"

using namespace dxsim_test;

extern char** environ;

namespace {

const Bytes kReadVersion = {0xAA, 0x01, 0x01};

std::string Temp(const char* name) {
    return std::string(testing::TempDir()) + "dxsim-prog-" + std::to_string(getpid()) + "-" + name;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// dxsim running as a child with its stdout on a pipe.
class Program {
  public:
    explicit Program(std::vector<std::string> args) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        args.insert(args.begin(), DXSIM_BINARY);
        std::vector<char*> argv;
        for (std::string& a : args) {
            argv.push_back(a.data());
        }
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, DXSIM_BINARY, &actions, nullptr, argv.data(), environ) != 0) {
            pid_ = -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        stdout_ = out[0];
    }
    ~Program() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0) {
            close(stdout_);
        }
    }

    // One line of stdout, or "" after timeoutMs.
    std::string Line(int timeoutMs) {
        const int64_t end = NowMs() + timeoutMs;
        for (;;) {
            const size_t nl = buffered_.find('\n');
            if (nl != std::string::npos) {
                std::string line = buffered_.substr(0, nl);
                buffered_.erase(0, nl + 1);
                return line;
            }
            const int64_t left = end - NowMs();
            pollfd p{stdout_, POLLIN, 0};
            if (left <= 0 || poll(&p, 1, static_cast<int>(left)) <= 0) {
                return "";
            }
            char buf[256];
            const ssize_t n = read(stdout_, buf, sizeof(buf));
            if (n <= 0) {
                return "";
            }
            buffered_.append(buf, static_cast<size_t>(n));
        }
    }

    // Sends sig and returns the exit status, or -1 if it did not end within timeoutMs.
    int EndWith(int sig, int timeoutMs) {
        kill(pid_, sig);
        return Wait(timeoutMs);
    }
    int Wait(int timeoutMs) {
        const int64_t end = NowMs() + timeoutMs;
        while (NowMs() < end) {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return -1;
    }

  private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::string buffered_;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(DxsimProgram, ServesAHostAndEndsCleanlyOnSigterm) {
    const std::string link = Temp("com1");
    const std::string trace = Temp("trace");
    Program dxsim({"--profile", "dx5", "--link", link, "--trace-file", trace});
    const std::string path = dxsim.Line(5000);
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    ASSERT_TRUE(Exists(link));

    HostPort host;
    ASSERT_TRUE(host.Open(link, B115200));
    EXPECT_EQ(host.Exchange(kReadVersion, 7), (Bytes{0x55, 0x05, 0x01, 0x0C, 0x00, 0x01, 0x00}));

    EXPECT_EQ(dxsim.EndWith(SIGTERM, 5000), 0);
    EXPECT_FALSE(Exists(link)) << "link removed";
    EXPECT_TRUE(host.WaitHangup(1000));
    const std::string t = Slurp(trace);
    EXPECT_NE(t.find(" host> AA 01 01  READ_VERSION\n"), std::string::npos) << t;
    EXPECT_NE(t.find(" dx5<  55 05 01 0C 00 01 00  version\n"), std::string::npos) << t;
    EXPECT_NE(t.find("ending on SIGTERM"), std::string::npos) << t;
    unlink(trace.c_str());
}

TEST(DxsimProgram, SigintEndsItToo) {
    Program dxsim({"--profile", "rv5"});
    ASSERT_FALSE(dxsim.Line(5000).empty());
    EXPECT_EQ(dxsim.EndWith(SIGINT, 5000), 0);
}

TEST(DxsimProgram, PulledCableIsReplugged) {
    const std::string link = Temp("replug");
    Program dxsim({"--link", link, "--pull-after", "0.3", "--replug-after", "0.3"});
    const std::string first = dxsim.Line(5000);
    ASSERT_FALSE(first.empty());
    HostPort host;
    ASSERT_TRUE(host.Open(link, B115200));
    EXPECT_TRUE(host.WaitHangup(3000));
    const std::string second = dxsim.Line(3000);
    ASSERT_EQ(second.rfind("/dev/pts/", 0), 0u) << "a second path is printed";
    HostPort again;
    ASSERT_TRUE(again.Open(link, B115200));
    EXPECT_EQ(again.Exchange(kReadVersion, 7).size(), 7u);
    EXPECT_EQ(dxsim.EndWith(SIGTERM, 5000), 0);
    EXPECT_FALSE(Exists(link));
}

TEST(DxsimProgram, RefusalProfilesAndOverrides) {
    struct Case {
        std::vector<std::string> args;
        Bytes version;
    };
    const Case cases[] = {
        {{"--profile", "incompatible"}, {0x55, 0x05, 0x01, 0x0C, 0x00, 0x02, 0x00}},
        {{"--profile", "old-version"}, {0x55, 0x03, 0x01, 0x01, 0x01}},
        {{"--hardware", "3"}, {0x55, 0x05, 0x01, 0x0C, 0x00, 0x03, 0x00}},
    };
    for (const Case& c : cases) {
        Program dxsim(c.args);
        const std::string path = dxsim.Line(5000);
        HostPort host;
        ASSERT_TRUE(host.Open(path, B115200)) << path;
        EXPECT_EQ(host.Exchange(kReadVersion, c.version.size()), c.version) << c.args[0];
        EXPECT_EQ(dxsim.EndWith(SIGTERM, 5000), 0);
    }
    Program old({"--profile", "old-firmware", "--firmware", "0x01000008"});
    HostPort host;
    ASSERT_TRUE(host.Open(old.Line(5000), B115200));
    EXPECT_EQ(host.Exchange({0xAA, 0x01, 0x02}, 7),
              (Bytes{0x55, 0x05, 0x02, 0x08, 0x00, 0x00, 0x01}));
}

TEST(DxsimProgram, HelpAndBadOptions) {
    Program help({"--help"});
    EXPECT_EQ(help.Line(5000), "Usage: dxsim [options]");
    EXPECT_EQ(help.Wait(5000), 0);
    Program bad({"--profile", "dx9"});
    EXPECT_EQ(bad.Wait(5000), 2);
}

}  // namespace
