#include "sim/trace.h"

#include <sys/time.h>
#include <time.h>

#include <algorithm>

namespace dxsim {

TextTrace::TextTrace(FILE* out, std::string deviceTag, Clock clock)
    : out_(out), clock_(clock ? std::move(clock) : Clock(&TextTrace::LocalMsOfDay)) {
    hostTag_ = "host>";
    deviceTag_ = deviceTag + "<";
    noteTag_ = "--";
    const size_t width = std::max(hostTag_.size(), deviceTag_.size());
    hostTag_.resize(width, ' ');
    deviceTag_.resize(width, ' ');
    noteTag_.resize(width, ' ');
}

void TextTrace::HostBytes(const uint8_t* bytes, size_t count, const std::string& what) {
    Line(hostTag_, Hex(bytes, count) + "  " + what);
}

void TextTrace::DeviceBytes(const uint8_t* bytes, size_t count, const std::string& what) {
    Line(deviceTag_, Hex(bytes, count) + "  " + what);
}

void TextTrace::Note(const std::string& what) {
    Line(noteTag_, what);
}

void TextTrace::Line(const std::string& tag, const std::string& body) {
    const std::string line = FormatTime(clock_()) + " " + tag + " " + body + "\n";
    std::lock_guard<std::mutex> lock(mutex_);
    fputs(line.c_str(), out_);
    fflush(out_);
}

std::string TextTrace::FormatTime(int64_t msOfDay) {
    char buf[16];
    const int64_t ms = ((msOfDay % 86400000) + 86400000) % 86400000;
    snprintf(buf, sizeof(buf), "%02d:%02d:%02d.%03d", static_cast<int>(ms / 3600000),
             static_cast<int>(ms / 60000 % 60), static_cast<int>(ms / 1000 % 60),
             static_cast<int>(ms % 1000));
    return buf;
}

std::string TextTrace::Hex(const uint8_t* bytes, size_t count) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string s;
    s.reserve(count * 3);
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
            s += ' ';
        }
        s += kDigits[bytes[i] >> 4];
        s += kDigits[bytes[i] & 0x0F];
    }
    return s;
}

int64_t TextTrace::LocalMsOfDay() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    tm local{};
    const time_t secs = tv.tv_sec;
    localtime_r(&secs, &local);
    return (int64_t{local.tm_hour} * 3600 + local.tm_min * 60 + local.tm_sec) * 1000 +
           tv.tv_usec / 1000;
}

}  // namespace dxsim
