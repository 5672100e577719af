#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/serial_port_scan.h"

using namespace axistune;

namespace {

// A /dev and /sys of our own: by-id links (one of them dangling), USB and ACM adapters out of
// natural order, and four ttyS ports of which only those with a UART behind them count.
class SerialPortScanTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char temp[] = "/tmp/axistune-scan-XXXXXX";
        ASSERT_NE(mkdtemp(temp), nullptr);
        char real[PATH_MAX];
        ASSERT_NE(realpath(temp, real), nullptr);
        root_ = real;
        roots_ = {root_ + "/dev", root_ + "/sys"};
        for (const char* dir :
             {"/dev", "/dev/serial", "/dev/serial/by-id", "/sys", "/sys/class", "/sys/class/tty"}) {
            ASSERT_EQ(mkdir((root_ + dir).c_str(), 0755), 0);
        }
        for (const char* name : {"ttyUSB10", "ttyUSB2", "ttyUSB0", "ttyACM0", "ttyS0", "ttyS1",
                                 "ttyS2", "ttyS3", "ttyUSB", "tty0", "console"}) {
            std::ofstream(roots_.dev + "/" + name);
        }
        Link("usb-FTDI_FT232R-if00-port0", "../../ttyUSB10");
        Link("usb-Arduino_Uno-if00", "../../ttyACM0");
        Link("usb-Unplugged-if00-port0", "../../ttyUSB9");
        Uart("ttyS0", "4");      // a 16550A
        Uart("ttyS1", "0");      // PORT_UNKNOWN: nothing answered the probe
        Uart("ttyS3", nullptr);  // a driver that reports no type
    }

    void TearDown() override { ASSERT_EQ(system(("rm -rf '" + root_ + "'").c_str()), 0); }

    void Link(const std::string& name, const std::string& target) {
        ASSERT_EQ(symlink(target.c_str(), (roots_.dev + "/serial/by-id/" + name).c_str()), 0);
    }

    void Uart(const std::string& name, const char* type) {
        const std::string dir = roots_.sys + "/class/tty/" + name;
        ASSERT_EQ(mkdir(dir.c_str(), 0755), 0);
        ASSERT_EQ(mkdir((dir + "/device").c_str(), 0755), 0);
        if (type != nullptr) {
            std::ofstream(dir + "/type") << type << "\n";
        }
    }

    std::string root_;
    posix::SerialScanRoots roots_;
};

TEST_F(SerialPortScanTest, ListsLinksFirstThenEachDeviceOnceInNaturalOrder) {
    const std::string dev = roots_.dev;
    const std::vector<std::pair<std::string, std::string>> expected = {
        {dev + "/serial/by-id/usb-Arduino_Uno-if00", dev + "/ttyACM0"},
        {dev + "/serial/by-id/usb-FTDI_FT232R-if00-port0", dev + "/ttyUSB10"},
        {dev + "/ttyUSB0", dev + "/ttyUSB0"},
        {dev + "/ttyUSB2", dev + "/ttyUSB2"},
        {dev + "/ttyS0", dev + "/ttyS0"},
        {dev + "/ttyS3", dev + "/ttyS3"},
    };
    std::vector<std::pair<std::string, std::string>> listed;
    for (const SerialPortEntry& entry : posix::ScanSerialPorts(roots_)) {
        listed.emplace_back(entry.name, entry.device);
    }
    EXPECT_EQ(listed, expected);
}

TEST(SerialPortScan, MissingRootsListNothing) {
    EXPECT_TRUE(posix::ScanSerialPorts({"/nonexistent/dev", "/nonexistent/sys"}).empty());
}

TEST(SerialPortScan, NaturalOrder) {
    const struct {
        const char* before;
        const char* after;
    } kOrdered[] = {{"ttyUSB2", "ttyUSB10"}, {"ttyS9", "ttyS10"}, {"ttyACM0", "ttyUSB0"},
                    {"ttyUSB", "ttyUSB0"},   {"a2b10", "a10b2"},  {"port1-if00", "port1-if01"},
                    {"ttyS007", "ttyS10"},   {"x99", "x100"}};
    for (const auto& row : kOrdered) {
        EXPECT_TRUE(posix::NaturalLess(row.before, row.after)) << row.before << " < " << row.after;
        EXPECT_FALSE(posix::NaturalLess(row.after, row.before)) << row.after << " < " << row.before;
    }
}

}  // namespace
