#include "app/file_access.h"

#include <algorithm>
#include <cctype>
#include <utility>

namespace axistune {

const char* DescribeKind(FileKind kind) {
    switch (kind) {
        case FileKind::kMissing:
            return "missing";
        case FileKind::kRegular:
            return "a regular file";
        case FileKind::kDirectory:
            return "a directory";
        case FileKind::kFifo:
            return "a FIFO (named pipe)";
        case FileKind::kCharacterDevice:
            return "a character device";
        case FileKind::kBlockDevice:
            return "a block device";
        case FileKind::kSocket:
            return "a socket";
        case FileKind::kReservedName:
            return "a reserved device name on Windows (NUL, CON, PRN, AUX, COM1, LPT1...)";
        case FileKind::kOther:
        case FileKind::kUnknown:
            break;
    }
    return "not a file";
}

std::string NotRegularReason(FileKind kind) {
    return std::string("is ") + DescribeKind(kind) + ", not a regular file";
}

std::string TooLargeReason(uint64_t size, uint64_t limit) {
    return "is " + std::to_string(size) + " bytes; a settings file is a few kilobytes, and more " +
           "than " + std::to_string(limit) + " bytes is refused";
}

bool AcceptRead(bool ok, std::string content, uint64_t limit, std::string* text,
                std::string* error) {
    if (ok && content.size() > limit) {
        *error = TooLargeReason(content.size(), limit);
        return false;
    }
    if (ok) {
        *text = std::move(content);
    }
    return ok;
}

bool IsReservedDeviceName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\:");
    std::string stem = path.substr(slash == std::string::npos ? 0 : slash + 1);
    stem = stem.substr(0, stem.find('.'));
    while (!stem.empty() && stem.back() == ' ') {
        stem.pop_back();
    }
    std::transform(stem.begin(), stem.end(), stem.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    for (const char* name : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"}) {
        if (stem == name) {
            return true;
        }
    }
    if (stem.size() < 4 || (stem.compare(0, 3, "COM") != 0 && stem.compare(0, 3, "LPT") != 0)) {
        return false;
    }
    const std::string number = stem.substr(3);
    // A digit, or a superscript one, two or three in the ANSI code page or in UTF-8.
    return (number.size() == 1 && (std::isdigit(static_cast<unsigned char>(number[0])) ||
                                   number == "\xB9" || number == "\xB2" || number == "\xB3")) ||
           number == "\xC2\xB9" || number == "\xC2\xB2" || number == "\xC2\xB3";
}

}  // namespace axistune
