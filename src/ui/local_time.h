#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// "2026-12-08 09:15" (or another strftime format) in the computer's time zone, for seconds since
// 1970 (UTC); empty for 0 or a time the system cannot convert.
std::string LocalTimeText(int64_t utcSeconds, const char* format = "%Y-%m-%d %H:%M");

}  // namespace axistune
