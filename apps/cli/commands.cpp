#include "commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "app/state_files.h"
#include "core/controller_constants.h"
#include "core/setting_groups.h"
#include "core/settings_file.h"
#include "core/status_codes.h"
#include "core/status_texts.h"
#include "exit_codes.h"
#include "file_io.h"
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

int Open(ControllerClient& client, const CommonOptions& common) {
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
    SettingsFile file;
    file.hardwareType = settings.hardwareType;
    file.firmwareVersion = settings.firmwareVersion;
    file.hasFirmware = true;
    file.taken = UtcTimestamp();
    file.values = ReadSettings(settings);
    file.present.set();
    // A controller without closed-loop tracking has no such setting to record.
    if ((settings.features & kFeatureClosedLoop) == 0) {
        file.present[kClosedLoop] = false;
    }
    return file;
}

bool LoadFile(const std::string& path, SettingsFile* file) {
    std::string text;
    std::string error;
    if (!ReadSettingsText(path, &text, &error)) {
        Complain() << path << ": " << error << "; nothing was sent\n";
        return false;
    }
    SettingsFileError problem;
    if (!ReadSettingsFile(text, file, &problem)) {
        Complain() << path << ": " << (problem.key.empty() ? "" : problem.key + ": ")
                   << problem.message << "\n";
        return false;
    }
    return true;
}

// Whether the file's values can go to this controller at all; checked before anything is sent.
bool Suits(const std::string& path, const SettingsFile& file, const ControllerSettings& settings,
           const SettingSelection& selection) {
    if (file.hardwareType != settings.hardwareType) {
        std::cerr << "axistune-cli: " << path << ": hardware_type: the file was taken from "
                  << "hardware type " << file.hardwareType << ", the controller is of type "
                  << settings.hardwareType << "; nothing was sent\n";
        return false;
    }
    if (selection[kClosedLoop] && file.present[kClosedLoop] && file.values[kClosedLoop] != 0 &&
        (settings.features & kFeatureClosedLoop) == 0) {
        std::cerr << "axistune-cli: " << path
                  << ": site.closed_loop: this controller has no closed-loop tracking; "
                  << "nothing was sent\n";
        return false;
    }
    const SettingValues current = ReadSettings(settings);
    // What the window does not let change on this controller cannot be restored either.
    for (const SettingInfo& info : SettingTable()) {
        const bool changes = file.present[info.id] && file.values[info.id] != current[info.id];
        if (selection[info.id] && changes && !info.ReadOnly() && !Writable(info, current)) {
            std::cerr << "axistune-cli: " << path << ": " << QualifiedName(info)
                      << ": this controller does not let it change (it reports "
                      << QualifiedName(Setting(info.needs)) << " false); nothing was sent\n";
            return false;
        }
    }
    const SettingId currents[] = {kRaIdleCurrent,  kRaTrackCurrent,  kRaRunCurrent,
                                  kDecIdleCurrent, kDecTrackCurrent, kDecRunCurrent};
    for (SettingId id : currents) {
        const SettingId maximum =
            Setting(id).group == SettingGroup::kRa ? kRaMaxCurrent : kDecMaxCurrent;
        if (selection[id] && file.present[id] && current[maximum] != 0 &&
            file.values[id] > current[maximum]) {
            std::cerr << "axistune-cli: " << path << ": " << QualifiedName(Setting(id)) << ": "
                      << file.values[id] << " mA is above this controller's maximum current of "
                      << current[maximum] << " mA; nothing was sent\n";
            return false;
        }
    }
    return true;
}

struct Difference {
    const SettingInfo* info;
    int64_t controller;
    int64_t file;
};

std::vector<Difference> Compare(const SettingValues& controller, const SettingsFile& file,
                                const SettingSelection& selection) {
    std::vector<Difference> found;
    for (const SettingInfo& info : SettingTable()) {
        if (selection[info.id] && file.present[info.id] &&
            controller[info.id] != file.values[info.id]) {
            found.push_back({&info, controller[info.id], file.values[info.id]});
        }
    }
    return found;
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

// Writes the controller's current settings where a later restore can bring them back.
bool TakeSnapshot(const ControllerSettings& settings, const RestoreOptions& options,
                  std::string* path) {
    namespace fs = std::filesystem;
    const fs::path folder = options.snapshotDir.empty() ? fs::path(DefaultSnapshotFolder())
                                                        : fs::path(options.snapshotDir);
    std::error_code failure;
    fs::create_directories(folder, failure);
    if (failure) {
        Complain() << "cannot create the snapshot folder " << folder.string() << ": "
                   << failure.message() << "; nothing was sent (--no-snapshot skips it)\n";
        return false;
    }
    fs::path file = folder / ("snapshot-" + CompactTimestamp() + ".json");
    for (int n = 2; fs::exists(file); ++n) {
        file = folder / ("snapshot-" + CompactTimestamp() + "-" + std::to_string(n) + ".json");
    }
    std::string error;
    if (!WriteFileAtomically(file.string(), WriteSettingsFile(FromController(settings)), &error)) {
        Complain() << "snapshot: " << error << "; nothing was sent\n";
        return false;
    }
    *path = file.string();
    return true;
}

void ListNames(const char* title, const std::vector<SettingId>& ids) {
    if (ids.empty()) {
        return;
    }
    std::cerr << title << "\n";
    for (SettingId id : ids) {
        std::cerr << "  " << QualifiedName(Setting(id)) << "\n";
    }
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
    if (const int code = Open(client, common); code != kExitOk) {
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
    if (const int code = Open(client, common); code != kExitOk) {
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
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const ControllerSettings settings = client.Settings();
    SettingSelection all;
    all.set();
    const std::vector<Difference> differences = Compare(ReadSettings(settings), file, all);
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
    for (const Difference& d : differences) {
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
    SettingSelection selection;
    if (!ParseGroups(options.only, &selection)) {
        return kExitUsage;
    }
    SettingsFile file;
    if (!LoadFile(options.file, &file)) {
        return kExitBadFile;
    }
    ProgressLine progress("restore", common.trace || options.dryRun);
    progress.Step("connecting and reading the settings");
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const ControllerSettings before = client.Settings();
    ClearProgressLine();
    if (!Suits(options.file, file, before, selection)) {
        return Finish(client, kExitBadFile);
    }
    SettingValues target = ReadSettings(before);
    for (const SettingInfo& info : SettingTable()) {
        if (file.present[info.id]) {
            target[info.id] = file.values[info.id];
        }
    }
    SettingSelection wanted = selection & file.present;
    const std::vector<PlannedRequest> plan =
        PlanRequests(ReadSettings(before), target, wanted, before.features);

    const bool snapshotFirst = !plan.empty() && !options.noSnapshot;
    // Connecting, the snapshot, each request, connecting again to check, storing, disconnecting.
    progress.SetTotal(1 + (snapshotFirst ? 1 : 0) + static_cast<int>(plan.size()) + 1 +
                      (options.store ? 1 : 0) + 1);

    if (options.dryRun) {
        std::ostringstream out;
        out << (plan.empty() ? "Nothing to change.\n" : "Would change:\n");
        const SettingValues current = ReadSettings(before);
        for (const PlannedRequest& request : plan) {
            for (SettingId id : request.carries) {
                out << "  " << QualifiedName(Setting(id)) << ": "
                    << FormatValueWithUnit(Setting(id), current[id]) << " -> "
                    << FormatValueWithUnit(Setting(id), target[id]) << "\n";
            }
            out << "    with " << DescribeRequest(request) << "\n";
        }
        out << "Dry run: nothing was sent.\n";
        return FinishThenPrint(client, kExitOk, out.str());
    }

    if (snapshotFirst) {
        progress.Step("saving a snapshot");
        std::string snapshot;
        if (!TakeSnapshot(before, options, &snapshot)) {
            return Finish(client, kExitLinkFailed);
        }
        Say() << "Snapshot of the settings before the restore: " << snapshot << "\n";
    }

    std::vector<SettingId> applied;
    for (size_t i = 0; i < plan.size(); ++i) {
        progress.Step(DescribeRequest(plan[i]));
        const ClientOutcome outcome = client.Send(plan[i]);
        if (!outcome.Ok()) {
            Complain() << DescribeRequest(plan[i]) << ": " << outcome.message
                       << "; the restore stopped\n";
            std::vector<SettingId> unanswered = plan[i].carries;
            std::vector<SettingId> unsent;
            for (size_t j = i + 1; j < plan.size(); ++j) {
                unsent.insert(unsent.end(), plan[j].carries.begin(), plan[j].carries.end());
            }
            ListNames("Applied:", applied);
            ListNames("Sent, not confirmed by the controller:", unanswered);
            ListNames("Not applied:", unsent);
            return Finish(client, ExitFor(outcome));
        }
        applied.insert(applied.end(), plan[i].carries.begin(), plan[i].carries.end());
    }

    // A fresh connection reads everything back from the controller itself.
    progress.Step("connecting again to check every value");
    if (const int code = Finish(client, kExitOk); code != kExitOk) {
        return code;
    }
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const std::vector<Difference> missing = Compare(ReadSettings(client.Settings()), file, wanted);
    bool failed = false;
    for (const Difference& d : missing) {
        if (!d.info->ReadOnly()) {
            failed = true;
            Complain() << QualifiedName(*d.info) << ": the controller reports "
                       << FormatValueWithUnit(*d.info, d.controller) << ", not "
                       << FormatValueWithUnit(*d.info, d.file) << "\n";
        }
    }
    if (failed) {
        Complain() << "the controller did not take every value; nothing was stored\n";
        return Finish(client, kExitLinkFailed);
    }
    const SettingValues old = ReadSettings(before);
    if (applied.empty()) {
        Say() << "The controller already holds every value of the file; nothing was sent.\n";
    } else {
        Say() << "Changed:\n";
        for (SettingId id : applied) {
            std::cout << "  " << QualifiedName(Setting(id)) << ": "
                      << FormatValueWithUnit(Setting(id), old[id]) << " -> "
                      << FormatValueWithUnit(Setting(id), target[id]) << "\n";
        }
    }
    if (options.store) {
        progress.Step("storing the settings in the controller");
        const ClientOutcome stored = client.Store();
        if (!stored.Ok()) {
            Complain() << "storing the settings failed: " << stored.message << "\n";
            return Finish(client, ExitFor(stored));
        }
        Say() << StatusTextUtf8(kStatusParametersStored) << "\n";
    } else if (!applied.empty()) {
        std::cout << "The settings last until the controller is switched off or its defaults are "
                     "reloaded; `axistune-cli store` keeps them.\n";
    }
    progress.Step("disconnecting");
    return Finish(client, kExitOk);
}

int RunStore(ControllerClient& client, const CommonOptions& common) {
    if (const int code = Open(client, common); code != kExitOk) {
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
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    if (!snapshot.noSnapshot) {
        std::string path;
        if (!TakeSnapshot(client.Settings(), snapshot, &path)) {
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
