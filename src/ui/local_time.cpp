#include "ui/local_time.h"

#include <ctime>

namespace axistune {

std::string LocalTimeText(int64_t utcSeconds, const char* format) {
    if (utcSeconds == 0) {
        return std::string();
    }
    const std::time_t time = static_cast<std::time_t>(utcSeconds);
    std::tm local{};
#ifdef _WIN32
    const bool converted = localtime_s(&local, &time) == 0;
#else
    const bool converted = localtime_r(&time, &local) != nullptr;
#endif
    char text[32];
    if (!converted || std::strftime(text, sizeof text, format, &local) == 0) {
        return std::string();
    }
    return text;
}

}  // namespace axistune
