#include "platform/port_scheme.h"

#include <gtest/gtest.h>

#include <string>

namespace axistune {
namespace {

TEST(PortScheme, NamesAreReadAsTheirKindAndAddress) {
    const struct {
        const char* name;
        const char* kind;
        const char* device;
        const char* host;
        uint16_t port;
    } cases[] = {
        {"/dev/ttyUSB0", "serial line", "/dev/ttyUSB0", "", 0},
        {"COM3", "serial line", "COM3", "", 0},
        {"\\\\.\\COM12", "serial line", "\\\\.\\COM12", "", 0},
        {"tcp:/h:1", "serial line", "tcp:/h:1", "", 0},
        {"tcp://bridge.local:4000", "TCP bridge", "", "bridge.local", 4000},
        {"TCP://10.0.0.7:65535", "TCP bridge", "", "10.0.0.7", 65535},
        {"tcp://[fe80::1%eth0]:0023", "TCP bridge", "", "fe80::1%eth0", 23},
    };
    for (const auto& c : cases) {
        const RecognisedPortName recognised = RecognisePortName(c.name);
        EXPECT_TRUE(recognised.error.Opened()) << c.name << ": " << recognised.error.systemMessage;
        EXPECT_STREQ(recognised.scheme->kind, c.kind) << c.name;
        EXPECT_EQ(recognised.address.device, c.device) << c.name;
        EXPECT_EQ(recognised.address.host, c.host) << c.name;
        EXPECT_EQ(recognised.address.port, c.port) << c.name;
    }
}

TEST(PortScheme, AMalformedAddressSaysWhyAndTheForm) {
    const struct {
        const char* name;
        const char* why;
    } cases[] = {
        {"tcp://", "no host"},
        {"tcp://:4000", "no host"},
        {"tcp://h", "no port number"},
        {"tcp://h:", "no port number"},
        {"tcp://[::1]", "no port number"},
        {"tcp://h:4x", "the port \"4x\" is not a number"},
        {"tcp://h:0", "the port number must be 1 to 65535"},
        {"tcp://h:65536", "the port number must be 1 to 65535"},
        {"tcp://h:18446744073709551617", "the port number must be 1 to 65535"},
        {"tcp://::1:4000", "an IPv6 address goes in brackets"},
        {"tcp://[::1:4000", "the IPv6 address has no closing bracket"},
        {"tcp://[::1]4000", "a colon and the port number must follow the address"},
    };
    for (const auto& c : cases) {
        const RecognisedPortName recognised = RecognisePortName(c.name);
        EXPECT_STREQ(recognised.scheme->kind, "TCP bridge") << c.name;
        EXPECT_EQ(recognised.error.failure, OpenFailure::kOther) << c.name;
        EXPECT_EQ(recognised.error.systemMessage,
                  std::string(c.why) + " (the form is tcp://HOST:PORT)")
            << c.name;
    }
}

}  // namespace
}  // namespace axistune
