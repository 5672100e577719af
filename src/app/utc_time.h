#pragma once

#include <cstdint>
#include <string>

namespace axistune {

// Whole seconds since 1970-01-01T00:00:00Z, converted without the C library's time zone
// functions (timegm is not everywhere), so that a file's time reads back as written.
int64_t UtcNowSeconds();
// "20261208T062200Z", for file names: sorts as text in time order.
std::string CompactUtc(int64_t seconds);
// "2026-12-08T06:22:00Z"
std::string IsoUtc(int64_t seconds);
// The forms above, exactly; false for anything else (a 13th month, a 61st second...).
bool ParseCompactUtc(const std::string& text, int64_t* seconds);
bool ParseIsoUtc(const std::string& text, int64_t* seconds);

}  // namespace axistune
