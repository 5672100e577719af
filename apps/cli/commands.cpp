#include "commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/restore_procedure.h"
#include "app/settings_file_of.h"
#include "app/settings_history.h"
#include "app/state_files.h"
#include "core/controller_constants.h"
#include "core/restore_rules.h"
#include "core/setting_groups.h"
#include "core/settings_file.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "exit_codes.h"
#include "file_io.h"
#include "history_listing.h"
#include "platform/serial_port_list.h"
#include "progress_line.h"
#include "stop_request.h"

namespace axistune::cli {

namespace {

using Json = nlohmann::ordered_json;

int ExitFor(const ClientOutcome& outcome) {
    switch (outcome.result) {
        case ClientResult::kOk:
            return kExitOk;
        case ClientResult::kRefused:
            return kExitRefused;
        case ClientResult::kInterrupted:
            return kExitInterrupted;
        default:
            return kExitLinkFailed;
    }
}

// Ends the connection and passes the status on.
int Finish(ControllerClient& client, int code) {
    const ClientOutcome closed = client.Disconnect();
    if (StopCode() != 0) {
        Complain() << ExitCodeName(StopCode()) << "; disconnected\n";
        return StopCode();
    }
    if (!closed.Ok() && code == kExitOk) {
        Complain() << "disconnecting failed: " << closed.message << "\n";
        return kExitLinkFailed;
    }
    return code;
}

// Results are printed once the port is closed: output that blocks (a terminal held by Ctrl-S,
// a full pipe) then never holds a connection open, and a stop can end the program at once.
int FinishThenPrint(ControllerClient& client, int code, const std::string& text) {
    code = Finish(client, code);
    if (StopCode() == 0) {
        std::cout << text << std::flush;
    }
    return code;
}

int OpenConnection(ControllerClient& client, const CommonOptions& common) {
    if (StopCode() != 0) {
        Complain() << ExitCodeName(StopCode()) << "; no connection was opened\n";
        return StopCode();
    }
    std::vector<uint32_t> rates;
    if (common.baud == "auto") {
        rates = {115200, 9600};  // a DX3 runs at 9600
    } else {
        rates = {static_cast<uint32_t>(std::stoul(common.baud))};
    }
    const std::string device = DevicePath(common.port);
    ClientOutcome outcome;
    for (uint32_t rate : rates) {
        outcome = client.Connect(device, rate);
        if (outcome.result != ClientResult::kTimedOut) {
            break;
        }
        client.Disconnect();
    }
    if (outcome.result == ClientResult::kInterrupted) {
        return Finish(client, kExitInterrupted);  // which says so
    }
    if (!outcome.Ok()) {
        // An open failure names the device itself.
        Complain() << (outcome.result == ClientResult::kPortFailed ? "" : device + ": ")
                   << outcome.message << "\n";
        return Finish(client, ExitFor(outcome));
    }
    return kExitOk;
}

SettingsFile FromController(const ControllerSettings& settings) {
    return SettingsFileOf(settings, UtcTimestamp());
}

bool LoadFile(const std::string& path, SettingsFile* file) {
    std::string text;
    std::string error;
    if (!ReadSmallFile(path, kSettingsFileLimit, &text, &error)) {
        Complain() << path << ": " << error << "; nothing was sent\n";
        return false;
    }
    if (!ParseRestoreFile(path, text, file, &error)) {
        Complain() << error << "\n";
        return false;
    }
    return true;
}

bool ParseGroups(const std::vector<std::string>& names, SettingSelection* selection) {
    if (names.empty()) {
        selection->set();
        return true;
    }
    selection->reset();
    for (const std::string& name : names) {
        bool known = false;
        for (SettingGroup group : kSettingGroups) {
            if (name == GroupKey(group)) {
                *selection |= GroupSelection(group);
                known = true;
            }
        }
        if (!known) {
            Complain() << "--only: unknown group \"" << name << "\" (" << GroupKeyList() << ")\n";
            return false;
        }
    }
    return true;
}

// Writes the controller's current settings where a later restore can bring them back. False
// with the message.
bool TakeSnapshot(const ControllerSettings& settings, const RestoreOptions& options,
                  std::string* path, std::string* message) {
    namespace fs = std::filesystem;
    const fs::path folder = options.snapshotDir.empty() ? fs::path(DefaultSnapshotFolder())
                                                        : fs::path(options.snapshotDir);
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        *message = "cannot create the snapshot folder " + folder.string() + ": " +
                   failure.message() + "; nothing was sent (--no-snapshot skips it)";
        return false;
    }
    fs::path file = folder / ("snapshot-" + CompactTimestamp() + ".json");
    for (int n = 2; fs::exists(file); ++n) {
        file = folder / ("snapshot-" + CompactTimestamp() + "-" + std::to_string(n) + ".json");
    }
    std::string error;
    if (!WriteFileAtomically(file.string(), WriteSettingsFile(FromController(settings)), &error)) {
        *message = "snapshot: " + error + "; nothing was sent";
        return false;
    }
    *path = file.string();
    return true;
}

// The restore's connection: the command line's own open and close, which print what went
// wrong themselves and keep the exit status for RunRestore.
class CliRestoreLink : public RestoreLink {
  public:
    CliRestoreLink(ControllerClient& client, const CommonOptions& common)
        : client_(client), common_(common) {}

    int Code() const { return code_; }

    ClientOutcome Open() override {
        code_ = OpenConnection(client_, common_);
        if (code_ != kExitOk) {
            return {ClientResult::kRejected, "not connected"};
        }
        if (opens_++ == 0) {
            ClearProgressLine();
        }
        return {};
    }
    ClientOutcome Close() override {
        code_ = Finish(client_, kExitOk);
        return code_ == kExitOk ? ClientOutcome{} : ClientOutcome{ClientResult::kRejected, ""};
    }
    ControllerSettings Settings() const override { return client_.Settings(); }
    ClientOutcome Send(const PlannedRequest& request) override { return client_.Send(request); }
    ClientOutcome Store() override { return client_.Store(); }

  private:
    ControllerClient& client_;
    const CommonOptions& common_;
    int code_ = kExitOk;
    int opens_ = 0;
};

void ListNames(const char* title, const std::vector<SettingId>& ids) {
    if (ids.empty()) {
        return;
    }
    std::cerr << title << "\n";
    for (SettingId id : ids) {
        std::cerr << "  " << QualifiedName(Setting(id)) << "\n";
    }
}

// "Changed:" and each setting sent, old and new, once the controller confirmed them all.
void PrintChanges(const RestoreResult& result) {
    if (result.applied.empty()) {
        Say() << "The controller already holds every value of the file; nothing was sent.\n";
        return;
    }
    Say() << "Changed:\n";
    for (SettingId id : result.applied) {
        std::cout << "  " << QualifiedName(Setting(id)) << ": "
                  << FormatValueWithUnit(Setting(id), result.before[id]) << " -> "
                  << FormatValueWithUnit(Setting(id), result.target[id]) << "\n";
    }
}

std::string DescribePlan(const RestoreResult& result) {
    std::ostringstream out;
    out << (result.plan.empty() ? "Nothing to change.\n" : "Would change:\n");
    for (const PlannedRequest& request : result.plan) {
        for (SettingId id : request.carries) {
            out << "  " << QualifiedName(Setting(id)) << ": "
                << FormatValueWithUnit(Setting(id), result.before[id]) << " -> "
                << FormatValueWithUnit(Setting(id), result.target[id]) << "\n";
        }
        out << "    with " << DescribeRequest(request) << "\n";
    }
    out << "Dry run: nothing was sent.\n";
    return out.str();
}

}  // namespace

std::string GroupKeyList() {
    std::string list;
    for (SettingGroup group : kSettingGroups) {
        list += (list.empty() ? "" : ", ") + std::string(GroupKey(group));
    }
    return list;
}

std::string DevicePath(const std::string& port) {
#ifdef _WIN32
    if (!port.empty() && port.find_first_not_of("0123456789") == std::string::npos) {
        return "COM" + port;
    }
#endif
    return port;
}

int RunPorts(const CommonOptions& common) {
    const std::vector<SerialPortEntry> ports = ListSerialPorts();
    if (common.json) {
        Json list = Json::array();
        for (const SerialPortEntry& port : ports) {
            list.push_back({{"name", port.name}, {"device", port.device}});
        }
        std::cout << list.dump(2) << "\n";
        return kExitOk;
    }
    for (const SerialPortEntry& port : ports) {
        std::cout << port.name;
        if (port.device != port.name) {
            std::cout << " -> " << port.device;
        }
        std::cout << "\n";
    }
    return kExitOk;
}

int RunInfo(ControllerClient& client, const CommonOptions& common) {
    if (const int code = OpenConnection(client, common); code != kExitOk) {
        return code;
    }
    const ControllerSettings settings = client.Settings();
    const SettingsFile file = FromController(settings);
    std::ostringstream out;
    if (common.json) {
        out << WriteSettingsFile(file);
        return FinishThenPrint(client, kExitOk, out.str());
    }
    out << "Firmware version: " << FirmwareDotted(settings.firmwareVersion) << " (hardware type "
        << settings.hardwareType << ")\n";
    for (SettingGroup group : kSettingGroups) {
        out << "\n" << GroupTitle(group) << "\n";
        for (const SettingInfo& info : SettingTable()) {
            if (info.group == group && file.present[info.id]) {
                out << "  " << info.label << ": " << FormatValueWithUnit(info, file.values[info.id])
                    << (info.ReadOnly() ? " (read-only)" : "") << "\n";
            }
        }
    }
    return FinishThenPrint(client, kExitOk, out.str());
}

int RunBackup(ControllerClient& client, const CommonOptions& common, const std::string& output) {
    const bool toStdout = output.empty() || output == "-";
    std::string error;
    if (!toStdout && !CheckOutputPath(output, &error)) {
        Complain() << output << ": " << error << "; the port was not opened\n";
        return kExitBadFile;
    }
    ProgressLine progress("backup", common.trace);
    progress.SetTotal(3);
    progress.Step("connecting and reading the settings");
    if (const int code = OpenConnection(client, common); code != kExitOk) {
        return code;
    }
    const std::string text = WriteSettingsFile(FromController(client.Settings()));
    progress.Step("disconnecting");
    if (const int code = Finish(client, kExitOk); code != kExitOk) {
        return code;
    }
    if (StopCode() != 0) {
        return StopCode();  // nothing half done is written
    }
    progress.Step(toStdout ? "writing to standard output" : "writing " + output);
    if (toStdout) {
        Say() << text;
        std::cout.flush();
        return std::cout ? kExitOk : kExitLinkFailed;
    }
    if (!WriteFileAtomically(output, text, &error)) {
        Complain() << error << "\n";
        return kExitLinkFailed;
    }
    ClearProgressLine();
    std::cerr << "Settings written to " << output << "\n";
    return kExitOk;
}

int RunDiff(ControllerClient& client, const CommonOptions& common, const std::string& path) {
    SettingsFile file;
    if (!LoadFile(path, &file)) {
        return kExitBadFile;
    }
    if (const int code = OpenConnection(client, common); code != kExitOk) {
        return code;
    }
    const ControllerSettings settings = client.Settings();
    SettingSelection all;
    all.set();
    const std::vector<SettingDifference> differences =
        CompareWithFile(ReadSettings(settings), file, all);
    bool writable = false;
    std::ostringstream out;
    Json list = Json::array();
    const auto identity = [&](const char* name, std::string controller, std::string inFile) {
        if (controller != inFile) {
            list.push_back({{"name", name},
                            {"controller", controller},
                            {"file", inFile},
                            {"read_only", true}});
            if (!common.json) {
                out << name << ": controller " << controller << ", file " << inFile
                    << " (read-only)\n";
            }
        }
    };
    identity("hardware_type", std::to_string(settings.hardwareType),
             std::to_string(file.hardwareType));
    if (file.hasFirmware) {
        identity("firmware", FirmwareDotted(settings.firmwareVersion),
                 FirmwareDotted(file.firmwareVersion));
    }
    for (const SettingDifference& d : differences) {
        writable = writable || !d.info->ReadOnly();
        list.push_back({{"name", QualifiedName(*d.info)},
                        {"controller", FormatValueWithUnit(*d.info, d.controller)},
                        {"file", FormatValueWithUnit(*d.info, d.file)},
                        {"read_only", d.info->ReadOnly()}});
        if (!common.json) {
            out << QualifiedName(*d.info) << ": controller "
                << FormatValueWithUnit(*d.info, d.controller) << ", file "
                << FormatValueWithUnit(*d.info, d.file)
                << (d.info->ReadOnly() ? " (read-only)" : "") << "\n";
        }
    }
    if (common.json) {
        out << list.dump(2) << "\n";
    }
    // Read-only values are shown but cannot be restored, so they do not count as differences.
    return FinishThenPrint(client, writable ? kExitDifferences : kExitOk, out.str());
}

int RunRestore(ControllerClient& client, const CommonOptions& common,
               const RestoreOptions& options) {
    RestoreOrder order;
    if (!ParseGroups(options.only, &order.selection)) {
        return kExitUsage;
    }
    order.name = options.file;
    std::string error;
    if (!ResolveRestoreFile(options.file, &order.name, &error)) {
        Complain() << options.file << ": " << error << "; nothing was sent\n";
        return kExitBadFile;
    }
    if (!ReadSmallFile(order.name, kSettingsFileLimit, &order.text, &error)) {
        Complain() << order.name << ": " << error << "; nothing was sent\n";
        return kExitBadFile;
    }
    order.dryRun = options.dryRun;
    order.store = options.store;
    if (!options.noSnapshot) {
        order.snapshot = [&options](const ControllerSettings& before, std::string* path,
                                    std::string* message) {
            return TakeSnapshot(before, options, path, message);
        };
    }
    std::unique_ptr<ProgressLine> progress;
    const auto report = [&](const RestoreEvent& event, const RestoreResult& sofar) {
        switch (event.kind) {
            case RestoreEvent::kStep:
                if (!progress) {
                    progress =
                        std::make_unique<ProgressLine>("restore", common.trace || options.dryRun);
                }
                // And disconnecting at the end.
                progress->SetTotal(event.total == 0 ? 0 : event.total + 1);
                progress->Step(event.text);
                break;
            case RestoreEvent::kSnapshotWritten:
                Say() << "Snapshot of the settings before the restore: " << event.text << "\n";
                break;
            case RestoreEvent::kVerified:
                PrintChanges(sofar);
                break;
        }
    };
    CliRestoreLink link(client, common);
    const RestoreResult result = RunRestoreProcedure(order, link, report);
    for (const std::string& problem : result.problems) {
        Complain() << problem << "\n";
    }
    switch (result.end) {
        case RestoreEnd::kBadFile:
            return kExitBadFile;
        case RestoreEnd::kOpenFailed:
        case RestoreEnd::kReopenFailed:
            return link.Code();
        case RestoreEnd::kUnsuitable:
            return Finish(client, kExitBadFile);
        case RestoreEnd::kPlanned:
            return FinishThenPrint(client, kExitOk, DescribePlan(result));
        case RestoreEnd::kSnapshotFailed:
        case RestoreEnd::kNotTaken:
            return Finish(client, kExitLinkFailed);
        case RestoreEnd::kSendFailed:
            ListNames("Applied:", result.applied);
            ListNames("Sent, not confirmed by the controller:", result.unconfirmed);
            ListNames("Not applied:", result.notApplied);
            return Finish(client, ExitFor(result.outcome));
        case RestoreEnd::kStoreFailed:
            return Finish(client, ExitFor(result.outcome));
        case RestoreEnd::kRestored:
            break;
    }
    if (options.store) {
        Say() << StatusTextUtf8(kStatusParametersStored) << "\n";
    } else if (!result.applied.empty()) {
        std::cout << "The settings last until the controller is switched off or its defaults are "
                     "reloaded; `axistune-cli store` keeps them.\n";
    }
    progress->Step("disconnecting");
    return Finish(client, kExitOk);
}

int RunHistory(const CommonOptions& common) {
    const SettingsHistory history;
    const HistoryListing listing = history.List();
    if (!listing.error.empty()) {
        Complain() << listing.error << "\n";
        return kExitBadFile;
    }
    std::cout << (common.json ? HistoryJson(listing) : HistoryTable(listing, history.Folder()))
              << std::flush;
    return std::cout ? kExitOk : kExitLinkFailed;
}

int RunStore(ControllerClient& client, const CommonOptions& common) {
    if (const int code = OpenConnection(client, common); code != kExitOk) {
        return code;
    }
    const ClientOutcome stored = client.Store();
    if (!stored.Ok()) {
        Complain() << "storing the settings failed: " << stored.message << "\n";
        return Finish(client, ExitFor(stored));
    }
    std::cout << StatusTextUtf8(kStatusParametersStored) << "\n";
    return Finish(client, kExitOk);
}

int RunReloadDefaults(ControllerClient& client, const CommonOptions& common,
                      const RestoreOptions& snapshot) {
    if (const int code = OpenConnection(client, common); code != kExitOk) {
        return code;
    }
    if (!snapshot.noSnapshot) {
        std::string path;
        std::string message;
        if (!TakeSnapshot(client.Settings(), snapshot, &path, &message)) {
            Complain() << message << "\n";
            return Finish(client, kExitLinkFailed);
        }
        std::cout << "Snapshot of the settings before the reload: " << path << "\n";
    }
    const ClientOutcome reloaded = client.ReloadDefaults();
    if (!reloaded.Ok()) {
        Complain() << "reloading the defaults failed: " << reloaded.message << "\n";
        return Finish(client, ExitFor(reloaded));
    }
    std::cout << StatusTextUtf8(kStatusDefaultsReloaded)
              << ". They last until the controller is switched off; `axistune-cli store` keeps "
                 "them.\n";
    return Finish(client, kExitOk);
}

}  // namespace axistune::cli
