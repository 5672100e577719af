#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "model_driver.h"
#include "sim/controller_model.h"
#include "sim/trace.h"

using namespace dxsim_test;

namespace {

std::string Read(FILE* f) {
    rewind(f);
    std::string s;
    char buf[512];
    size_t n = 0;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) {
        s.append(buf, n);
    }
    return s;
}

TEST(Trace, OneLinePerFrameInEachDirection) {
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    int64_t clock = (12 * 3600 + 1) * 1000 + 250;  // 12:00:01.250
    dxsim::TextTrace trace(f, "dx5", [&] { return clock++; });
    dxsim::ControllerModel m(Named("dx5"));
    m.SetTrace(&trace);
    Exchange(m, {0xAA, 0x01, 0x01});
    Exchange(m, {0xAA, 0x07, 0x23, 0x00, 0x80, 0x9C, 0xFF, 0xFF, 0xFF});
    EXPECT_EQ(Read(f),
              "12:00:01.250 host> AA 01 01  READ_VERSION\n"
              "12:00:01.251 dx5<  55 05 01 0C 00 01 00  version\n"
              "12:00:01.252 host> AA 07 23 00 80 9C FF FF FF  MOVE RA speed -100\n");
    fclose(f);
}

TEST(Trace, MarksFaultsAndIgnoredBytes) {
    FILE* f = tmpfile();
    ASSERT_NE(f, nullptr);
    dxsim::TextTrace trace(f, "old-firmware", [] { return int64_t{0}; });
    dxsim::ControllerModel m(Named("dx5"));
    m.SetTrace(&trace);
    dxsim::Faults faults;
    faults.noReplyTo.set(0x02);
    m.SetFaults(faults);
    Exchange(m, {0x13, 0xAA, 0x01, 0x02});
    const std::string s = Read(f);
    // Tags are padded to the longer of "host>" and "old-firmware<", so the bytes line up.
    EXPECT_NE(s.find("host>" + std::string(9, ' ') + "13  (ignored: not a frame)"),
              std::string::npos)
        << s;
    EXPECT_NE(s.find("AA 01 02  READ_FIRMWARE [fault: no reply]"), std::string::npos) << s;
    fclose(f);
}

TEST(Trace, TimeFormat) {
    EXPECT_EQ(dxsim::TextTrace::FormatTime(0), "00:00:00.000");
    EXPECT_EQ(dxsim::TextTrace::FormatTime(86399999), "23:59:59.999");
}

}  // namespace
