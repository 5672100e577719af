#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "engine/control_requests.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

class RecordingRequests : public ControlRequests {
  public:
    std::vector<Bytes> messages;
    uint8_t level = 6;
    std::vector<AdvancedSettings> handedOver;
    // Order of hand-over and queue write, to check that the words are in place first.
    std::vector<char> order;

  protected:
    void WriteMessage(const uint8_t* bytes, size_t count) override {
        messages.emplace_back(bytes, bytes + count);
        order.push_back('w');
    }
    uint8_t CurrentProtocolLevel() const override { return level; }
    void StorePendingAdvanced(const AdvancedSettings& settings) override {
        handedOver.push_back(settings);
        order.push_back('a');
    }
};

struct Case {
    const char* name;
    std::function<void(iTelescopeControl&)> call;
    Bytes expected;
};

class ControlRequestsTest : public ::testing::TestWithParam<Case> {};

TEST_P(ControlRequestsTest, WritesExactlyOneMessageWithTheDocumentedBytes) {
    RecordingRequests requests;
    GetParam().call(requests);
    ASSERT_EQ(requests.messages.size(), 1u);
    EXPECT_EQ(requests.messages[0], GetParam().expected);
}

AdvancedSettings SomeAdvanced() {
    AdvancedSettings a{};
    a.changed = 0x3F;
    a.latitude = 4104000;
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    EveryOperation, ControlRequestsTest,
    ::testing::Values(
        Case{"Beat", [](iTelescopeControl& c) { c.Beat(); }, {0xA0, 0x00}},
        Case{"Connect5",
             [](iTelescopeControl& c) { c.Connect(5, 115200); },
             {0x86, 0x03, 0x05, 0x00, 0xC2, 0x01, 0x00}},
        Case{"Connect3At9600",
             [](iTelescopeControl& c) { c.Connect(3, 9600); },
             {0x86, 0x03, 0x03, 0x80, 0x25, 0x00, 0x00}},
        Case{"Disconnect", [](iTelescopeControl& c) { c.Disconnect(); }, {0x81, 0x04}},
        Case{"MoveManual", [](iTelescopeControl& c) { c.MoveManual(3, 31); }, {0x83, 0x05, 3, 31}},
        Case{"StopMotion", [](iTelescopeControl& c) { c.StopMotion(4); }, {0x82, 0x06, 4}},
        Case{"TrackingOn", [](iTelescopeControl& c) { c.SetTracking(1); }, {0x82, 0x07, 1}},
        Case{"ExpOff", [](iTelescopeControl& c) { c.SetExp(0); }, {0x82, 0x08, 0}},
        Case{"Store", [](iTelescopeControl& c) { c.StoreSettings(); }, {0x81, 0x15}},
        Case{"Command0B", [](iTelescopeControl& c) { c.SendCommand0B(); }, {0x81, 0x16}},
        Case{"Reload", [](iTelescopeControl& c) { c.ReloadDefaults(); }, {0x81, 0x17}},
        Case{"GearRatios",
             [](iTelescopeControl& c) { c.SetGearRatios(172800, 172800); },
             {0x89, 0x18, 0x00, 0xA3, 0x02, 0x00, 0x00, 0xA3, 0x02, 0x00}},
        Case{"GearRatiosDistinct",
             [](iTelescopeControl& c) { c.SetGearRatios(0x01020304, 0xA0B0C0D0); },
             {0x89, 0x18, 0x04, 0x03, 0x02, 0x01, 0xD0, 0xC0, 0xB0, 0xA0}},
        Case{"ReverseFlags",
             [](iTelescopeControl& c) { c.SetReverseFlags(1, 2, 3); },
             {0x84, 0x1A, 1, 2, 3}},
        Case{"Current",
             [](iTelescopeControl& c) { c.SetCurrent(0x81, 1234); },
             {0x84, 0x1B, 0x81, 0xD2, 0x04}},
        Case{"Decay", [](iTelescopeControl& c) { c.SetDecay(0x41, 3); }, {0x84, 0x1C, 0x41, 3, 0}},
        Case{"MaxSpeed",
             [](iTelescopeControl& c) { c.SetMaxSpeed(630, 0x1234); },
             {0x85, 0x20, 0x76, 0x02, 0x34, 0x12}},
        Case{"Acceleration",
             [](iTelescopeControl& c) { c.SetAcceleration(96, 16); },
             {0x83, 0x21, 96, 16}},
        Case{"Deceleration",
             [](iTelescopeControl& c) { c.SetDeceleration(32, 240); },
             {0x83, 0x22, 32, 240}},
        Case{"Overtone",
             [](iTelescopeControl& c) { c.SetOvertone(0x80, 0xFB); },
             {0x83, 0x1D, 0x80, 0xFB}},
        Case{"IncreaseCurrentAt",
             [](iTelescopeControl& c) { c.SetIncreaseCurrentAt(0x40, 420, 0x0102); },
             {0x86, 0x1E, 0x40, 0xA4, 0x01, 0x02, 0x01}},
        Case{
            "Guiding", [](iTelescopeControl& c) { c.SetGuidingRates(1, 16); }, {0x83, 0x23, 1, 16}},
        Case{"ApplyAdvanced",
             [](iTelescopeControl& c) { c.ApplyAdvanced(SomeAdvanced()); },
             {0x81, 0x25}},
        Case{"ReadVoltage", [](iTelescopeControl& c) { c.ReadVoltage(); }, {0x81, 0x26}},
        Case{"InitScope", [](iTelescopeControl& c) { c.InitScope(11); }, {0x82, 0x27, 11}},
        Case{"DefinePark", [](iTelescopeControl& c) { c.DefinePark(); }, {0x81, 0x28}}),
    [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

TEST(ControlRequests, ArgumentsWiderThanTheirFieldKeepOnlyTheirLowBytes) {
    RecordingRequests requests;
    // A port number of 261 arrives here already cut to a byte by the interface's u8.
    requests.Connect(static_cast<uint8_t>(261), 0x1C200);
    ASSERT_EQ(requests.messages.size(), 1u);
    EXPECT_EQ(requests.messages[0][2], 5);
}

TEST(ControlRequests, OvertoneAndCurrentIncreaseAreSilentBelowLevelThree) {
    for (uint8_t level : {0, 1, 2}) {
        RecordingRequests requests;
        requests.level = level;
        requests.SetOvertone(0x80, 5);
        requests.SetIncreaseCurrentAt(0x80, 100, 100);
        EXPECT_TRUE(requests.messages.empty()) << "level " << int(level);
    }
    RecordingRequests requests;
    requests.level = 3;
    requests.SetOvertone(0x80, 5);
    requests.SetIncreaseCurrentAt(0x80, 100, 100);
    EXPECT_EQ(requests.messages.size(), 2u);
}

TEST(ControlRequests, ApplyAdvancedHandsTheWordsOverBeforeQueueingTheRequest) {
    RecordingRequests requests;
    AdvancedSettings settings = SomeAdvanced();
    requests.ApplyAdvanced(settings);
    settings.latitude = 0;  // the caller may reuse its record at once
    ASSERT_EQ(requests.handedOver.size(), 1u);
    EXPECT_EQ(requests.handedOver[0].latitude, 4104000);
    EXPECT_EQ(requests.order, (std::vector<char>{'a', 'w'}));
}

}  // namespace
