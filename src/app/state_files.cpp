#include "app/state_files.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/process.h"

namespace axistune {

namespace fs = std::filesystem;

namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::atomic<uint32_t> gWriteNumber{0};

}  // namespace

std::string DefaultSnapshotFolder() {
#ifdef _WIN32
    std::string base = Environment("LOCALAPPDATA");
    if (base.empty()) {
        base = ".";
    }
    return (fs::path(base) / "AxisTune" / "snapshots").string();
#else
    std::string base = Environment("XDG_STATE_HOME");
    if (base.empty()) {
        const std::string home = Environment("HOME");
        base = home.empty() ? "." : (fs::path(home) / ".local" / "state").string();
    }
    return (fs::path(base) / "axistune" / "snapshots").string();
#endif
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    const fs::path target(path);
    fs::path temporary = target;
    temporary += "." + std::to_string(CurrentProcessId()) + "-" +
                 std::to_string(gWriteNumber.fetch_add(1)) + ".partial";
    std::error_code ignored;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            *error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
            return false;
        }
        out << text;
        out.flush();
        if (!out) {
            *error = "cannot write " + temporary.string() + " (is the disk full?)";
            out.close();
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code failure;
    fs::rename(temporary, target, failure);
    if (failure) {
        *error = "cannot rename " + temporary.string() + " to " + path + ": " + failure.message();
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool ReadSmallFile(const std::string& path, uint64_t limit, std::string* text, std::string* error) {
    std::error_code failure;
    const fs::file_status status = fs::status(path, failure);
    if (failure) {
        *error = failure.message();
        return false;
    }
    if (!fs::is_regular_file(status)) {
        *error = "is not a regular file";
        return false;
    }
    const uintmax_t size = fs::file_size(path, failure);
    if (failure) {
        *error = failure.message();
        return false;
    }
    if (size > limit) {
        *error = "is " + std::to_string(size) + " bytes, more than the " + std::to_string(limit) +
                 " a settings file can be";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    std::string content;
    content.reserve(static_cast<size_t>(size));
    char buffer[4096];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        content.append(buffer, static_cast<size_t>(in.gcount()));
        if (content.size() > limit) {
            *error = "grew beyond " + std::to_string(limit) + " bytes while it was read";
            return false;
        }
    }
    if (in.bad()) {
        *error = "cannot be read";
        return false;
    }
    *text = std::move(content);
    return true;
}

}  // namespace axistune
