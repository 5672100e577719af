#include "file_io.h"

#include <ctime>
#include <filesystem>

#include "app/file_access.h"

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

}  // namespace

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

std::string UtcTimestamp() {
    return Format("%Y-%m-%dT%H:%M:%SZ");
}

std::string CompactTimestamp() {
    return Format("%Y%m%d-%H%M%S");
}

}  // namespace axistune::cli
