#include "app/history_names.h"

#include <cstddef>

#include "app/utc_time.h"

namespace axistune {

namespace {

constexpr const char* kPrefix = "history-";
constexpr const char* kSuffix = ".json";
constexpr size_t kTimeLength = 16;  // "20261208T062200Z"

const HistoryReason kReasons[] = {HistoryReason::kConnected, HistoryReason::kBeforeReload,
                                  HistoryReason::kBeforeStore, HistoryReason::kBeforeRestore};

bool KeptAsIs(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '.' || byte == '_' || byte == '-';
}

int HexValue(char digit) {
    if (digit >= '0' && digit <= '9') {
        return digit - '0';
    }
    if (digit >= 'A' && digit <= 'F') {
        return digit - 'A' + 10;
    }
    return -1;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool StartsWith(const std::string& text, size_t position, const std::string& part) {
    return text.compare(position, part.size(), part) == 0;
}

bool EndsWith(const std::string& text, const std::string& part) {
    return text.size() >= part.size() &&
           text.compare(text.size() - part.size(), part.size(), part) == 0;
}

// "-2" after the time: digits without a leading zero, greater than 1.
bool ReadSequence(const std::string& text, size_t* position, uint32_t* sequence) {
    size_t end = *position + 1;
    while (end < text.size() && IsDigit(text[end])) {
        ++end;
    }
    const size_t digits = end - *position - 1;
    if (digits == 0 || digits > 9 || text[*position + 1] == '0' || end >= text.size() ||
        text[end] != '-') {
        return false;
    }
    *sequence = static_cast<uint32_t>(std::stoul(text.substr(*position + 1, digits)));
    *position = end;
    return *sequence > 1;
}

}  // namespace

const char* HistoryReasonKey(HistoryReason reason) {
    switch (reason) {
        case HistoryReason::kConnected:
            return "connected";
        case HistoryReason::kBeforeReload:
            return "before-reload";
        case HistoryReason::kBeforeStore:
            return "before-store";
        case HistoryReason::kBeforeRestore:
            return "before-restore";
    }
    return "";
}

bool ParseHistoryReason(const std::string& key, HistoryReason* reason) {
    for (HistoryReason candidate : kReasons) {
        if (key == HistoryReasonKey(candidate)) {
            *reason = candidate;
            return true;
        }
    }
    return false;
}

std::string PercentEncode(const std::string& text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (char c : text) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (KeptAsIs(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

bool PercentDecode(const std::string& encoded, std::string* text) {
    std::string decoded;
    for (size_t i = 0; i < encoded.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(encoded[i]);
        if (KeptAsIs(byte)) {
            decoded += encoded[i];
            continue;
        }
        // Only the escapes PercentEncode writes, so that one port has one name.
        if (byte != '%' || i + 2 >= encoded.size()) {
            return false;
        }
        const int high = HexValue(encoded[i + 1]);
        const int low = HexValue(encoded[i + 2]);
        const unsigned char value = static_cast<unsigned char>(high * 16 + low);
        if (high < 0 || low < 0 || KeptAsIs(value)) {
            return false;
        }
        decoded += static_cast<char>(value);
        i += 2;
    }
    *text = decoded;
    return true;
}

std::string FormatHistoryName(const HistoryName& name) {
    std::string text = kPrefix + CompactUtc(name.takenUtc);
    if (name.sequence > 1) {
        text += "-" + std::to_string(name.sequence);
    }
    return text + "-" + HistoryReasonKey(name.reason) + "-" + PercentEncode(name.port) + kSuffix;
}

bool ParseHistoryName(const std::string& fileName, HistoryName* name) {
    const std::string prefix(kPrefix);
    const std::string suffix(kSuffix);
    if (!StartsWith(fileName, 0, prefix) || !EndsWith(fileName, suffix) ||
        fileName.size() < prefix.size() + kTimeLength + suffix.size()) {
        return false;
    }
    HistoryName parsed;
    if (!ParseCompactUtc(fileName.substr(prefix.size(), kTimeLength), &parsed.takenUtc)) {
        return false;
    }
    size_t position = prefix.size() + kTimeLength;
    // Reasons start with a letter, so a digit after the dash is a sequence number.
    if (fileName[position] == '-' && IsDigit(fileName[position + 1]) &&
        !ReadSequence(fileName, &position, &parsed.sequence)) {
        return false;
    }
    if (fileName[position] != '-') {
        return false;
    }
    ++position;
    const size_t end = fileName.size() - suffix.size();
    for (HistoryReason reason : kReasons) {
        const std::string key = std::string(HistoryReasonKey(reason)) + "-";
        if (StartsWith(fileName, position, key) && position + key.size() < end) {
            parsed.reason = reason;
            if (!PercentDecode(fileName.substr(position + key.size(), end - position - key.size()),
                               &parsed.port)) {
                return false;
            }
            *name = parsed;
            return true;
        }
    }
    return false;
}

}  // namespace axistune
