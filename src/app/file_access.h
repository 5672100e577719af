#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// What a path names, found from the file system's status before anything opens it, so that a
// FIFO never blocks the program and a device is never opened by mistake.
enum class FileKind {
    kMissing,
    kRegular,
    kDirectory,
    kFifo,
    kCharacterDevice,
    kBlockDevice,
    kSocket,
    kReservedName,  // Windows: NUL, CON, COM1... name a device in every folder
    kOther,
    kUnknown,  // the status could not be read: FileStatus::error says why
};

struct FileStatus {
    FileKind kind = FileKind::kUnknown;
    uint64_t size = 0;  // kRegular only
    std::string error;  // kUnknown only
};

// Follows links.
FileStatus StatusOf(const std::string& path);
// "a directory", "a FIFO (named pipe)", ... for "X is a directory, not a regular file".
const char* DescribeKind(FileKind kind);
// "is a directory, not a regular file"
std::string NotRegularReason(FileKind kind);
// "is 209715200 bytes; a settings file is a few kilobytes, and more than 1048576 bytes is refused"
std::string TooLargeReason(uint64_t size, uint64_t limit);
// Windows's reserved device names in the last part of a path, in any case and with any
// extension: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with ¹²³), CONIN$, CONOUT$, CLOCK$.
bool IsReservedDeviceName(const std::string& path);

// Reads a regular file of at most `limit` bytes. It opens without blocking and checks the
// opened file's type and size again, since the path may have changed since StatusOf; it never
// reads more than limit + 1 bytes. False with the reason.
bool ReadRegularFile(const std::string& path, uint64_t limit, std::string* text,
                     std::string* error);

// The end of ReadRegularFile, once the file is closed: the content read when `ok`, unless the
// file grew beyond `limit` after its size was checked.
bool AcceptRead(bool ok, std::string content, uint64_t limit, std::string* text,
                std::string* error);

}  // namespace axistune
