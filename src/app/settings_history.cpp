#include "app/settings_history.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>

#include "app/history_switch.h"
#include "app/utc_time.h"
#include "core/setting_table.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

constexpr const char* kReferencePrefix = "history:";
// Windows refuses paths beyond 260 characters in many places; a port name never comes close.
constexpr size_t kLongestEncodedPort = 120;
// Writers in other processes may take the same second's names; a few more tries suffice.
constexpr uint32_t kNameAttempts = 16;

struct NamedEntry {
    std::string fileName;
    HistoryName name;
};

bool NewerName(const NamedEntry& a, const NamedEntry& b) {
    if (a.name.takenUtc != b.name.takenUtc) {
        return a.name.takenUtc > b.name.takenUtc;
    }
    if (a.name.sequence != b.name.sequence) {
        return a.name.sequence > b.name.sequence;
    }
    return a.fileName > b.fileName;
}

bool IsJsonName(const std::string& name) {
    if (name.size() <= 5) {
        return false;
    }
    std::string extension = name.substr(name.size() - 5);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
    return extension == ".json";
}

// The names of the folder's regular files. A missing folder holds none. A name the narrow
// strings cannot carry (Windows: outside the ANSI code page) is skipped: the history never
// writes one, and no path of ours could open it.
bool FolderFiles(const std::string& folder, std::vector<std::string>* names, std::string* error) {
    std::error_code failure;
    if (!fs::exists(folder, failure) && !failure) {
        return true;
    }
    for (fs::directory_iterator it(folder, failure), end; !failure && it != end;
         it.increment(failure)) {
        std::error_code typeFailure;
        if (!it->is_regular_file(typeFailure)) {
            continue;
        }
        try {
            names->push_back(it->path().filename().string());
        } catch (const std::system_error&) {
            continue;  // see above
        }
    }
    if (failure) {
        *error = "cannot read the folder " + folder + ": " + failure.message();
        return false;
    }
    return true;
}

// The history's own entries, newest first.
bool ScanHistory(const std::string& folder, std::vector<NamedEntry>* entries, std::string* error) {
    std::vector<std::string> names;
    if (!FolderFiles(folder, &names, error)) {
        return false;
    }
    for (const std::string& name : names) {
        NamedEntry entry{name, {}};
        if (ParseHistoryName(name, &entry.name)) {
            entries->push_back(std::move(entry));
        }
    }
    std::sort(entries->begin(), entries->end(), NewerName);
    return true;
}

bool ReadEntry(const std::string& path, SettingsFile* settings, std::string* error) {
    std::string text;
    if (!ReadSmallFile(path, kHistoryFileLimit, &text, error)) {
        return false;
    }
    SettingsFileError problem;
    if (!ReadSettingsFile(text, settings, &problem)) {
        *error = (problem.key.empty() ? "" : problem.key + ": ") + problem.message;
        return false;
    }
    return true;
}

// The path of the same controller's newest entry when it holds these settings, else empty.
std::string EqualNewest(const std::string& folder, const std::vector<NamedEntry>& entries,
                        const std::string& port, const SettingsFile& settings) {
    for (const NamedEntry& entry : entries) {
        if (entry.name.port != port) {
            continue;
        }
        const std::string path = (fs::path(folder) / entry.fileName).string();
        SettingsFile newest;
        std::string ignored;
        // An unreadable entry tells nothing about the controller; the next one may.
        if (!ReadEntry(path, &newest, &ignored) || newest.hardwareType != settings.hardwareType) {
            continue;
        }
        return SameSettings(newest, settings) ? path : "";
    }
    return "";
}

// Removes the history's entries beyond `limit`, oldest first; the ones that could not be
// removed, for the outcome's message.
std::string Prune(const std::string& folder, size_t limit) {
    std::vector<NamedEntry> entries;
    std::string problems;
    if (!ScanHistory(folder, &entries, &problems)) {
        return "old entries were not pruned: " + problems;
    }
    for (size_t i = limit; i < entries.size(); ++i) {
        std::error_code failure;
        fs::remove(fs::path(folder) / entries[i].fileName, failure);
        if (failure) {
            problems += (problems.empty() ? "cannot remove the old entry " : "; ") +
                        entries[i].fileName + ": " + failure.message();
        }
    }
    return problems;
}

int64_t ModificationUtc(const fs::path& path) {
    using namespace std::chrono;
    std::error_code failure;
    const fs::file_time_type written = fs::last_write_time(path, failure);
    if (failure) {
        return 0;
    }
    const auto shifted = written - fs::file_time_type::clock::now() + system_clock::now();
    return duration_cast<seconds>(shifted.time_since_epoch()).count();
}

bool NewerEntry(const HistoryEntry& a, const HistoryEntry& b) {
    if (a.takenUtc != b.takenUtc) {
        return a.takenUtc > b.takenUtc;
    }
    HistoryName nameA;
    HistoryName nameB;
    const uint32_t sequenceA = ParseHistoryName(a.fileName, &nameA) ? nameA.sequence : 0;
    const uint32_t sequenceB = ParseHistoryName(b.fileName, &nameB) ? nameB.sequence : 0;
    if (sequenceA != sequenceB) {
        return sequenceA > sequenceB;
    }
    return a.fileName > b.fileName;
}

HistoryEntry Describe(const fs::path& path) {
    HistoryEntry entry;
    entry.path = path.string();
    entry.fileName = path.filename().string();  // FolderFiles made it from a narrow string
    HistoryName name;
    entry.writtenByHistory = ParseHistoryName(entry.fileName, &name);
    entry.readable = ReadEntry(entry.path, &entry.settings, &entry.error);
    if (entry.writtenByHistory) {
        entry.reason = name.reason;
        entry.port = name.port;
        entry.takenUtc = name.takenUtc;
    } else if (!entry.readable || !ParseIsoUtc(entry.settings.taken, &entry.takenUtc)) {
        entry.takenUtc = ModificationUtc(path);
    }
    return entry;
}

// A plain file name: no folder part, nothing that leaves the folder.
bool IsPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\:") == std::string::npos;
}

bool Fail(std::string* error, std::string message) {
    *error = std::move(message);
    return false;
}

}  // namespace

bool SameSettings(const SettingsFile& a, const SettingsFile& b) {
    if (a.hardwareType != b.hardwareType || a.present != b.present) {
        return false;
    }
    for (size_t id = 0; id < kSettingCount; ++id) {
        if (a.present[id] && a.values[id] != b.values[id]) {
            return false;
        }
    }
    return true;
}

SettingsHistory::SettingsHistory(std::string folder, size_t entryLimit)
    : folder_(std::move(folder)), entryLimit_(entryLimit) {}

bool SettingsHistory::Automatic() const {
    return ReadHistorySwitch(HistorySwitchPath(folder_));
}

bool SettingsHistory::SetAutomatic(bool automatic, std::string* error) const {
    return WriteHistorySwitch(HistorySwitchPath(folder_), automatic, error);
}

HistoryOutcome SettingsHistory::Write(HistoryReason reason, const std::string& port,
                                      const SettingsFile& settings) const {
    return WriteAt(UtcNowSeconds(), reason, port, settings);
}

HistoryOutcome SettingsHistory::WriteAt(int64_t takenUtc, HistoryReason reason,
                                        const std::string& port,
                                        const SettingsFile& settings) const {
    HistoryOutcome outcome;
    try {
        if (port.empty() || PercentEncode(port).size() > kLongestEncodedPort) {
            outcome.message = "the port name \"" + port + "\" cannot name a history entry";
            return outcome;
        }
        if (reason != HistoryReason::kBeforeRestore && !Automatic()) {
            outcome.result = HistoryResult::kOff;
            return outcome;
        }
        std::error_code failure;
        fs::create_directories(folder_, failure);
        if (failure) {
            outcome.message =
                "cannot create the history folder " + folder_ + ": " + failure.message();
            return outcome;
        }
        std::vector<NamedEntry> entries;
        if (!ScanHistory(folder_, &entries, &outcome.message)) {
            return outcome;
        }
        outcome.path = EqualNewest(folder_, entries, port, settings);
        if (!outcome.path.empty()) {
            outcome.result = HistoryResult::kUnchanged;
            return outcome;
        }
        HistoryName name{takenUtc, 1, reason, port};
        for (const NamedEntry& entry : entries) {
            if (entry.name.takenUtc == takenUtc) {
                name.sequence = std::max(name.sequence, entry.name.sequence + 1);
            }
        }
        SettingsFile entry = settings;
        entry.taken = IsoUtc(takenUtc);
        const std::string text = WriteSettingsFile(entry);
        for (uint32_t attempt = 0; attempt < kNameAttempts && outcome.path.empty();
             ++attempt, ++name.sequence) {
            const fs::path path = fs::path(folder_) / FormatHistoryName(name);
            if (fs::exists(path, failure)) {
                continue;  // taken since the scan, by another program's history
            }
            if (!WriteFileAtomically(path.string(), text, &outcome.message)) {
                return outcome;
            }
            outcome.path = path.string();
        }
        if (outcome.path.empty()) {
            outcome.message =
                "every name for an entry at " + IsoUtc(takenUtc) + " is taken in " + folder_;
            return outcome;
        }
        outcome.result = HistoryResult::kWritten;
        outcome.message = Prune(folder_, entryLimit_);
    } catch (const std::exception& e) {
        // Out of memory, for one: the window goes on without this entry.
        outcome.result = HistoryResult::kFailed;
        outcome.message = std::string("the history entry was not written: ") + e.what();
    }
    return outcome;
}

HistoryListing SettingsHistory::List() const {
    HistoryListing listing;
    std::vector<std::string> names;
    FolderFiles(folder_, &names, &listing.error);  // what could be read is listed regardless
    for (const std::string& name : names) {
        if (IsJsonName(name)) {
            listing.entries.push_back(Describe(fs::path(folder_) / name));
        }
    }
    std::sort(listing.entries.begin(), listing.entries.end(), NewerEntry);
    return listing;
}

bool SettingsHistory::Remove(const std::string& fileName, std::string* error) const {
    if (!IsPlainName(fileName)) {
        return Fail(error, "\"" + fileName + "\" is not the name of a file in " + folder_);
    }
    const fs::path path = fs::path(folder_) / fileName;
    std::error_code failure;
    if (!fs::is_regular_file(path, failure)) {
        return Fail(error, path.string() + " is not a file of the history");
    }
    if (!fs::remove(path, failure) || failure) {
        return Fail(error, "cannot remove " + path.string() + ": " +
                               (failure ? failure.message() : "it is gone"));
    }
    return true;
}

bool SettingsHistory::Resolve(const std::string& reference, std::string* path,
                              std::string* error) const {
    const std::string prefix(kReferencePrefix);
    const bool prefixed = reference.compare(0, prefix.size(), prefix) == 0;
    const std::string name = prefixed ? reference.substr(prefix.size()) : reference;
    const bool latest = name == "latest";
    const bool numbered = !name.empty() && name.size() <= 6 &&
                          name.find_first_not_of("0123456789") == std::string::npos;
    if (prefixed && (latest || numbered)) {
        const size_t position = latest ? 1 : std::stoul(name);
        const HistoryListing listing = List();
        if (!listing.error.empty()) {
            return Fail(error, listing.error);
        }
        if (position == 0 || position > listing.entries.size()) {
            return Fail(error, listing.entries.empty()
                                   ? "the history in " + folder_ + " is empty"
                                   : "the history holds " + std::to_string(listing.entries.size()) +
                                         " entries");
        }
        *path = listing.entries[position - 1].path;
        return true;
    }
    std::error_code failure;
    if (!IsPlainName(name) || !fs::is_regular_file(fs::path(folder_) / name, failure)) {
        return Fail(error, "no entry \"" + name + "\" in the history (" + folder_ + ")");
    }
    *path = (fs::path(folder_) / name).string();
    return true;
}

}  // namespace axistune
