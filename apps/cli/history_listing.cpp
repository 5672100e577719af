#include "history_listing.h"

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <vector>

#include "app/utc_time.h"

namespace axistune::cli {

namespace {

constexpr char kReferencePrefix[] = "history:";

struct Row {
    std::vector<std::string> cells;
};

Row RowOf(size_t number, const HistoryEntry& entry) {
    const bool history = entry.writtenByHistory;
    return {
        {std::to_string(number), IsoUtc(entry.takenUtc),
         history ? HistoryReasonKey(entry.reason) : "-", history ? entry.port : "-",
         entry.readable ? std::to_string(entry.settings.hardwareType) : "-",
         entry.readable && entry.settings.hasFirmware
             ? FirmwareDotted(entry.settings.firmwareVersion)
             : "-",
         entry.readable ? entry.fileName : entry.fileName + " (unreadable: " + entry.error + ")"}};
}

}  // namespace

std::string HistoryTable(const HistoryListing& listing, const std::string& folder) {
    if (listing.entries.empty()) {
        return "The settings history in " + folder + " is empty.\n";
    }
    std::vector<Row> rows = {{{"#", "Taken (UTC)", "Why", "Port", "Type", "Firmware", "File"}}};
    for (size_t i = 0; i < listing.entries.size(); ++i) {
        rows.push_back(RowOf(i + 1, listing.entries[i]));
    }
    std::vector<size_t> widths(rows[0].cells.size(), 0);
    for (const Row& row : rows) {
        for (size_t c = 0; c < row.cells.size(); ++c) {
            widths[c] = std::max(widths[c], row.cells[c].size());
        }
    }
    std::string text;
    for (const Row& row : rows) {
        std::string line;
        for (size_t c = 0; c < row.cells.size(); ++c) {
            line += row.cells[c];
            if (c + 1 < row.cells.size()) {
                line += std::string(widths[c] - row.cells[c].size() + 2, ' ');
            }
        }
        text += line + "\n";
    }
    return text;
}

std::string HistoryJson(const HistoryListing& listing) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const HistoryEntry& entry : listing.entries) {
        nlohmann::ordered_json item;
        item["file"] = entry.fileName;
        item["path"] = entry.path;
        item["taken"] = IsoUtc(entry.takenUtc);
        item["reason"] = entry.writtenByHistory
                             ? nlohmann::ordered_json(HistoryReasonKey(entry.reason))
                             : nlohmann::ordered_json();
        item["port"] =
            entry.writtenByHistory ? nlohmann::ordered_json(entry.port) : nlohmann::ordered_json();
        item["readable"] = entry.readable;
        if (entry.readable) {
            item["hardware_type"] = entry.settings.hardwareType;
            item["firmware"] =
                entry.settings.hasFirmware
                    ? nlohmann::ordered_json(FirmwareDotted(entry.settings.firmwareVersion))
                    : nlohmann::ordered_json();
        } else {
            item["error"] = entry.error;
        }
        list.push_back(std::move(item));
    }
    return list.dump(2) + "\n";
}

bool ResolveRestoreFile(const std::string& argument, std::string* path, std::string* error) {
    *path = argument;
    std::error_code failure;
    const bool isReference = argument.rfind(kReferencePrefix, 0) == 0;
    if (std::filesystem::symlink_status(argument, failure).type() !=
        std::filesystem::file_type::not_found) {
        return true;  // a path first, whatever it looks like
    }
    std::string resolved;
    std::string why;
    if (SettingsHistory().Resolve(argument, &resolved, &why)) {
        *path = resolved;
        return true;
    }
    if (isReference) {
        *error = why;
        return false;
    }
    return true;  // not in the history either: reading the path says why
}

}  // namespace axistune::cli
