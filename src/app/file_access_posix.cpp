// The POSIX half of file_access.h; app's sources are one list for every OS.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "app/file_access.h"

namespace axistune {

namespace {

FileKind KindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileKind::kRegular;
    }
    if (S_ISDIR(mode)) {
        return FileKind::kDirectory;
    }
    if (S_ISFIFO(mode)) {
        return FileKind::kFifo;
    }
    if (S_ISCHR(mode)) {
        return FileKind::kCharacterDevice;
    }
    if (S_ISBLK(mode)) {
        return FileKind::kBlockDevice;
    }
    if (S_ISSOCK(mode)) {
        return FileKind::kSocket;
    }
    return FileKind::kOther;
}

}  // namespace

FileStatus StatusOf(const std::string& path) {
    struct stat st {};
    FileStatus status;
    if (stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            status.kind = FileKind::kMissing;
        } else {
            status.error = std::strerror(errno);
        }
        return status;
    }
    status.kind = KindOfMode(st.st_mode);
    if (status.kind == FileKind::kRegular) {
        status.size = static_cast<uint64_t>(st.st_size);
    }
    return status;
}

bool ReadRegularFile(const std::string& path, uint64_t limit, std::string* text,
                     std::string* error) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *error = std::string("cannot read: ") + std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = fstat(fd, &st) == 0;
    if (!ok) {
        *error = std::string("cannot read: ") + std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        ok = false;
        *error = NotRegularReason(KindOfMode(st.st_mode));
    } else if (static_cast<uint64_t>(st.st_size) > limit) {
        ok = false;
        *error = TooLargeReason(static_cast<uint64_t>(st.st_size), limit);
    }
    std::string content;
    char buffer[16384];
    while (ok && content.size() <= limit) {
        const ssize_t got = read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            ok = false;
            *error = std::string("cannot read: ") + std::strerror(errno);
        } else if (got == 0) {
            break;
        } else {
            content.append(buffer, static_cast<size_t>(got));
        }
    }
    close(fd);
    return AcceptRead(ok, std::move(content), limit, text, error);
}

}  // namespace axistune

#endif
