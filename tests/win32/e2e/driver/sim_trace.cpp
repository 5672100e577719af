#include "driver/sim_trace.h"

#include <windows.h>

#include "driver/wait.h"

namespace e2e {

bool ParseTraceLine(const std::string& line, TraceLine* out) {
    const size_t timeEnd = line.find(' ');
    if (timeEnd == std::string::npos) {
        return false;
    }
    const size_t tagStart = line.find_first_not_of(' ', timeEnd);
    if (tagStart == std::string::npos) {
        return false;
    }
    const size_t tagEnd = line.find(' ', tagStart);
    const std::string tag = line.substr(tagStart, tagEnd - tagStart);
    const size_t bodyStart =
        tagEnd == std::string::npos ? line.size() : line.find_first_not_of(' ', tagEnd);
    const std::string body = bodyStart == std::string::npos ? "" : line.substr(bodyStart);

    TraceLine parsed;
    parsed.time = line.substr(0, timeEnd);
    if (tag == "--") {
        parsed.kind = TraceLine::Kind::kNote;
        parsed.text = body;
    } else if (tag == "host>" || (tag.size() > 1 && tag.back() == '<')) {
        parsed.kind = tag == "host>" ? TraceLine::Kind::kHost : TraceLine::Kind::kDevice;
        const size_t split = body.find("  ");
        parsed.hex = body.substr(0, split);
        parsed.text = split == std::string::npos ? "" : body.substr(split + 2);
    } else {
        return false;
    }
    *out = parsed;
    return true;
}

std::string SimTrace::ReadAll() const {
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::string();
    }
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) {
        content.append(buffer, got);
    }
    CloseHandle(file);
    return content;
}

std::vector<TraceLine> SimTrace::Lines() const {
    const std::string content = ReadAll();
    std::vector<TraceLine> lines;
    size_t start = 0;
    // Only complete lines: the last one may still be being written.
    for (size_t end = content.find('\n'); end != std::string::npos;
         start = end + 1, end = content.find('\n', start)) {
        TraceLine line;
        if (ParseTraceLine(content.substr(start, end - start), &line)) {
            lines.push_back(line);
        }
    }
    return lines;
}

std::vector<std::string> SimTrace::HostFramesSince(size_t mark) const {
    const std::vector<TraceLine> lines = Lines();
    std::vector<std::string> frames;
    for (size_t i = mark; i < lines.size(); ++i) {
        if (lines[i].kind == TraceLine::Kind::kHost) {
            frames.push_back(lines[i].hex);
        }
    }
    return frames;
}

std::vector<std::string> SimTrace::WaitForFrames(size_t mark, size_t count, uint32_t timeoutMs,
                                                 uint32_t quietMs) const {
    std::vector<std::string> frames;
    WaitUntil(timeoutMs, [&] {
        frames = HostFramesSince(mark);
        return frames.size() >= count;
    });
    // Then a pause without new frames, so that a frame too many shows up too.
    size_t seen = frames.size();
    uint64_t quietSince = NowMs();
    WaitUntil(quietMs + 2000, [&] {
        frames = HostFramesSince(mark);
        if (frames.size() != seen) {
            seen = frames.size();
            quietSince = NowMs();
        }
        return NowMs() - quietSince >= quietMs;
    });
    return frames;
}

bool SimTrace::WaitForNote(size_t mark, const std::string& part, uint32_t timeoutMs) const {
    return WaitUntil(timeoutMs, [&] {
        const std::vector<TraceLine> lines = Lines();
        for (size_t i = mark; i < lines.size(); ++i) {
            if (lines[i].kind == TraceLine::Kind::kNote &&
                lines[i].text.find(part) != std::string::npos) {
                return true;
            }
        }
        return false;
    });
}

std::string SimTrace::Dump() const {
    return ReadAll();
}

}  // namespace e2e
