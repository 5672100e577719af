#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>

#include "file_access.h"

namespace axistune::cli {

namespace {

std::tm UtcNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
#ifdef _WIN32
    gmtime_s(&parts, &now);
#else
    gmtime_r(&now, &parts);
#endif
    return parts;
}

std::string Format(const char* pattern) {
    const std::tm parts = UtcNow();
    char text[32];
    std::strftime(text, sizeof text, pattern, &parts);
    return text;
}

// The temporaries of writes in progress. Created and renamed under the lock, so that a stop
// that removes them and ends the process while holding it leaves none behind.
std::mutex gPendingLock;
std::set<std::string> gPending;

}  // namespace

bool ReadSettingsText(const std::string& path, std::string* text, std::string* error) {
    const FileStatus status = StatusOf(path);
    switch (status.kind) {
        case FileKind::kRegular:
            if (status.size > kSettingsFileLimit) {
                *error = TooLargeReason(status.size, kSettingsFileLimit);
                return false;
            }
            break;
        case FileKind::kMissing:
        case FileKind::kUnknown:
            break;  // the open names the system's reason
        default:
            *error = NotRegularReason(status.kind);
            return false;
    }
    return ReadRegularFile(path, kSettingsFileLimit, text, error);
}

bool CheckOutputPath(const std::string& path, std::string* error) {
    const FileStatus status = StatusOf(path);
    switch (status.kind) {
        case FileKind::kRegular:
            return true;
        case FileKind::kUnknown:
            *error = "cannot be written: " + status.error;
            return false;
        case FileKind::kMissing:
            break;
        default:
            *error = NotRegularReason(status.kind) + "; give a file name, or - for standard output";
            return false;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        return true;
    }
    const FileStatus parent = StatusOf(folder.string());
    if (parent.kind == FileKind::kDirectory) {
        return true;
    }
    *error = "cannot be written: the folder " + folder.string() +
             (parent.kind == FileKind::kMissing ? " does not exist" : " is not a folder");
    return false;
}

void ExitRemovingTemporaries(int code) {
    gPendingLock.lock();  // kept: no write may create or rename a temporary any more
    for (const std::string& path : gPending) {
        std::error_code ignored;
        std::filesystem::remove(path, ignored);
    }
    std::_Exit(code);
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temporary = target;
    temporary += ".partial";
    std::ofstream out;
    std::error_code ignored;
    {
        std::lock_guard<std::mutex> guard(gPendingLock);
        // A leftover of a killed run, or anything else by that name, is never written through.
        fs::remove(temporary, ignored);
        out.open(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            *error =
                std::string("cannot create ") + temporary.string() + ": " + std::strerror(errno);
            return false;
        }
        gPending.insert(temporary.string());
    }
    out << text;
    out.flush();
    out.close();
    std::lock_guard<std::mutex> guard(gPendingLock);
    gPending.erase(temporary.string());
    if (!out) {
        *error = "cannot write " + temporary.string();
        fs::remove(temporary, ignored);
        return false;
    }
    std::error_code failure;
    fs::rename(temporary, target, failure);
    if (failure) {
        *error = "cannot replace " + path + ": " + failure.message();
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

std::string UtcTimestamp() {
    return Format("%Y-%m-%dT%H:%M:%SZ");
}

std::string CompactTimestamp() {
    return Format("%Y%m%d-%H%M%S");
}

}  // namespace axistune::cli
