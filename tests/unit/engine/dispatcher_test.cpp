#include <gtest/gtest.h>

#include <vector>

#include "core/status_codes.h"
#include "engine/dispatcher.h"
#include "link/protocol_outcome.h"
#include "support/recording_listener.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

struct FakeLink : ConnectionLink {
    bool openSucceeds = true;
    bool lost = false;
    std::vector<std::pair<int, uint32_t>> opens;
    int closes = 0;
    int pauses = 0;
    bool Open(uint8_t port, uint32_t baud) override {
        opens.emplace_back(port, baud);
        lost = false;
        return openSucceeds;
    }
    void Close() override { ++closes; }
    void PauseBeforeHandshake() override { ++pauses; }
    bool PortLost() const override { return lost; }
};

struct FakeReplies : ReplySide {
    int handshakeOutcome = kOutcomeNothing;
    int tickOutcome = kOutcomeNothing;
    int bytesOutcome = kOutcomeNothing;
    int handshakes = 0;
    int ticks = 0;
    std::vector<Bytes> received;
    int StartHandshake() override {
        ++handshakes;
        return handshakeOutcome;
    }
    int OnSerialBytes(const uint8_t* bytes, uint32_t count) override {
        received.emplace_back(bytes, bytes + count);
        return bytesOutcome;
    }
    int OnTick() override {
        ++ticks;
        return tickOutcome;
    }
};

struct FakeExecutor : RequestExecutor {
    std::vector<Bytes> executed;
    void Execute(const uint8_t* message) override {
        executed.emplace_back(message, message + 1 + (message[0] & 0x1F));
    }
};

class DispatcherTest : public ::testing::Test {
  protected:
    void Send(Bytes message) { dispatcher.OnQueueMessage(message.data()); }
    void Connect() { Send({0x86, 3, 5, 0x00, 0xC2, 0x01, 0x00}); }
    void CompleteHandshake() {
        replies.bytesOutcome = kOutcomeHandshakeDone;
        Send({0xC1, 0x55});
        replies.bytesOutcome = kOutcomeNothing;
    }

    FakeLink link;
    FakeReplies replies;
    FakeExecutor executor;
    RecordingListener listener;
    Dispatcher dispatcher{link, replies, executor, listener};
};

TEST_F(DispatcherTest, ConnectOpensTheRequestedPortThenStartsTheHandshakeAfterThePause) {
    Connect();
    ASSERT_EQ(link.opens.size(), 1u);
    EXPECT_EQ(link.opens[0], std::make_pair(5, 115200u));
    EXPECT_EQ(link.pauses, 1);
    EXPECT_EQ(replies.handshakes, 1);
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusOpeningPort, kStatusConnecting}));
    EXPECT_TRUE(dispatcher.PortOpen());
    EXPECT_FALSE(dispatcher.HandshakeDone());
}

TEST_F(DispatcherTest, APortThatCannotBeOpenedReportsSixAndStaysClosed) {
    link.openSucceeds = false;
    Connect();
    EXPECT_EQ(listener.Statuses(),
              (std::vector<int32_t>{kStatusOpeningPort, kStatusCannotOpenPort}));
    EXPECT_FALSE(dispatcher.PortOpen());
    EXPECT_EQ(replies.handshakes, 0);
    Send({0xA0, 0x00});
    EXPECT_EQ(replies.ticks, 0);
}

TEST_F(DispatcherTest, ConnectWhileOpenReportsAlreadyConnectedWithOrWithoutHandshake) {
    Connect();
    listener.Clear();
    Connect();
    CompleteHandshake();
    Connect();
    EXPECT_EQ(listener.Statuses(),
              (std::vector<int32_t>{kStatusAlreadyConnected, kStatusAlreadyConnected}));
    EXPECT_EQ(link.opens.size(), 1u);
}

TEST_F(DispatcherTest, RequestsBeforeTheHandshakeAreRefusedAndDropped) {
    Send({0x81, 0x15});  // store, port closed
    Connect();
    listener.Clear();
    Send({0x82, 0x06, 4});  // stop, handshake not done
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusNotConnectedYet}));
    CompleteHandshake();
    EXPECT_TRUE(executor.executed.empty()) << "a refused request is never kept for later";
    Send({0x82, 0x06, 4});
    EXPECT_EQ(executor.executed, (std::vector<Bytes>{{0x82, 0x06, 4}}));
}

TEST_F(DispatcherTest, ConnectWithTheWrongLengthIsAnOrdinaryRequest) {
    Send({0x85, 3, 5, 0, 0xC2, 1});
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusNotConnectedYet}));
    Connect();
    CompleteHandshake();
    Send({0x85, 3, 5, 0, 0xC2, 1});
    EXPECT_EQ(link.opens.size(), 1u);
    ASSERT_EQ(executor.executed.size(), 1u);
}

TEST_F(DispatcherTest, DisconnectClosesAnOpenPortEvenDuringTheHandshake) {
    Send({0x81, 0x04});
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusNotConnectedYet}));
    Connect();
    listener.Clear();
    Send({0x81, 0x04});
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusConnectionClosed}));
    EXPECT_EQ(link.closes, 1);
    EXPECT_FALSE(dispatcher.PortOpen());
}

TEST_F(DispatcherTest, TicksAndSerialBytesReachTheReplySideOnlyWhileThePortIsOpen) {
    Send({0xA0, 0x00});
    Send({0xC2, 0x55, 0x00});
    EXPECT_EQ(replies.ticks, 0);
    EXPECT_TRUE(replies.received.empty());
    Connect();
    Send({0xA0, 0x00});
    Send({0xC2, 0x55, 0x00});
    EXPECT_EQ(replies.ticks, 1);
    EXPECT_EQ(replies.received, (std::vector<Bytes>{{0x55, 0x00}}));
}

TEST_F(DispatcherTest, OutcomeTwoClosesTheLinkWithoutAStatusOfItsOwn) {
    Connect();
    CompleteHandshake();
    listener.Clear();
    replies.tickOutcome = kOutcomeCloseLink;
    Send({0xA0, 0x00});
    EXPECT_EQ(link.closes, 1);
    EXPECT_FALSE(dispatcher.PortOpen());
    EXPECT_FALSE(dispatcher.HandshakeDone());
    EXPECT_TRUE(listener.Statuses().empty());
}

TEST_F(DispatcherTest, KindThreeAndEmptyRequestsAreIgnored) {
    Connect();
    CompleteHandshake();
    listener.Clear();
    Send({0xE2, 1, 2});
    Send({0x80, 0x15});
    EXPECT_TRUE(listener.Events().empty());
    EXPECT_TRUE(executor.executed.empty());
}

TEST_F(DispatcherTest, ALostPortClosesTheConnectionAndShowsItClosed) {
    Connect();
    CompleteHandshake();
    listener.Clear();
    link.lost = true;
    Send({0xE0, 0x00});  // the reader's wake-up after a failed read
    EXPECT_EQ(link.closes, 1);
    EXPECT_EQ(listener.Statuses(), (std::vector<int32_t>{kStatusConnectionClosed}));
    EXPECT_FALSE(dispatcher.PortOpen());
    // A new connection works afterwards.
    Connect();
    EXPECT_EQ(link.opens.size(), 2u);
    EXPECT_TRUE(dispatcher.PortOpen());
}

TEST_F(DispatcherTest, CloseSilentlyReportsNothing) {
    Connect();
    listener.Clear();
    dispatcher.CloseSilently();
    dispatcher.CloseSilently();
    EXPECT_EQ(link.closes, 1);
    EXPECT_TRUE(listener.Events().empty());
}

}  // namespace
