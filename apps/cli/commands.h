#pragma once

#include <string>
#include <vector>

#include "app/controller_client.h"

namespace axistune::cli {

struct CommonOptions {
    std::string port;
    std::string baud = "115200";  // "115200", "9600" or "auto"
    bool trace = false;
    std::string traceFile;
    bool json = false;
};

struct RestoreOptions {
    std::string file;  // a path, or a history entry: history:latest, history:N, its file name
    bool dryRun = false;
    bool store = false;
    bool noSnapshot = false;
    std::string snapshotDir;
    std::vector<std::string> only;  // ra, dec, gear, site
};

// Each returns the exit status (exit_codes.h) and writes results to stdout, problems to stderr.
int RunPorts(const CommonOptions& common);
int RunInfo(ControllerClient& client, const CommonOptions& common);
int RunBackup(ControllerClient& client, const CommonOptions& common, const std::string& output);
int RunDiff(ControllerClient& client, const CommonOptions& common, const std::string& file);
int RunRestore(ControllerClient& client, const CommonOptions& common,
               const RestoreOptions& options);
int RunStore(ControllerClient& client, const CommonOptions& common);
// The settings history, newest first (common.json: as JSON); needs no controller.
int RunHistory(const CommonOptions& common);
int RunReloadDefaults(ControllerClient& client, const CommonOptions& common,
                      const RestoreOptions& snapshot);

// "ra, dec, gear, site": the names --only takes.
std::string GroupKeyList();
// The port as the engine opens it: Windows takes "COM3" or "3".
std::string DevicePath(const std::string& port);

}  // namespace axistune::cli
