#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "text/angle.h"

using namespace axistune;

namespace {

constexpr int32_t kDegree = 86400;
constexpr int32_t kMinute = 1440;
constexpr int32_t kSecond = 24;
constexpr int32_t kNoLetter = 0;

constexpr AngleRefusal kRead = AngleRefusal::kNone;
constexpr AngleRefusal kNotTheForm = AngleRefusal::kNotTheForm;
constexpr AngleRefusal kAbove59 = AngleRefusal::kMinutesOrSecondsAbove59;

// One text, both readings.
struct ReadCase {
    const char* text;
    int32_t kind;
    int32_t lenient;
    AngleRefusal strictRefusal;
    int32_t strict;  // when read
};

class AngleReadingTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(AngleReadingTest, BothFormsReadTheSameText) {
    const ReadCase& c = GetParam();
    SCOPED_TRACE(c.text);
    const uint32_t length = static_cast<uint32_t>(std::strlen(c.text));
    int32_t lenient = 777;
    EXPECT_EQ(TextReadAngle(c.text, length, 0, &lenient, c.kind), 0u);
    EXPECT_EQ(lenient, c.lenient);
    int32_t strict = 777;
    EXPECT_EQ(TextReadAngleAs(c.text, length, 0, &strict, c.kind, AngleForm::kStrict),
              c.strictRefusal);
    EXPECT_EQ(strict, c.strictRefusal == kRead ? c.strict : 777) << "a refusal stores nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AngleReadingTest,
    ::testing::Values(ReadCase{"N 47:30:00", kAngleLatitude, 4104000, kRead, 4104000},
                      ReadCase{"S 47:30:00", kAngleLatitude, -4104000, kRead, -4104000},
                      ReadCase{"n 47:30:00", kAngleLatitude, 4104000, kRead, 4104000},
                      ReadCase{"N47:30:00", kAngleLatitude, 4104000, kRead, 4104000},
                      ReadCase{"N   47:30:00", kAngleLatitude, 4104000, kRead, 4104000},
                      ReadCase{"E 8:32:00", kAngleLongitude, 8 * kDegree + 32 * kMinute, kRead,
                               8 * kDegree + 32 * kMinute},
                      ReadCase{"w 122:25:10", kAngleLongitude,
                               -(122 * kDegree + 25 * kMinute + 10 * kSecond), kRead,
                               -(122 * kDegree + 25 * kMinute + 10 * kSecond)},
                      // Fractions of a second: the strict form rounds thousandths to the nearest
                      // unit, the lenient one stops at the point.
                      ReadCase{"s 0:00:00.500", kAngleLatitude, 0, kRead, -12},
                      ReadCase{"N 0:00:00.5", kAngleLatitude, 0, kRead, 12},
                      ReadCase{"N 0:00:00.041", kAngleLatitude, 0, kRead, 1},
                      ReadCase{"N 0:00:00.020", kAngleLatitude, 0, kRead, 0},
                      ReadCase{"N 0:00:00.999", kAngleLatitude, 0, kRead, kSecond},
                      ReadCase{"S 999:59:59.999", kAngleLatitude,
                               -(999 * kDegree + 59 * kMinute + 59 * kSecond), kRead,
                               -1000 * kDegree},
                      // 59 is the last minute and second; only the strict form checks.
                      ReadCase{"N 1:59:59", kAngleLatitude, kDegree + 59 * kMinute + 59 * kSecond,
                               kRead, kDegree + 59 * kMinute + 59 * kSecond},
                      ReadCase{"N 1:60:00", kAngleLatitude, kDegree + 60 * kMinute, kAbove59, 0},
                      ReadCase{"N 1:00:60", kAngleLatitude, kDegree + 60 * kSecond, kAbove59, 0},
                      // Missing or malformed fields.
                      ReadCase{"", kAngleLatitude, 0, kNotTheForm, 0},
                      ReadCase{"N", kAngleLatitude, 0, kNotTheForm, 0},
                      ReadCase{"N 47", kAngleLatitude, 47 * kDegree, kNotTheForm, 0},
                      ReadCase{"N 47:30", kAngleLatitude, 4104000, kNotTheForm, 0},
                      ReadCase{"N 47:30:", kAngleLatitude, 4104000, kNotTheForm, 0},
                      ReadCase{"N 1:5:00", kAngleLatitude, kDegree + 5 * kMinute, kNotTheForm, 0},
                      ReadCase{"N 1:00:00.", kAngleLatitude, kDegree, kNotTheForm, 0},
                      ReadCase{"N 1:00:00.1234", kAngleLatitude, kDegree, kNotTheForm, 0},
                      ReadCase{"N 1234:00:00", kAngleLatitude, 1234 * kDegree, kNotTheForm, 0},
                      ReadCase{"N 47.30.00", kAngleLatitude, 4104000, kNotTheForm, 0},
                      ReadCase{"N -1:00:00", kAngleLatitude, -kDegree, kNotTheForm, 0},
                      ReadCase{"47:30:00", kAngleLatitude, 4104000, kNotTheForm, 0},
                      ReadCase{"SN 10", kAngleLatitude, -10 * kDegree, kNotTheForm, 0},
                      ReadCase{"S 47:30:00", kAngleLongitude, 0, kNotTheForm, 0},
                      // Blanks: one before the letter is lenient only, as is one at the end.
                      ReadCase{" N 47:30:00", kAngleLatitude, 4104000, kNotTheForm, 0},
                      ReadCase{"N 47:30:00 ", kAngleLatitude, 4104000, kNotTheForm, 0},
                      // Kinds without a letter.
                      ReadCase{"47:30:00", kNoLetter, 4104000, kRead, 4104000},
                      ReadCase{"N 47:30:00", kNoLetter, 0, kNotTheForm, 0},
                      ReadCase{"-0:00:00.500", kNoLetter, 0, kRead, -12},
                      // The lenient form wraps at 32 bits instead of overflowing.
                      ReadCase{"S 24856", kAngleLatitude, 2147408896, kNotTheForm, 0},
                      ReadCase{"N 24855:08:05", kAngleLatitude, INT32_MAX - 7, kNotTheForm, 0}));

// One angle, both writings.
struct WriteCase {
    int32_t angle;
    int32_t kind;
    const char* lenient;
    const char* strict;
};

class AngleWritingTest : public ::testing::TestWithParam<WriteCase> {};

TEST_P(AngleWritingTest, BothFormsWriteTheSameAngle) {
    const WriteCase& c = GetParam();
    SCOPED_TRACE(c.strict);
    char text[kAngleTextCapacity];
    EXPECT_EQ(TextAppendAngle(text, sizeof text, 0, c.angle), std::strlen(c.lenient));
    EXPECT_STREQ(text, c.lenient);

    const uint32_t end =
        TextAppendAngleAs(text, sizeof text, 0, c.angle, c.kind, AngleForm::kStrict);
    EXPECT_STREQ(text, c.strict);
    EXPECT_EQ(end, std::strlen(c.strict));
    // The strict text reads back to the same angle wherever the strict form reaches.
    if (c.angle > -1000 * kDegree && c.angle < 1000 * kDegree) {
        int32_t back = 0;
        EXPECT_EQ(TextReadAngleAs(text, end, 0, &back, c.kind, AngleForm::kStrict), kRead);
        EXPECT_EQ(back, c.angle);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AngleWritingTest,
    ::testing::Values(WriteCase{0, kAngleLatitude, "0:00:00", "N 0:00:00"},
                      WriteCase{4104000, kAngleLatitude, "47:30:00", "N 47:30:00"},
                      WriteCase{-1646640, kAngleLatitude, "-19:03:30", "S 19:03:30"},
                      WriteCase{-86400, kAngleLongitude, "-1:00:00", "W 1:00:00"},
                      WriteCase{1, kAngleLongitude, "0:00:00", "E 0:00:00.041"},
                      WriteCase{23, kAngleLatitude, "0:00:00", "N 0:00:00.958"},
                      WriteCase{-12, kAngleLatitude, "-0:00:00", "S 0:00:00.500"},
                      WriteCase{kDegree + 59 * kMinute + 59 * kSecond + 23, kAngleLatitude,
                                "1:59:59", "N 1:59:59.958"},
                      WriteCase{INT32_MIN, kAngleLatitude, "-24855:08:05", "S 24855:08:05.333"},
                      WriteCase{INT32_MAX, kAngleLongitude, "24855:08:05", "E 24855:08:05.291"},
                      WriteCase{-12, kNoLetter, "-0:00:00", "-0:00:00.500"}));

TEST(AngleWriting, StrictFormTruncatesLikeTheOtherWriters) {
    char text[12];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(TextAppendAngleAs(text, sizeof text, 0, -12, kAngleLatitude, AngleForm::kStrict),
              11u);
    EXPECT_STREQ(text, "S 0:00:00.5");
}

struct RefusalCase {
    AngleRefusal refusal;
    int32_t kind;
    const char* text;
};

TEST(AngleRefusalText, SaysWhatTheStrictFormExpects) {
    const RefusalCase cases[] = {
        {kNotTheForm, kAngleLatitude,
         "expected the form \"N 47:30:00\" (N or S, degrees:minutes:seconds)"},
        {kNotTheForm, kAngleLongitude,
         "expected the form \"E 47:30:00\" (E or W, degrees:minutes:seconds)"},
        {kNotTheForm, kNoLetter, "expected the form \"47:30:00\" (degrees:minutes:seconds)"},
        {kAbove59, kAngleLongitude, "minutes and seconds must be 00 to 59"},
        {kRead, kAngleLatitude, ""},
    };
    for (const RefusalCase& c : cases) {
        char text[kAngleRefusalCapacity];
        std::memset(text, '#', sizeof text);
        EXPECT_EQ(TextAppendAngleRefusal(text, sizeof text, 0, c.refusal, c.kind),
                  std::strlen(c.text));
        EXPECT_STREQ(text, c.text);
    }
}

}  // namespace
