// axistune-cli as a user runs it: the real program, from process start to exit, against a far end
// that carries the line at the rate the program set. Each figure stands beside the floor that
// the protocol sets for what the program exchanged. Prints figures; nothing here passes or fails
// on a timing.

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "bench/bench_clock.h"
#include "bench/far_end.h"
#include "bench/run_floor.h"
#include "bench/sample_stats.h"
#include "bench/timed_run.h"
#include "core/settings_file.h"
#include "support/changed_settings.h"

namespace {

namespace fs = std::filesystem;

struct Options {
    int backups = 5;
    int restores = 3;
    std::string cli = AXISTUNE_CLI_BINARY;
};

// One controller on one line rate.
struct Target {
    const char* profile;
    uint32_t baud;
};

// What the runs of one figure gave, in milliseconds.
struct Samples {
    std::vector<double> wall, least, onItsTicks, own, nominal, firstDelay;
    int handshakes = 0;
    size_t otherFrames = 0;
    size_t otherAnswers = 0;
};

double Ms(double ns) {
    return ns / 1e6;
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The folder for the program's files and output, removed at the end.
class WorkFolder {
  public:
    WorkFolder() {
        char pattern[] = "/tmp/axistune-cli-bench-XXXXXX";
        if (mkdtemp(pattern) != nullptr) {
            path_ = pattern;
        }
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    bool Valid() const { return !path_.empty(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// Runs the program once against the far end and adds the run to the samples; false (with the
// reason printed) when the program failed or its exchanges were not what the command does.
bool TimeOneRun(bench::FarEnd& far, const Target& target, const WorkFolder& work,
                std::vector<std::string> args, int handshakesExpected, int number,
                Samples* samples) {
    args.insert(args.end(), {"--port", far.SlavePath(), "--baud", std::to_string(target.baud)});
    far.TakeExchanges();
    const bench::TimedRun run = bench::RunTimed(args, work.File("out"), work.File("err"));
    const std::vector<bench::Exchange> exchanges = far.TakeExchanges();
    if (run.exitCode != 0) {
        std::printf("  run %d: %s ended with status %d: %s\n", number, args[1].c_str(),
                    run.exitCode, ReadText(work.File("err")).c_str());
        return false;
    }
    const double charNs = bench::CharTimeNs(target.baud);
    const bench::RunFloor floor = bench::FloorOfRun(exchanges, charNs);
    if (!floor.ok || floor.handshakes != handshakesExpected) {
        std::printf("  run %d: %zu exchanges, %d whole handshakes where %d were expected\n", number,
                    exchanges.size(), floor.handshakes, handshakesExpected);
        return false;
    }
    const double wall = static_cast<double>(run.wallNs);
    samples->wall.push_back(Ms(wall));
    samples->least.push_back(Ms(floor.leastNs));
    samples->onItsTicks.push_back(Ms(floor.onItsTicksNs));
    samples->own.push_back(Ms(wall - floor.onItsTicksNs));
    samples->nominal.push_back(Ms(floor.nominalNs));
    for (double delay : floor.firstDelaysNs) {
        samples->firstDelay.push_back(Ms(delay));
    }
    samples->handshakes = floor.handshakes;
    samples->otherFrames = floor.otherFrames;
    samples->otherAnswers = floor.otherAnswers;
    std::printf("  run %d: %8.1f ms   floor %8.1f ms   on its ticks %8.1f ms   first delay%s",
                number, Ms(wall), Ms(floor.leastNs), Ms(floor.onItsTicksNs),
                floor.firstDelaysNs.size() > 1 ? "s" : "");
    for (double delay : floor.firstDelaysNs) {
        std::printf(" %.1f", Ms(delay));
    }
    std::printf(" ms, spacing%s", floor.spacingsNs.size() > 1 ? "s" : "");
    for (double spacing : floor.spacingsNs) {
        std::printf(" %.1f", Ms(spacing));
    }
    std::printf(" ms\n");
    return true;
}

void PrintFigure(const char* label, const Target& target, Samples s) {
    if (s.wall.empty()) {
        std::printf("%s, %s at %u baud: no complete run\n", label, target.profile, target.baud);
        return;
    }
    const size_t runs = s.wall.size();
    const bench::Summary wall = bench::Summarise(s.wall);
    const bench::Summary least = bench::Summarise(s.least);
    const bench::Summary ticks = bench::Summarise(s.onItsTicks);
    const bench::Summary own = bench::Summarise(s.own);
    const bench::Summary nominal = bench::Summarise(s.nominal);
    const bench::Summary delay = bench::Summarise(s.firstDelay);
    std::printf(
        "%s, %s at %u baud, %zu runs (%d handshake%s, %zu frames and %zu answers between):\n"
        "   process start to exit: median %.1f ms, min %.1f, max %.1f\n"
        "   floor %.1f ms: ratio %.3f (median), %.3f .. %.3f\n"
        "   on its ticks median %.1f ms: ratio %.4f; the program's own time median %.1f ms, "
        "max %.1f ms\n"
        "   first delay median %.1f ms (%.1f .. %.1f); nominal %.1f ms: ratio %.4f\n",
        label, target.profile, target.baud, runs, s.handshakes, s.handshakes > 1 ? "s" : "",
        s.otherFrames, s.otherAnswers, wall.median, wall.min, wall.max, least.median,
        wall.median / least.median, wall.min / least.median, wall.max / least.median, ticks.median,
        wall.median / ticks.median, own.median, own.max, delay.median, delay.min, delay.max,
        nominal.median, wall.median / nominal.median);
}

// Starting and ending the program alone, without a port: the part of its own time that any
// run of it pays.
bench::Summary MeasureBareStart(const Options& o, const WorkFolder& work) {
    std::vector<double> wall;
    for (int i = 0; i < o.backups; ++i) {
        const bench::TimedRun run =
            bench::RunTimed({o.cli, "--version"}, work.File("out"), work.File("err"));
        if (run.exitCode == 0) {
            wall.push_back(Ms(static_cast<double>(run.wallNs)));
        }
    }
    return bench::Summarise(wall);
}

Samples MeasureBackups(bench::FarEnd& far, const Target& target, const Options& o,
                       const WorkFolder& work) {
    Samples samples;
    std::printf("\naxistune-cli backup, %s at %u baud:\n", target.profile, target.baud);
    for (int i = 1; i <= o.backups; ++i) {
        TimeOneRun(far, target, work, {o.cli, "backup", "-o", work.File("backup.json")}, 1, i,
                   &samples);
    }
    return samples;
}

// Two files of the same controller that differ in every setting a file can carry: what it
// holds now, and every value changed. Restoring them in turn changes every setting each time.
bool PrepareRestoreFiles(bench::FarEnd& far, const Target& target, const Options& o,
                         const WorkFolder& work) {
    const std::string original = work.File("original.json");
    Samples ignored;
    if (!TimeOneRun(far, target, work, {o.cli, "backup", "-o", original}, 1, 0, &ignored)) {
        return false;
    }
    axistune::SettingsFile file;
    axistune::SettingsFileError error;
    if (!axistune::ReadSettingsFile(ReadText(original), &file, &error)) {
        std::printf("  the backup does not read back: %s\n", error.message.c_str());
        return false;
    }
    std::ofstream(work.File("changed.json"), std::ios::trunc)
        << axistune::WriteSettingsFile(axistune::ChangeEverySetting(file));
    return true;
}

Samples MeasureRestores(bench::FarEnd& far, const Target& target, const Options& o,
                        const WorkFolder& work) {
    Samples samples;
    std::printf("\naxistune-cli restore of every setting, %s at %u baud (run 0: its backup):\n",
                target.profile, target.baud);
    if (!PrepareRestoreFiles(far, target, o, work)) {
        return samples;
    }
    for (int i = 1; i <= o.restores; ++i) {
        const std::string file = work.File(i % 2 == 1 ? "changed.json" : "original.json");
        if (!TimeOneRun(far, target, work,
                        {o.cli, "restore", file, "--snapshot-dir", work.File("snapshots")}, 2, i,
                        &samples)) {
            break;  // the controller no longer holds what the next file changes
        }
    }
    return samples;
}

// A fresh controller for each target, so that every figure starts from its factory settings.
bool Serve(bench::FarEnd& far) {
    std::string error;
    if (!far.Open(&error)) {
        std::fprintf(stderr, "far end: %s\n", error.c_str());
        return false;
    }
    return far.StartServing();
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--backups") == 0) {
            o.backups = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--restores") == 0) {
            o.restores = std::max(1, std::atoi(argv[i + 1]));
        } else if (std::strcmp(argv[i], "--cli") == 0) {
            o.cli = argv[i + 1];
        }
    }
    return o;
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    WorkFolder work;
    if (!work.Valid()) {
        std::fprintf(stderr, "cannot create a folder in /tmp\n");
        return 1;
    }
    // The dx5 and dx3 as in the handshake figures; the rv5 for a restore that includes
    // closed-loop tracking.
    const Target backupTargets[] = {{"dx5", 115200}, {"dx3", 9600}};
    const Target restoreTargets[] = {{"rv5", 115200}, {"dx3", 9600}};
    const bench::Summary bareStart = MeasureBareStart(o, work);
    std::vector<std::pair<Target, Samples>> backups, restores;
    for (const Target& target : backupTargets) {
        bench::FarEnd far(target.profile);
        if (!Serve(far)) {
            return 1;
        }
        backups.emplace_back(target, MeasureBackups(far, target, o, work));
    }
    for (const Target& target : restoreTargets) {
        bench::FarEnd far(target.profile);
        if (!Serve(far)) {
            return 1;
        }
        restores.emplace_back(target, MeasureRestores(far, target, o, work));
    }

    std::printf("\nFigures (axistune-cli, native, pseudo-terminal paced at the line rate):\n");
    for (const auto& [target, samples] : backups) {
        PrintFigure("7. backup", target, samples);
    }
    for (const auto& [target, samples] : restores) {
        PrintFigure("8. restore", target, samples);
    }
    std::printf(
        "   for reference, axistune-cli --version from process start to exit: median %.1f "
        "ms, min %.1f, max %.1f (%zu runs)\n",
        bareStart.median, bareStart.min, bareStart.max, bareStart.count);
    return 0;
}
