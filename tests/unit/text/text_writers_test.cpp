#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include "text/text.h"

using namespace axistune;

namespace {

constexpr char kUntouched = '#';
constexpr uint32_t kBufferSize = 48;

// A buffer pre-filled with a marker, so that every byte a writer stores (or must not store) is
// visible, including the guard bytes from the capacity on.
struct Buffer {
    char bytes[kBufferSize];
    Buffer() { std::memset(bytes, kUntouched, sizeof(bytes)); }
    std::string Range(uint32_t from, uint32_t to) const {
        return std::string(bytes + from, bytes + to);
    }
    bool UntouchedFrom(uint32_t from) const {
        for (uint32_t i = from; i < kBufferSize; ++i) {
            if (bytes[i] != kUntouched) {
                return false;
            }
        }
        return true;
    }
};

struct AppendCase {
    uint32_t capacity;
    uint32_t position;
    const char* text;
    uint32_t expectedEnd;
    const char* expectedText;  // bytes from position up to the end
};

class TextAppendTest : public ::testing::TestWithParam<AppendCase> {};

TEST_P(TextAppendTest, StoresBoundedTextAndTerminates) {
    const AppendCase& c = GetParam();
    Buffer b;
    const uint32_t end = TextAppend(b.bytes, c.capacity, c.position, c.text);
    EXPECT_EQ(end, c.expectedEnd);
    EXPECT_EQ(b.Range(c.position, end), c.expectedText);
    EXPECT_EQ(b.bytes[end], '\0');
    EXPECT_TRUE(b.UntouchedFrom(end + 1));
    EXPECT_EQ(b.Range(0, c.position), std::string(c.position, kUntouched));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextAppendTest,
    ::testing::Values(AppendCase{8, 0, "ABCDEFGHIJ", 7, "ABCDEFG"},  // truncated, NUL at 7
                      AppendCase{8, 7, "ABC", 7, ""},                // only the NUL fits
                      AppendCase{8, 3, "", 3, ""},                   // empty text still ends
                      AppendCase{8, 3, nullptr, 3, ""},              // no text reads as empty
                      AppendCase{4, 0, "ABC", 3, "ABC"},             // exact fit
                      AppendCase{8, 2, "XY", 4, "XY"},               // short text, no truncation
                      AppendCase{8, 5, "XYZ", 7, "XY"},              // truncated mid-way
                      AppendCase{1, 0, "A", 0, ""},                  // capacity 1: NUL only
                      AppendCase{2, 0, "AB", 1, "A"},                // capacity 2: one letter
                      AppendCase{2, 1, "AB", 1, ""}));

TEST(TextAppendCapacityZero, WritesNothingAndReturnsZero) {
    Buffer b;
    EXPECT_EQ(TextAppend(b.bytes, 0, 0, "ABC"), 0u);
    EXPECT_EQ(TextAppendDecimal(b.bytes, 0, 0, -5), 0u);
    EXPECT_EQ(TextAppendHexReversed(b.bytes, 0, 0, 0x12345678), 0u);
    EXPECT_EQ(TextAppendTwoDigits(b.bytes, 0, 0, 5), 0u);
    EXPECT_EQ(TextAppendAngle(b.bytes, 0, 0, 4104000), 0u);
    EXPECT_TRUE(b.UntouchedFrom(0));
}

TEST(TextAppend, ChainsAtTheReturnedPosition) {
    char buffer[16];
    uint32_t end = TextAppend(buffer, sizeof(buffer), 0, "ABC");
    end = TextAppend(buffer, sizeof(buffer), end, "DEF");
    EXPECT_EQ(end, 6u);
    EXPECT_STREQ(buffer, "ABCDEF");
}

// _itoa with radix 10 is the reference; snprintf gives the same digits for every int32.
TEST(TextAppendDecimal, MatchesRadixTenConversionIncludingExtremes) {
    const int32_t values[] = {0,
                              1,
                              7,
                              -1,
                              9,
                              10,
                              -10,
                              99,
                              100,
                              -999,
                              1000000,
                              123456789,
                              -12345678,
                              INT32_MAX,
                              INT32_MAX - 1,
                              INT32_MIN,
                              INT32_MIN + 1};
    for (int32_t value : values) {
        char expected[16];
        std::snprintf(expected, sizeof(expected), "%d", static_cast<int>(value));
        char buffer[16];
        const uint32_t end = TextAppendDecimal(buffer, sizeof(buffer), 0, value);
        EXPECT_STREQ(buffer, expected) << value;
        EXPECT_EQ(end, std::strlen(expected)) << value;
    }
}

TEST(TextAppendDecimal, TruncatesLikeTextAppend) {
    Buffer b;
    EXPECT_EQ(TextAppendDecimal(b.bytes, 4, 0, -12345), 3u);
    EXPECT_EQ(b.Range(0, 4), std::string("-12\0", 4));
    EXPECT_TRUE(b.UntouchedFrom(4));

    Buffer atEnd;
    EXPECT_EQ(TextAppendDecimal(atEnd.bytes, 6, 5, 42), 5u);
    EXPECT_EQ(atEnd.bytes[5], '\0');
    EXPECT_TRUE(atEnd.UntouchedFrom(6));
    EXPECT_EQ(atEnd.Range(0, 5), "#####");
}

TEST(TextAppendDecimal, BuildsTheFirmwareLine) {
    char line[255];
    const uint32_t version = 0x01020A04;
    uint32_t end = TextAppend(line, sizeof(line), 0, "Firmware version: ");
    for (int shift = 24; shift >= 0; shift -= 8) {
        end = TextAppendDecimal(line, sizeof(line), end, (version >> shift) & 0xFF);
        if (shift != 0) {
            end = TextAppend(line, sizeof(line), end, ".");
        }
    }
    EXPECT_STREQ(line, "Firmware version: 1.2.10.4");
}

struct TwoDigitsCase {
    uint32_t capacity;
    uint32_t position;
    uint32_t value;
    uint32_t expectedEnd;
    const char* expectedText;  // bytes from position to end; NUL stored at end
};

class TextAppendTwoDigitsTest : public ::testing::TestWithParam<TwoDigitsCase> {};

TEST_P(TextAppendTwoDigitsTest, WritesTwoDigitsClampedAndBounded) {
    const TwoDigitsCase& c = GetParam();
    Buffer b;
    const uint32_t end = TextAppendTwoDigits(b.bytes, c.capacity, c.position, c.value);
    EXPECT_EQ(end, c.expectedEnd);
    EXPECT_EQ(b.Range(c.position, end), c.expectedText);
    EXPECT_EQ(b.bytes[end], '\0');
    EXPECT_TRUE(b.UntouchedFrom(end + 1));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextAppendTwoDigitsTest,
    ::testing::Values(TwoDigitsCase{8, 0, 5, 2, "05"}, TwoDigitsCase{8, 0, 0, 2, "00"},
                      TwoDigitsCase{8, 0, 42, 2, "42"}, TwoDigitsCase{8, 0, 99, 2, "99"},
                      TwoDigitsCase{8, 0, 100, 2, "99"}, TwoDigitsCase{8, 0, 150, 2, "99"},
                      TwoDigitsCase{8, 0, UINT32_MAX, 2, "99"}, TwoDigitsCase{8, 3, 7, 5, "07"},
                      TwoDigitsCase{3, 0, 58, 2, "58"},   // exact fit
                      TwoDigitsCase{2, 0, 58, 1, "5"},    // tens only
                      TwoDigitsCase{8, 6, 58, 7, "5"}));  // tens only

TEST(TextAppendTwoDigits, WritesNothingWithoutRoom) {
    Buffer b;
    EXPECT_EQ(TextAppendTwoDigits(b.bytes, 8, 7, 12), 7u);  // not even a NUL
    EXPECT_EQ(TextAppendTwoDigits(b.bytes, 1, 0, 12), 0u);
    EXPECT_TRUE(b.UntouchedFrom(0));
    EXPECT_EQ(TextAppendTwoDigits(nullptr, 8, 3, 12), 0u);
}

TEST(TextAppendHexReversed, WritesEightDigitsLeastSignificantFirst) {
    const struct {
        uint32_t value;
        const char* text;
    } cases[] = {{0, "00000000"},
                 {0xABCDEF01, "10FEDCBA"},
                 {0x1234, "43210000"},
                 {0xFFFFFFFF, "FFFFFFFF"},
                 {0x0000000A, "A0000000"}};
    for (const auto& c : cases) {
        char buffer[16];
        EXPECT_EQ(TextAppendHexReversed(buffer, sizeof(buffer), 0, c.value), 8u);
        EXPECT_STREQ(buffer, c.text);
    }
}

TEST(TextAppendHexReversed, TruncatesAndTerminates) {
    Buffer b;
    EXPECT_EQ(TextAppendHexReversed(b.bytes, 5, 0, 0xABCDEF01), 4u);
    EXPECT_EQ(b.Range(0, 5), std::string("10FE\0", 5));
    EXPECT_TRUE(b.UntouchedFrom(5));

    Buffer atEnd;
    EXPECT_EQ(TextAppendHexReversed(atEnd.bytes, 4, 3, 0x12), 3u);
    EXPECT_EQ(atEnd.Range(0, 4), std::string("###\0", 4));
}

TEST(TextAppendHexReversed, BuildsTheQueueName) {
    char name[256];
    const char* prefix = "\\\\.\\Pipe\\lyrafield_axistune24_";
    uint32_t end = TextAppend(name, sizeof(name), 0, prefix);
    end = TextAppendHexReversed(name, sizeof(name), end, 0x1A2B);
    EXPECT_EQ(std::string(name), std::string(prefix) + "B2A10000");
    EXPECT_EQ(end, std::strlen(prefix) + 8);
}

struct AngleCase {
    int32_t angle;
    const char* text;
};

class TextAppendAngleTest : public ::testing::TestWithParam<AngleCase> {};

TEST_P(TextAppendAngleTest, FormatsDegreesMinutesSeconds) {
    char buffer[32];
    std::memset(buffer, kUntouched, sizeof(buffer));
    const uint32_t end = TextAppendAngle(buffer, sizeof(buffer), 0, GetParam().angle);
    EXPECT_STREQ(buffer, GetParam().text);
    EXPECT_EQ(end, std::strlen(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextAppendAngleTest,
    ::testing::Values(AngleCase{4104000, "47:30:00"}, AngleCase{-1646640, "-19:03:30"},
                      AngleCase{0, "0:00:00"}, AngleCase{23, "0:00:00"},   // below one arcsecond
                      AngleCase{24, "0:00:01"}, AngleCase{47, "0:00:01"},  // dropped, not rounded
                      AngleCase{-23, "-0:00:00"}, AngleCase{-86400, "-1:00:00"},
                      AngleCase{86399, "0:59:59"}, AngleCase{15552000, "180:00:00"},
                      AngleCase{INT32_MAX, "24855:08:05"}, AngleCase{INT32_MIN, "-24855:08:05"}));

TEST(TextAppendAngle, TruncatesPieceByPiece) {
    const struct {
        uint32_t capacity;
        int32_t angle;
        const char* text;
    } cases[] = {
        {9, 4104000, "47:30:00"}, {8, 4104000, "47:30:0"}, {6, 4104000, "47:30"},
        {5, 4104000, "47:3"},     {4, 4104000, "47:"},     {3, 4104000, "47"},
        {2, -86400, "-"},         {3, -86400, "-1"},
    };
    for (const auto& c : cases) {
        Buffer b;
        const uint32_t end = TextAppendAngle(b.bytes, c.capacity, 0, c.angle);
        EXPECT_EQ(b.Range(0, end), c.text) << "capacity " << c.capacity;
        EXPECT_EQ(b.bytes[end], '\0') << "capacity " << c.capacity;
        EXPECT_LT(end, c.capacity);
        EXPECT_TRUE(b.UntouchedFrom(c.capacity)) << "capacity " << c.capacity;
    }
}

TEST(TextAppendAngle, WritesNothingAtTheLastByte) {
    Buffer b;
    EXPECT_EQ(TextAppendAngle(b.bytes, 8, 7, 4104000), 7u);
    EXPECT_EQ(TextAppendAngle(b.bytes, 1, 0, -4104000), 0u);
    EXPECT_TRUE(b.UntouchedFrom(0));
}

// The dialog writes a hemisphere letter, a blank and the formatted magnitude; reading it back
// gives the angle down to whole arcseconds.
TEST(TextAngle, RoundTripsThroughTheDialogFormat) {
    for (int64_t angle = -15552000; angle <= 15552000;
         angle += 86400 * 7 + 1440 * 13 + 24 * 17 + 5) {
        for (int32_t kind : {kAngleLatitude, kAngleLongitude}) {
            const int32_t value = static_cast<int32_t>(angle);
            const bool negative = value < 0;
            char text[32];
            const char letter =
                kind == kAngleLatitude ? (negative ? 'S' : 'N') : (negative ? 'W' : 'E');
            const char hemisphere[3] = {letter, ' ', '\0'};
            uint32_t end = TextAppend(text, sizeof(text), 0, hemisphere);
            end = TextAppendAngle(text, sizeof(text), end, negative ? -value : value);
            int32_t read = 12345;
            EXPECT_EQ(TextReadAngle(text, end, 0, &read, kind), 0u);
            const int32_t magnitude = negative ? -value : value;
            const int32_t expected = (magnitude / 24 * 24) * (negative ? -1 : 1);
            EXPECT_EQ(read, expected) << text;
        }
    }
}

}  // namespace
