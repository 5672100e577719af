// axistune-cli: backup, diff and restore of a controller's settings, and scripted control.
#include <CLI/CLI.hpp>
#include <chrono>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>

#include "app/controller_client.h"
#include "commands.h"
#include "core/free_if_threads_ended.h"
#include "core/version.h"
#include "exit_codes.h"
#include "file_io.h"
#include "interrupt.h"
#include "progress_line.h"
#include "stop_request.h"

using namespace axistune;
using namespace axistune::cli;

namespace {

// Trace lines, with the time since the start, to standard error and/or a file.
class TraceWriter {
  public:
    bool Open(const CommonOptions& common) {
        toStderr_ = common.trace;
        if (!common.traceFile.empty()) {
            std::string error;
            if (!CheckOutputPath(common.traceFile, &error)) {
                Complain() << "--trace-file " << common.traceFile << ": " << error << "\n";
                return false;
            }
            file_.open(common.traceFile, std::ios::trunc);
            if (!file_) {
                Complain() << "cannot write the trace file " << common.traceFile << "\n";
                return false;
            }
        }
        return true;
    }
    bool Active() const { return toStderr_ || file_.is_open(); }
    void Write(const std::string& line) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start_)
                            .count();
        char stamp[24];
        std::snprintf(stamp, sizeof stamp, "%7.3f ", static_cast<double>(ms) / 1000.0);
        std::lock_guard<std::mutex> guard(lock_);
        if (toStderr_) {
            std::cerr << stamp << line << "\n";
        }
        if (file_.is_open()) {
            file_ << stamp << line << "\n";
            file_.flush();
        }
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
    bool toStderr_ = false;
    std::ofstream file_;
    std::mutex lock_;
};

void AddConnection(CLI::App* command, CommonOptions& common, bool json) {
    command
        ->add_option("--port,-p", common.port,
#ifdef _WIN32
                     "The controller's port: COM3 or 3, or tcp://HOST:PORT")
#else
                     "The controller's port: a device path (/dev/serial/by-id/..., "
                     "/dev/ttyUSB0) or tcp://HOST:PORT for a TCP serial bridge")
#endif
        ->required();
    command->add_option("--baud,-b", common.baud, "115200 (default), 9600 (a DX3) or auto")
        ->check(CLI::IsMember({"115200", "9600", "auto"}));
    command->add_flag("--trace", common.trace,
                      "Print every frame and reply on the line, decoded, with the requests and the "
                      "engine's reports, to stderr");
    command->add_option("--trace-file", common.traceFile,
                        "Write the same trace to a file (for a support request)");
    if (json) {
        command->add_flag("--json", common.json, "Machine-readable output");
    }
}

void AddSnapshot(CLI::App* command, RestoreOptions& options) {
    command->add_flag("--no-snapshot", options.noSnapshot,
                      "Do not save the controller's current settings first");
    command->add_option("--snapshot-dir", options.snapshotDir,
                        "Folder for the snapshot (default: the per-user state folder)");
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "axistune-cli: back up, compare and restore the settings of a DX3, DX5 or RV5 "
        "motor controller."};
    app.footer(ExitStatusHelp());
    app.set_version_flag("--version", std::string("axistune-cli ") + kVersion);
    app.require_subcommand(1);

    CommonOptions common;
    RestoreOptions restore;
    std::string output;
    std::string backupFile;
    std::string diffFile;

    CLI::App* ports = app.add_subcommand("ports", "List the serial ports present");
    ports->add_flag("--json", common.json, "Print a JSON array");
    CLI::App* info = app.add_subcommand("info", "Show the firmware version and every setting");
    AddConnection(info, common, true);
    CLI::App* backup = app.add_subcommand("backup", "Write the settings to a file");
    AddConnection(backup, common, false);
    backup->add_option("-o,--output", output, "The settings file (default or -: standard output)");
    backup->add_option("file", backupFile, "The settings file, as with -o")->excludes("--output");
    CLI::App* diff = app.add_subcommand("diff", "List the settings that differ from a file");
    AddConnection(diff, common, true);
    diff->add_option("file", diffFile, "The settings file")->required();
    CLI::App* restoreCommand =
        app.add_subcommand("restore", "Send the settings of a file that differ, then check them");
    AddConnection(restoreCommand, common, false);
    restoreCommand
        ->add_option("file", restore.file,
                     "The settings file, or a history entry: history:latest, history:N or its "
                     "file name (see `history`)")
        ->required();
    restoreCommand->add_flag("--dry-run", restore.dryRun, "Print what would change; send nothing");
    restoreCommand->add_flag("--store", restore.store,
                             "Store the settings in the controller once every value is confirmed");
    restoreCommand->add_option("--only", restore.only, "Groups to restore: " + GroupKeyList())
        ->delimiter(',');
    AddSnapshot(restoreCommand, restore);
    CLI::App* history = app.add_subcommand(
        "history", "List the settings history (snapshots and the windows' entries), newest first");
    history->add_flag("--json", common.json, "Print a JSON array");
    CLI::App* store = app.add_subcommand("store", "Store the current settings in the controller");
    AddConnection(store, common, false);
    CLI::App* reload = app.add_subcommand(
        "reload-defaults", "Reload the controller's factory settings (after a snapshot)");
    AddConnection(reload, common, false);
    AddSnapshot(reload, restore);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return kExitUsage;
    }

    if (ports->parsed()) {
        return RunPorts(common);
    }
    if (history->parsed()) {
        return RunHistory(common);
    }
    TraceWriter trace;
    if (!trace.Open(common)) {
        return kExitUsage;
    }
    // Heap-held: if its engine thread did not end, it may still be called until the process ends.
    auto* client = new ControllerClient();
    int code = kExitOk;
    {
        // Ends (joined) before the client is deleted below, so a late Ctrl-C never reaches a
        // freed client; one during the shutdown stays blocked and pending.
        InterruptListener interrupts([client](int stopCode) {
            OnStopSignal(
                stopCode, [client] { client->Interrupt(); },
                [client] { return client->Connected(); });
        });
        if (trace.Active()) {
            client->SetTrace([&trace](const std::string& line) { trace.Write(line); });
        }
        if (const char* failure = client->Start(); failure != nullptr) {
            std::cerr << "axistune-cli: " << failure << "\n";
            code = kExitLinkFailed;
        } else if (info->parsed()) {
            code = RunInfo(*client, common);
        } else if (backup->parsed()) {
            code = RunBackup(*client, common, backupFile.empty() ? output : backupFile);
        } else if (diff->parsed()) {
            code = RunDiff(*client, common, diffFile);
        } else if (restoreCommand->parsed()) {
            code = RunRestore(*client, common, restore);
        } else if (store->parsed()) {
            code = RunStore(*client, common);
        } else if (reload->parsed()) {
            code = RunReloadDefaults(*client, common, restore);
        }
        // A stop decides the exit status, whatever the command had reached.
        if (StopCode() != 0) {
            code = StopCode();
        } else if (client->Interrupted() && code == kExitOk) {
            code = kExitInterrupted;
        }
        StopDone();
    }
    const bool threadsEnded = client->Shutdown();
    // The trace writer ends with main; a thread that did not end must not write to it after.
    client->SetTrace(nullptr);
    std::unique_ptr<ControllerClient> owned(client);
    FreeIfThreadsEnded(threadsEnded, owned);
    return code;
}
