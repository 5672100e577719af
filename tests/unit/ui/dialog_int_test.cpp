#include "ui/dialog_int.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace axistune {
namespace {

TEST(DialogInt, ReadsTextsAsGetDlgItemInt) {
    const struct {
        const wchar_t* text;
        bool isSigned;
        uint32_t value;
    } cases[] = {
        {L"", true, 0},
        {L"  ", false, 0},
        {L" x1", false, 0},
        {L"  12 3", false, 12},
        {L"-0", true, 0},
        {L"--1", true, 0},
        {L" -7x", true, 0xFFFFFFF9u},
        {L"- 7", true, 0},
        {L"-7", false, 0},
        {L"+7", true, 0},
        {L"4294967295", false, 0xFFFFFFFFu},
        {L"4294967296", false, 0},
        {L"00000000004294967295", false, 0xFFFFFFFFu},
        {L"99999999999999999999999", false, 0},
        {L"2147483647", true, 0x7FFFFFFFu},
        {L"2147483648", true, 0},
        {L"-2147483648", true, 0x80000000u},
        {L"-2147483649", true, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogIntFromText(c.text, c.isSigned), c.value)
            << c.isSigned << " '" << std::string(c.text, c.text + std::wcslen(c.text)) << "'";
    }
}

TEST(DialogInt, WritesWhatItReadsBack) {
    const struct {
        uint32_t value;
        bool isSigned;
        const wchar_t* text;
    } cases[] = {
        {0, true, L"0"},
        {0xFFFFFFFFu, false, L"4294967295"},
        {0xFFFFFFFFu, true, L"-1"},
        {0x80000000u, true, L"-2147483648"},
        {0x7FFFFFFFu, true, L"2147483647"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DialogIntText(c.value, c.isSigned), c.text);
        EXPECT_EQ(DialogIntFromText(c.text, c.isSigned), c.value) << c.value;
    }
}

}  // namespace
}  // namespace axistune
