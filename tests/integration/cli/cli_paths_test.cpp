// Paths that are not settings files, outputs that are not files, and stops at any moment: each
// answered with its exit code and message, with nothing sent on the line.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "child_process.h"
#include "core/settings_file.h"

using namespace cli_test;

namespace {

std::string FileWith(const std::string& ra) {
    const std::string path = TempPath("settings.json");
    WriteFile(path, R"({"format": "axistune-settings", "version": 1, "hardware_type": 1, "ra": {)" +
                        ra + "}}");
    return path;
}

bool Exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// A writer's temporary beside `path`: "<name>.<pid>-<n>.partial".
bool TemporaryLeftBeside(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string prefix = path.substr(slash == std::string::npos ? 0 : slash + 1) + ".";
    const std::string suffix = ".partial";
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        found = found || (name.size() > prefix.size() + suffix.size() &&
                          name.compare(0, prefix.size(), prefix) == 0 &&
                          name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0);
    }
    closedir(dir);
    return found;
}

TEST(CliPaths, InputsThatAreNotAValidSettingsFileExitThreeWithNothingOnTheLine) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = TempPath("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const std::string large = FileWith(R"("acceleration": 112)");
    ASSERT_EQ(truncate(large.c_str(), 2 << 20), 0);  // sparse: costs no disk
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {fifo, "is a FIFO (named pipe), not a regular file"},
        {"/dev/zero", "is a character device, not a regular file"},
        {folder, "is a directory, not a regular file"},
        {large, "is 2097152 bytes; a settings file is a few kilobytes"},
        {FileWith(R"("max_speed": 600, "acceleration": 96, "max_speed": 700)"),
         "ra.max_speed: appears twice"},
        {FileWith(R"("max_speed": 800.5)"), "ra.max_speed: expected a whole number, found 800.5"},
    };
    for (const auto& c : cases) {
        for (const char* command : {"restore", "diff"}) {
            const RunResult run = RunCli({command, "--port", dx5.Link(), c.path});
            EXPECT_EQ(run.code, 3) << command << " " << c.path << ": " << run.err;
            EXPECT_NE(run.err.find(c.path + ": " + c.message), std::string::npos) << run.err;
        }
    }
    EXPECT_TRUE(dx5.HostFrames().empty()) << dx5.HostFrames().front();
}

TEST(CliPaths, ABackupIntoAnythingButARegularFileIsRefusedBeforeThePortOpens) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string fifo = TempPath("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = TempPath("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    const struct {
        std::string path;
        const char* kind;
    } cases[] = {{folder, "a directory"},
                 {fifo, "a FIFO (named pipe)"},
                 {"/dev/null", "a character device"}};
    for (const auto& c : cases) {
        for (const std::vector<std::string>& output :
             {std::vector<std::string>{"-o", c.path}, std::vector<std::string>{c.path}}) {
            std::vector<std::string> args = {"backup", "--port", dx5.Link()};
            args.insert(args.end(), output.begin(), output.end());
            const RunResult run = RunCli(args);
            EXPECT_EQ(run.code, 3) << c.path << ": " << run.err;
            EXPECT_NE(run.err.find(c.path + ": is " + c.kind + ", not a regular file"),
                      std::string::npos)
                << run.err;
        }
    }
    EXPECT_TRUE(dx5.HostFrames().empty()) << dx5.HostFrames().front();
}

TEST(CliPaths, APositionalBackupFileAndAWholeNumberWrittenWithAZeroFraction) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    const std::string backup = TempPath("backup.json");
    const RunResult run = RunCli({"backup", "--port", dx5.Link(), backup});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.err, "Settings written to " + backup + "\n");  // no progress off a terminal
    EXPECT_FALSE(TemporaryLeftBeside(backup));
    axistune::SettingsFile file;
    axistune::SettingsFileError error;
    ASSERT_TRUE(axistune::ReadSettingsFile(ReadFile(backup), &file, &error)) << error.message;
    EXPECT_EQ(file.values[axistune::kRaGearRatio], 172800);

    const RunResult diff =
        RunCli({"diff", "--port", dx5.Link(), FileWith(R"("max_speed": 800.0)")});
    EXPECT_EQ(diff.code, 1) << diff.err;
    EXPECT_EQ(diff.out, "ra.max_speed: controller 600, file 800\n");
}

TEST(CliPaths, EachStopSignalEndsAWaitForASilentControllerWithItsOwnCode) {
    const struct {
        int signal;
        int code;
        const char* message;
    } cases[] = {{SIGINT, 130, "interrupted; disconnected"},
                 {SIGTERM, 143, "terminated; disconnected"},
                 {SIGHUP, 129, "hung up; disconnected"}};
    for (const auto& c : cases) {
        Simulator silent("silent", {"--no-reply"});
        const std::string output = TempPath("never.json");
        const RunResult run = RunCli(
            {"backup", "--port", silent.Link(), "-o", output},
            [&] { return !silent.HostFrames().empty(); }, c.signal);
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(Exists(output) || TemporaryLeftBeside(output));
    }
}

// The process whose standard output is `terminal`, when it is blocked writing to it.
bool BlockedWritingTo(const std::string& terminal) {
    DIR* processes = opendir("/proc");
    bool blocked = false;
    for (dirent* entry = readdir(processes); entry != nullptr && !blocked;
         entry = readdir(processes)) {
        const std::string folder = std::string("/proc/") + entry->d_name;
        char target[256] = {};
        if (readlink((folder + "/fd/1").c_str(), target, sizeof target - 1) > 0 &&
            terminal == target) {
            const std::string call = ReadFile(folder + "/syscall");
            blocked = call.compare(0, call.find(' '), std::to_string(SYS_write)) == 0;
        }
    }
    closedir(processes);
    return blocked;
}

// A pseudo-terminal for a child's output.
class Terminal {
  public:
    Terminal() : master_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        EXPECT_EQ(grantpt(master_) | unlockpt(master_), 0);
        path_ = ptsname(master_);
        side_ = open(path_.c_str(), O_RDWR | O_NOCTTY);  // kept open: the master reads on
    }
    ~Terminal() {
        close(side_);
        close(master_);
    }
    const std::string& Path() const { return path_; }
    // As Ctrl-S does: the terminal holds every write until Ctrl-Q.
    void Hold() {
        termios mode{};
        tcgetattr(side_, &mode);
        mode.c_iflag |= IXON;
        tcsetattr(side_, TCSANOW, &mode);
        EXPECT_EQ(write(master_, "\x13", 1), 1);
    }
    // What the terminal has shown since the last call.
    std::string Shown() {
        std::string text;
        char buffer[4096];
        for (ssize_t got; (got = read(master_, buffer, sizeof buffer)) > 0;) {
            text.append(buffer, static_cast<size_t>(got));
        }
        return text;
    }

  private:
    int master_;
    int side_ = -1;
    std::string path_;
};

TEST(CliPaths, SigtermWhileTheOutputIsHeldByATerminalStillEndsTheProgram) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    Terminal terminal;
    terminal.Hold();
    const RunResult run = cli_test::Run(
        {CLI_BINARY, "info", "--port", dx5.Link()}, 60000,
        [&] { return BlockedWritingTo(terminal.Path()); }, SIGTERM, terminal.Path());
    EXPECT_EQ(run.code, 143) << run.err;
}

TEST(CliPaths, ABackupOnATerminalShowsWhichStepOfHowManyItIsAt) {
    Simulator dx5("dx5", {"--profile", "dx5"});
    Terminal terminal;
    const std::string backup = TempPath("backup.json");
    const RunResult run = cli_test::Run({CLI_BINARY, "backup", "--port", dx5.Link(), backup}, 60000,
                                        nullptr, SIGINT, "", terminal.Path());
    EXPECT_EQ(run.code, 0);
    const std::string shown = terminal.Shown();
    for (const char* step : {"\rbackup: step 1 of 3: connecting and reading the settings",
                             "\rbackup: step 2 of 3: disconnecting",
                             "\rbackup: step 3 of 3: writing " /* the path */}) {
        EXPECT_NE(shown.find(step), std::string::npos) << step << "\n" << shown;
    }
    EXPECT_NE(shown.find("\rSettings written to " + backup), std::string::npos) << shown;
}

}  // namespace
