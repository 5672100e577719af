#include "app/state_files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <set>
#include <system_error>

#include "app/file_access.h"
#include "platform/process.h"
#include "platform/sleep.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::atomic<uint32_t> gWriteNumber{0};

#ifdef _WIN32
constexpr int kReplaceAttempts = 20;
constexpr uint32_t kReplacePauseMs = 25;
#endif

// The temporaries of writes in progress. Created and renamed under the lock, so that a stop
// that removes them and ends the process while holding it leaves none behind.
std::mutex gPendingLock;
std::set<std::string> gPending;

}  // namespace

std::string PerUserFolder(const char* xdgVariable, const char* homeFallback) {
#ifdef _WIN32
    static_cast<void>(xdgVariable);
    static_cast<void>(homeFallback);
    const std::string base = Environment("LOCALAPPDATA");
    return (fs::path(base.empty() ? "." : base) / "AxisTune").string();
#else
    // A relative XDG value is to be ignored: it would move with the current folder.
    const std::string xdg = Environment(xdgVariable);
    if (!xdg.empty() && fs::path(xdg).is_absolute()) {
        return (fs::path(xdg) / "axistune").string();
    }
    const std::string home = Environment("HOME");
    return (fs::path(home.empty() ? "." : home) / homeFallback / "axistune").string();
#endif
}

std::string DefaultSnapshotFolder() {
    return (fs::path(PerUserFolder("XDG_STATE_HOME", ".local/state")) / "snapshots").string();
}

void ExitRemovingTemporaries(int code) {
    gPendingLock.lock();  // kept: no write may create or rename a temporary any more
    for (const std::string& path : gPending) {
        std::error_code ignored;
        fs::remove(path, ignored);
    }
    std::_Exit(code);
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    const fs::path target(path);
    fs::path temporary = target;
    temporary += "." + std::to_string(CurrentProcessId()) + "-" +
                 std::to_string(gWriteNumber.fetch_add(1)) + ".partial";
    std::ofstream out;
    std::error_code ignored;
    {
        std::lock_guard<std::mutex> guard(gPendingLock);
        // A leftover of a killed run, or anything else by that name, is never written through.
        fs::remove(temporary, ignored);
        out.open(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            *error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
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
#ifdef _WIN32
    // Windows refuses to replace a file that another program (a reader, a virus scanner, a
    // backup tool) holds open for a moment; such a hold ends soon, so a few tries are given.
    for (int attempt = 0; failure && attempt < kReplaceAttempts; ++attempt) {
        SleepMilliseconds(kReplacePauseMs);
        failure.clear();
        fs::rename(temporary, target, failure);
    }
#endif
    if (failure) {
        *error = "cannot replace " + path + ": " + failure.message();
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool ReadSmallFile(const std::string& path, uint64_t limit, std::string* text, std::string* error) {
    const FileStatus status = StatusOf(path);
    switch (status.kind) {
        case FileKind::kRegular:
            if (status.size > limit) {
                *error = TooLargeReason(status.size, limit);
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
    return ReadRegularFile(path, limit, text, error);
}

}  // namespace axistune
