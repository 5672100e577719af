// The Windows half of file_access.h; app's sources are one list for every OS.
#ifdef _WIN32

#include <windows.h>

#include <utility>

#include "app/file_access.h"

namespace axistune {

namespace {

std::string SystemMessage(DWORD code) {
    char text[256] = {};
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, text, sizeof text, nullptr);
    std::string message(text, length);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(code) : message;
}

// \\.\COM3, \\.\pipe\name: the device namespace, never a file.
bool InDeviceNamespace(const std::string& path) {
    return path.size() >= 4 && (path[0] == '\\' || path[0] == '/') &&
           (path[1] == '\\' || path[1] == '/') && path[2] == '.' &&
           (path[3] == '\\' || path[3] == '/');
}

FileKind KindOfOpenFile(HANDLE file) {
    switch (GetFileType(file)) {
        case FILE_TYPE_DISK:
            return FileKind::kRegular;
        case FILE_TYPE_PIPE:
            return FileKind::kFifo;
        case FILE_TYPE_CHAR:
            return FileKind::kCharacterDevice;
        default:
            return FileKind::kOther;
    }
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
    FileStatus status;
    if (IsReservedDeviceName(path)) {
        status.kind = FileKind::kReservedName;
        return status;
    }
    if (InDeviceNamespace(path)) {
        status.kind = FileKind::kCharacterDevice;
        return status;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
            status.kind = FileKind::kMissing;
        } else {
            status.error = SystemMessage(code);
        }
        return status;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        status.kind = FileKind::kDirectory;
        return status;
    }
    status.kind = FileKind::kRegular;
    status.size = static_cast<uint64_t>(data.nFileSizeHigh) << 32 | data.nFileSizeLow;
    return status;
}

bool ReadRegularFile(const std::string& path, uint64_t limit, std::string* text,
                     std::string* error) {
    if (IsReservedDeviceName(path) || InDeviceNamespace(path)) {
        *error = NotRegularReason(FileKind::kReservedName);
        return false;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = "cannot read: " + SystemMessage(GetLastError());
        return false;
    }
    bool ok = true;
    LARGE_INTEGER size{};
    const FileKind kind = KindOfOpenFile(file);
    if (kind != FileKind::kRegular) {
        ok = false;
        *error = NotRegularReason(kind);
    } else if (!GetFileSizeEx(file, &size)) {
        ok = false;
        *error = "cannot read: " + SystemMessage(GetLastError());
    } else if (static_cast<uint64_t>(size.QuadPart) > limit) {
        ok = false;
        *error = TooLargeReason(static_cast<uint64_t>(size.QuadPart), limit);
    }
    std::string content;
    char buffer[16384];
    while (ok && content.size() <= limit) {
        DWORD got = 0;
        if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
            ok = false;
            *error = "cannot read: " + SystemMessage(GetLastError());
        } else if (got == 0) {
            break;
        } else {
            content.append(buffer, got);
        }
    }
    CloseHandle(file);
    return AcceptRead(ok, std::move(content), limit, text, error);
}

}  // namespace axistune

#endif
