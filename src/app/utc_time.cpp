#include "app/utc_time.h"

#include <chrono>
#include <cstdio>

namespace axistune {

namespace {

struct Civil {
    int64_t year;
    int month;  // 1..12
    int day;    // 1..31
    int hour;
    int minute;
    int second;
};

// Days since 1970-01-01 of a proleptic Gregorian date (eras of 400 years).
int64_t DaysFromCivil(int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

Civil CivilFromSeconds(int64_t seconds) {
    int64_t days = seconds / 86400;
    int64_t rest = seconds % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    Civil civil{};
    civil.day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    civil.month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    civil.year = yearOfEra + era * 400 + (civil.month <= 2 ? 1 : 0);
    civil.hour = static_cast<int>(rest / 3600);
    civil.minute = static_cast<int>(rest / 60 % 60);
    civil.second = static_cast<int>(rest % 60);
    return civil;
}

int DaysInMonth(int64_t year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// Reads `count` decimal digits at `position`.
bool Digits(const std::string& text, size_t position, size_t count, int* value) {
    if (position + count > text.size()) {
        return false;
    }
    *value = 0;
    for (size_t i = position; i < position + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        *value = *value * 10 + (text[i] - '0');
    }
    return true;
}

bool ToSeconds(const Civil& civil, int64_t* seconds) {
    if (civil.month < 1 || civil.month > 12 || civil.day < 1 ||
        civil.day > DaysInMonth(civil.year, civil.month) || civil.hour > 23 || civil.minute > 59 ||
        civil.second > 59) {
        return false;
    }
    *seconds = DaysFromCivil(civil.year, civil.month, civil.day) * 86400 + civil.hour * 3600 +
               civil.minute * 60 + civil.second;
    return true;
}

// `layout` marks digits with 'd' and literal characters as themselves; the fields appear in
// the order year (4), month, day, hour, minute, second (2 each).
bool Parse(const std::string& text, const char* layout, int64_t* seconds) {
    const std::string pattern(layout);
    if (text.size() != pattern.size()) {
        return false;
    }
    int fields[6] = {};
    size_t field = 0;
    for (size_t i = 0; i < pattern.size();) {
        if (pattern[i] != 'd') {
            if (text[i] != pattern[i]) {
                return false;
            }
            ++i;
            continue;
        }
        const size_t width = field == 0 ? 4 : 2;
        if (field >= 6 || !Digits(text, i, width, &fields[field])) {
            return false;
        }
        i += width;
        ++field;
    }
    const Civil civil{fields[0], fields[1], fields[2], fields[3], fields[4], fields[5]};
    return field == 6 && ToSeconds(civil, seconds);
}

std::string Format(int64_t seconds, const char* pattern) {
    const Civil civil = CivilFromSeconds(seconds);
    char text[40];
    std::snprintf(text, sizeof text, pattern, static_cast<long long>(civil.year), civil.month,
                  civil.day, civil.hour, civil.minute, civil.second);
    return text;
}

}  // namespace

int64_t UtcNowSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

std::string CompactUtc(int64_t seconds) {
    return Format(seconds, "%04lld%02d%02dT%02d%02d%02dZ");
}

std::string IsoUtc(int64_t seconds) {
    return Format(seconds, "%04lld-%02d-%02dT%02d:%02d:%02dZ");
}

bool ParseCompactUtc(const std::string& text, int64_t* seconds) {
    return Parse(text, "ddddddddTddddddZ", seconds);
}

bool ParseIsoUtc(const std::string& text, int64_t* seconds) {
    return Parse(text, "dddd-dd-ddTdd:dd:ddZ", seconds);
}

}  // namespace axistune
