#include "commands.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "core/controller_constants.h"
#include "core/settings_file.h"
#include "exit_codes.h"
#include "file_io.h"
#include "platform/serial_port_list.h"

namespace axistune::cli {

namespace {

using Json = nlohmann::ordered_json;

constexpr SettingGroup kGroups[] = {SettingGroup::kRa, SettingGroup::kDec, SettingGroup::kGear,
                                    SettingGroup::kSite};

const char* GroupTitle(SettingGroup group) {
    switch (group) {
        case SettingGroup::kRa:
            return "RA";
        case SettingGroup::kDec:
            return "Dec";
        case SettingGroup::kGear:
            return "Gear ratios";
        case SettingGroup::kSite:
            return "Site and mount";
    }
    return "";
}

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
    if (!closed.Ok() && code == kExitOk) {
        std::cerr << "axistune-cli: disconnecting failed: " << closed.message << "\n";
        return kExitLinkFailed;
    }
    if (code == kExitInterrupted) {
        std::cerr << "axistune-cli: interrupted; disconnected\n";
    }
    return code;
}

int Open(ControllerClient& client, const CommonOptions& common) {
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
    if (!outcome.Ok()) {
        // An open failure names the device itself.
        std::cerr << "axistune-cli: "
                  << (outcome.result == ClientResult::kPortFailed ? "" : device + ": ")
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
    if (!ReadTextFile(path, &text, &error)) {
        std::cerr << "axistune-cli: " << path << ": cannot read: " << error << "\n";
        return false;
    }
    SettingsFileError problem;
    if (!ReadSettingsFile(text, file, &problem)) {
        std::cerr << "axistune-cli: " << path << ": "
                  << (problem.key.empty() ? "" : problem.key + ": ") << problem.message << "\n";
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
    const SettingId currents[] = {kRaIdleCurrent,  kRaTrackCurrent,  kRaRunCurrent,
                                  kDecIdleCurrent, kDecTrackCurrent, kDecRunCurrent};
    for (SettingId id : currents) {
        const SettingId maximum = id < kDecReverseRotation ? kRaMaxCurrent : kDecMaxCurrent;
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
        for (SettingGroup group : kGroups) {
            if (name == GroupKey(group)) {
                *selection |= GroupSelection(group);
                known = true;
            }
        }
        if (!known) {
            std::cerr << "axistune-cli: --only: unknown group \"" << name
                      << "\" (ra, dec, gear, site)\n";
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
        std::cerr << "axistune-cli: cannot create the snapshot folder " << folder.string() << ": "
                  << failure.message() << "; nothing was sent (--no-snapshot skips it)\n";
        return false;
    }
    fs::path file = folder / ("snapshot-" + CompactTimestamp() + ".json");
    for (int n = 2; fs::exists(file); ++n) {
        file = folder / ("snapshot-" + CompactTimestamp() + "-" + std::to_string(n) + ".json");
    }
    std::string error;
    if (!WriteFileAtomically(file.string(), WriteSettingsFile(FromController(settings)), &error)) {
        std::cerr << "axistune-cli: snapshot: " << error << "; nothing was sent\n";
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
    if (common.json) {
        std::cout << WriteSettingsFile(file);
        return Finish(client, kExitOk);
    }
    std::cout << "Firmware version: " << FirmwareDotted(settings.firmwareVersion)
              << " (hardware type " << settings.hardwareType << ")\n";
    for (SettingGroup group : kGroups) {
        std::cout << "\n" << GroupTitle(group) << "\n";
        for (const SettingInfo& info : SettingTable()) {
            if (info.group == group && file.present[info.id]) {
                std::cout << "  " << info.label << ": "
                          << FormatValueWithUnit(info, file.values[info.id])
                          << (info.ReadOnly() ? " (read-only)" : "") << "\n";
            }
        }
    }
    return Finish(client, kExitOk);
}

int RunBackup(ControllerClient& client, const CommonOptions& common, const std::string& output) {
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const std::string text = WriteSettingsFile(FromController(client.Settings()));
    const int code = Finish(client, kExitOk);
    if (code != kExitOk) {
        return code;
    }
    if (output.empty() || output == "-") {
        std::cout << text;
        std::cout.flush();
        return std::cout ? kExitOk : kExitLinkFailed;
    }
    std::string error;
    if (!WriteFileAtomically(output, text, &error)) {
        std::cerr << "axistune-cli: " << error << "\n";
        return kExitLinkFailed;
    }
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
    Json list = Json::array();
    const auto identity = [&](const char* name, std::string controller, std::string inFile) {
        if (controller != inFile) {
            list.push_back({{"name", name},
                            {"controller", controller},
                            {"file", inFile},
                            {"read_only", true}});
            if (!common.json) {
                std::cout << name << ": controller " << controller << ", file " << inFile
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
            std::cout << QualifiedName(*d.info) << ": controller "
                      << FormatValueWithUnit(*d.info, d.controller) << ", file "
                      << FormatValueWithUnit(*d.info, d.file)
                      << (d.info->ReadOnly() ? " (read-only)" : "") << "\n";
        }
    }
    if (common.json) {
        std::cout << list.dump(2) << "\n";
    }
    // Read-only values are shown but cannot be restored, so they do not count as differences.
    return Finish(client, writable ? kExitDifferences : kExitOk);
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
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const ControllerSettings before = client.Settings();
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

    if (options.dryRun) {
        std::cout << (plan.empty() ? "Nothing to change.\n" : "Would change:\n");
        const SettingValues current = ReadSettings(before);
        for (const PlannedRequest& request : plan) {
            for (SettingId id : request.carries) {
                std::cout << "  " << QualifiedName(Setting(id)) << ": "
                          << FormatValueWithUnit(Setting(id), current[id]) << " -> "
                          << FormatValueWithUnit(Setting(id), target[id]) << "\n";
            }
            std::cout << "    with " << DescribeRequest(request) << "\n";
        }
        std::cout << "Dry run: nothing was sent.\n";
        return Finish(client, kExitOk);
    }

    if (!plan.empty() && !options.noSnapshot) {
        std::string snapshot;
        if (!TakeSnapshot(before, options, &snapshot)) {
            return Finish(client, kExitLinkFailed);
        }
        std::cout << "Snapshot of the settings before the restore: " << snapshot << "\n";
    }

    std::vector<SettingId> applied;
    for (size_t i = 0; i < plan.size(); ++i) {
        const ClientOutcome outcome = client.Send(plan[i]);
        if (!outcome.Ok()) {
            std::cerr << "axistune-cli: " << DescribeRequest(plan[i]) << ": " << outcome.message
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
            std::cerr << "axistune-cli: " << QualifiedName(*d.info) << ": the controller reports "
                      << FormatValueWithUnit(*d.info, d.controller) << ", not "
                      << FormatValueWithUnit(*d.info, d.file) << "\n";
        }
    }
    if (failed) {
        std::cerr << "axistune-cli: the controller did not take every value; nothing was stored\n";
        return Finish(client, kExitLinkFailed);
    }
    const SettingValues old = ReadSettings(before);
    if (applied.empty()) {
        std::cout << "The controller already holds every value of the file; nothing was sent.\n";
    } else {
        std::cout << "Changed:\n";
        for (SettingId id : applied) {
            std::cout << "  " << QualifiedName(Setting(id)) << ": "
                      << FormatValueWithUnit(Setting(id), old[id]) << " -> "
                      << FormatValueWithUnit(Setting(id), target[id]) << "\n";
        }
    }
    if (options.store) {
        const ClientOutcome stored = client.Store();
        if (!stored.Ok()) {
            std::cerr << "axistune-cli: storing the settings failed: " << stored.message << "\n";
            return Finish(client, ExitFor(stored));
        }
        std::cout << "Parameters stored...\n";
    } else if (!applied.empty()) {
        std::cout << "The settings last until the controller is switched off or its defaults are "
                     "reloaded; `axistune-cli store` keeps them.\n";
    }
    return Finish(client, kExitOk);
}

int RunStore(ControllerClient& client, const CommonOptions& common) {
    if (const int code = Open(client, common); code != kExitOk) {
        return code;
    }
    const ClientOutcome stored = client.Store();
    if (!stored.Ok()) {
        std::cerr << "axistune-cli: storing the settings failed: " << stored.message << "\n";
        return Finish(client, ExitFor(stored));
    }
    std::cout << "Parameters stored...\n";
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
        std::cerr << "axistune-cli: reloading the defaults failed: " << reloaded.message << "\n";
        return Finish(client, ExitFor(reloaded));
    }
    std::cout << "Defaults reloaded. They last until the controller is switched off; "
                 "`axistune-cli store` keeps them.\n";
    return Finish(client, kExitOk);
}

}  // namespace axistune::cli
