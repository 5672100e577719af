#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

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

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

bool ReadTextFile(const std::string& path, std::string* text, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = std::strerror(errno);
        return false;
    }
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) {
        *error = "read error";
        return false;
    }
    *text = content.str();
    return true;
}

bool WriteFileAtomically(const std::string& path, const std::string& text, std::string* error) {
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path temporary = target;
    temporary += ".partial";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            *error =
                std::string("cannot create ") + temporary.string() + ": " + std::strerror(errno);
            return false;
        }
        out << text;
        out.flush();
        if (!out) {
            *error = "cannot write " + temporary.string();
            out.close();
            std::error_code ignored;
            fs::remove(temporary, ignored);
            return false;
        }
    }
    std::error_code failure;
    fs::rename(temporary, target, failure);
    if (failure) {
        *error = "cannot replace " + path + ": " + failure.message();
        std::error_code ignored;
        fs::remove(temporary, ignored);
        return false;
    }
    return true;
}

std::string DefaultSnapshotFolder() {
    namespace fs = std::filesystem;
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

std::string UtcTimestamp() {
    return Format("%Y-%m-%dT%H:%M:%SZ");
}

std::string CompactTimestamp() {
    return Format("%Y%m%d-%H%M%S");
}

}  // namespace axistune::cli
