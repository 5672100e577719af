#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "text/text.h"

using namespace axistune;

namespace {

constexpr uint32_t kWholeText = UINT32_MAX;  // use the text's own length

struct IntegerCase {
    const char* text;
    uint32_t length;
    uint32_t position;
    int32_t expectedValue;
    uint32_t expectedEnd;
};

class TextReadIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(TextReadIntegerTest, ReadsWhatItCanAndStops) {
    const IntegerCase& c = GetParam();
    const uint32_t length = c.length == kWholeText ? std::strlen(c.text) : c.length;
    int32_t value = 777;
    EXPECT_EQ(TextReadInteger(c.text, length, c.position, &value), c.expectedEnd);
    EXPECT_EQ(value, c.expectedValue);
    // Without an output the position is the same.
    EXPECT_EQ(TextReadInteger(c.text, length, c.position, nullptr), c.expectedEnd);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextReadIntegerTest,
    ::testing::Values(IntegerCase{"123", kWholeText, 0, 123, 3},
                      IntegerCase{"-45x", kWholeText, 0, -45, 3},
                      IntegerCase{"-", kWholeText, 0, 0, 1},  // "-" alone: 0, one byte
                      IntegerCase{"", kWholeText, 0, 0, 0}, IntegerCase{"abc", kWholeText, 0, 0, 0},
                      IntegerCase{"+5", kWholeText, 0, 0, 0},  // no plus sign
                      IntegerCase{"--5", kWholeText, 0, 0, 1},
                      IntegerCase{"12 3", kWholeText, 0, 12, 2},
                      IntegerCase{"ab42", kWholeText, 2, 42, 4},
                      IntegerCase{"12345", 3, 0, 123, 3},  // stops at the length
                      IntegerCase{"-5", 0, 0, 0, 0},       // nothing readable at all
                      IntegerCase{"-5", 1, 0, 0, 1}, IntegerCase{"007", kWholeText, 0, 7, 3},
                      IntegerCase{"2147483647", kWholeText, 0, INT32_MAX, 10},
                      IntegerCase{"-2147483648", kWholeText, 0, INT32_MIN, 11},
                      // The accumulation wraps at 32 bits.
                      IntegerCase{"2147483648", kWholeText, 0, INT32_MIN, 10},
                      IntegerCase{"4294967297", kWholeText, 0, 1, 10},
                      IntegerCase{"99999999999", kWholeText, 0, 1215752191, 11},
                      IntegerCase{"-4294967295", kWholeText, 0, 1, 11}));

TEST(TextReadInteger, StopsAtAnEmbeddedNul) {
    const char text[] = {'4', '2', '\0', '7'};
    int32_t value = 0;
    EXPECT_EQ(TextReadInteger(text, sizeof(text), 0, &value), 2u);
    EXPECT_EQ(value, 42);
}

constexpr int32_t kDegree = 86400;
constexpr int32_t kMinute = 1440;
constexpr int32_t kSecond = 24;

struct AngleReadCase {
    const char* text;
    uint32_t length;
    int32_t kind;
    int32_t expected;
};

class TextReadAngleTest : public ::testing::TestWithParam<AngleReadCase> {};

TEST_P(TextReadAngleTest, ReadsLenientlyAndReturnsZero) {
    const AngleReadCase& c = GetParam();
    const uint32_t length = c.length == kWholeText ? std::strlen(c.text) : c.length;
    int32_t value = 777;
    EXPECT_EQ(TextReadAngle(c.text, length, 0, &value, c.kind), 0u);
    EXPECT_EQ(value, c.expected) << '"' << c.text << '"';
    EXPECT_EQ(TextReadAngle(c.text, length, 0, nullptr, c.kind), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextReadAngleTest,
    ::testing::Values(
        AngleReadCase{"S 47:30:00", kWholeText, kAngleLatitude, -4104000},
        AngleReadCase{"N 47:30:00", kWholeText, kAngleLatitude, 4104000},
        AngleReadCase{"s47:30:00", kWholeText, kAngleLatitude, -4104000},
        AngleReadCase{" n47.30", kWholeText, kAngleLatitude, 4104000},
        AngleReadCase{"47.5", kWholeText, kAngleLatitude, 47 * kDegree + 5 * kMinute},
        AngleReadCase{"-47:30", kWholeText, kAngleLatitude, -4017600},
        AngleReadCase{"47 : 30", kWholeText, kAngleLatitude, 47 * kDegree},
        AngleReadCase{"", kWholeText, kAngleLatitude, 0},
        AngleReadCase{"abc", kWholeText, kAngleLatitude, 0},
        AngleReadCase{"SN", kWholeText, kAngleLatitude, 0},
        AngleReadCase{"SN 10", kWholeText, kAngleLatitude, -10 * kDegree},
        AngleReadCase{"N   12:01:02", kWholeText, kAngleLatitude,
                      12 * kDegree + kMinute + 2 * kSecond},
        AngleReadCase{"  5", kWholeText, kAngleLatitude, 5 * kDegree},
        // Only one blank may come before the letter; after a second one it is not taken.
        AngleReadCase{"  S 47", kWholeText, kAngleLatitude, 0},
        AngleReadCase{"W 122:25:10", kWholeText, kAngleLongitude,
                      -(122 * kDegree + 25 * kMinute + 10 * kSecond)},
        AngleReadCase{"e 8:32:00", kWholeText, kAngleLongitude, 8 * kDegree + 32 * kMinute},
        // A letter of the other axis is not a hemisphere: nothing is read.
        AngleReadCase{"S 47:30:00", kWholeText, kAngleLongitude, 0},
        AngleReadCase{"W 10", kWholeText, kAngleLatitude, 0},
        // Other kinds take no letter at all.
        AngleReadCase{"S 47", kWholeText, 0, 0}, AngleReadCase{"47:30:00", kWholeText, 3, 4104000},
        // No range check; separators may repeat; each part has its own sign.
        AngleReadCase{"47:90:90", kWholeText, kAngleLatitude,
                      47 * kDegree + 90 * kMinute + 90 * kSecond},
        AngleReadCase{"47::.30", kWholeText, kAngleLatitude, 47 * kDegree + 30 * kMinute},
        AngleReadCase{"0:-30", kWholeText, kAngleLatitude, -30 * kMinute},
        AngleReadCase{"S -47:30", kWholeText, kAngleLatitude, 47 * kDegree - 30 * kMinute},
        // The length bounds every part of the reading.
        AngleReadCase{"47:30:15", 5, kAngleLatitude, 4104000},
        AngleReadCase{"47:30:15", 8, kAngleLatitude, 4104000 + 15 * kSecond},
        AngleReadCase{"S 47", 2, kAngleLatitude, 0}, AngleReadCase{"S 47", 0, kAngleLatitude, 0},
        AngleReadCase{"N 47:30", 4, kAngleLatitude, 47 * kDegree},
        // Wraps at 32 bits instead of overflowing.
        AngleReadCase{"24856", kWholeText, 0, static_cast<int32_t>(24856u * 86400u)},
        AngleReadCase{"S 24856", kWholeText, kAngleLatitude,
                      static_cast<int32_t>(0u - 24856u * 86400u)}));

TEST(TextReadAngle, StartsAtThePositionGiven) {
    const char* text = "xxN 1:02";
    int32_t value = 0;
    EXPECT_EQ(TextReadAngle(text, std::strlen(text), 2, &value, kAngleLatitude), 0u);
    EXPECT_EQ(value, kDegree + 2 * kMinute);
}

}  // namespace
