#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "elapsed.h"
#include "platform/serial_port.h"
#include "platform/sleep.h"

using namespace axistune;

namespace {

// A loopback listener plays the bridge (ser2net and the like); its accepted connection is the
// controller's end of the line.
class TcpBridgeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(listener_, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
        ASSERT_EQ(listen(listener_, 1), 0);
        socklen_t length = sizeof(address);
        ASSERT_EQ(getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length), 0);
        name_ = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }

    void TearDown() override {
        port_.Close();
        for (int fd : {peer_, listener_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    void Accept() {
        pollfd wait{listener_, POLLIN, 0};
        ASSERT_EQ(poll(&wait, 1, 2000), 1);
        peer_ = accept(listener_, nullptr, nullptr);
        ASSERT_GE(peer_, 0);
    }

    std::vector<uint8_t> ReadPeer(size_t count) {
        std::vector<uint8_t> got(count);
        size_t done = 0;
        while (done < count) {
            pollfd wait{peer_, POLLIN, 0};
            const ssize_t n = poll(&wait, 1, 2000) == 1 ? read(peer_, &got[done], count - done) : 0;
            if (n <= 0) {
                break;
            }
            done += static_cast<size_t>(n);
        }
        got.resize(done);
        return got;
    }

    int listener_ = -1;
    int peer_ = -1;
    std::string name_;
    SerialPort port_;
    Event stop_{EventReset::kManual, false};
};

TEST_F(TcpBridgeTest, CarriesEveryByteValueBothWaysAndLosesTheLineWhenThePeerGoes) {
    ASSERT_TRUE(port_.Open(name_, 115200).Opened()) << name_;
    Accept();
    std::vector<uint8_t> all(256);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<uint8_t>(i);
    }
    ASSERT_EQ(port_.Write(all.data(), all.size(), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadPeer(all.size()), all);

    ASSERT_EQ(write(peer_, all.data(), all.size()), 256);
    std::vector<uint8_t> received;
    while (received.size() < all.size()) {
        const ReadResult result = port_.Read(stop_, 2000);
        ASSERT_EQ(result.outcome, WaitOutcome::kData);
        received.insert(received.end(), result.bytes, result.bytes + result.count);
    }
    EXPECT_EQ(received, all);
    EXPECT_EQ(port_.Read(stop_, 30).outcome, WaitOutcome::kTimedOut);

    close(peer_);
    peer_ = -1;
    const double start = NowMs();
    EXPECT_EQ(port_.Read(stop_, 2000).outcome, WaitOutcome::kFailed);
    EXPECT_LT(NowMs() - start, kSlackMs);  // well within the 2 s bound
    // The peer's reset reaches us after the first write; without MSG_NOSIGNAL the next one
    // would end this process with SIGPIPE.
    WriteOutcome written = WriteOutcome::kWritten;
    for (int attempt = 0; attempt < 20 && written == WriteOutcome::kWritten; ++attempt) {
        written = port_.Write(all.data(), 3, 1000);
        SleepMilliseconds(10);
    }
    EXPECT_EQ(written, WriteOutcome::kFailed);
}

TEST_F(TcpBridgeTest, NothingListeningIsNotFound) {
    close(listener_);
    listener_ = -1;
    const OpenResult refused = port_.Open(name_, 115200);
    EXPECT_EQ(refused.failure, OpenFailure::kNotFound);
    EXPECT_NE(refused.systemMessage.find("refused"), std::string::npos) << refused.systemMessage;
    EXPECT_EQ(port_.Open("tcp://no-such-host.invalid:4000", 115200).failure,
              OpenFailure::kNotFound);
}

TEST(TcpBridgeName, MalformedNamesAreRefusedWithAReason) {
    for (const char* name :
         {"tcp://127.0.0.1", "tcp://127.0.0.1:", "tcp://127.0.0.1:ab", "tcp://127.0.0.1:0",
          "tcp://127.0.0.1:65536", "tcp://127.0.0.1:99999999999", "tcp://:4000", "tcp://[::1",
          "tcp://[::1]4000", "tcp://::1:4000", "tcp://127.0.0.1:-1"}) {
        SerialPort port;
        const OpenResult result = port.Open(name, 115200);
        EXPECT_EQ(result.failure, OpenFailure::kOther) << name;
        EXPECT_NE(result.systemMessage.find("tcp://HOST:PORT"), std::string::npos) << name;
        EXPECT_FALSE(port.IsOpen()) << name;
    }
}

}  // namespace
