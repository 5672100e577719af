#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <string>
#include <vector>

#include "elapsed.h"
#include "platform/serial_port.h"
#include "platform/sleep.h"
#include "platform/thread.h"

using namespace axistune;

namespace {

constexpr uint8_t kPort = 7;

// A pseudo-terminal stands in for COM7: the port opens the slave, the test plays the
// controller on the master.
class SerialPortTest : public ::testing::Test {
  protected:
    void SetUp() override {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_), 0);
        ASSERT_EQ(unlockpt(master_), 0);
        const char* name = ptsname(master_);
        ASSERT_NE(name, nullptr);
        slavePath_ = name;
        fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    }

    void TearDown() override {
        port_.Close();
        CloseMaster();
    }

    void CloseMaster() {
        if (master_ >= 0) {
            close(master_);
            master_ = -1;
        }
    }

    void WriteMaster(const std::vector<uint8_t>& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else {
                pollfd fd{master_, POLLOUT, 0};
                ASSERT_EQ(poll(&fd, 1, 2000), 1) << "master not writable";
            }
        }
    }

    std::vector<uint8_t> ReadMaster(size_t count, int timeoutMs = 2000) {
        std::vector<uint8_t> received;
        uint8_t chunk[512];
        while (received.size() < count) {
            pollfd fd{master_, POLLIN, 0};
            if (poll(&fd, 1, timeoutMs) != 1) {
                break;
            }
            const ssize_t n = read(master_, chunk, sizeof(chunk));
            if (n <= 0) {
                break;
            }
            received.insert(received.end(), chunk, chunk + n);
        }
        return received;
    }

    std::vector<uint8_t> ReadPort(size_t count) {
        std::vector<uint8_t> received;
        while (received.size() < count) {
            const ReadResult result = port_.Read(stop_, 2000);
            if (result.outcome != WaitOutcome::kData) {
                ADD_FAILURE() << "read ended with outcome " << static_cast<int>(result.outcome);
                break;
            }
            EXPECT_LE(result.count, SerialPort::kReadChunk);
            received.insert(received.end(), result.bytes, result.bytes + result.count);
        }
        return received;
    }

    termios LineSettings() {
        termios settings{};
        EXPECT_EQ(tcgetattr(master_, &settings), 0);
        return settings;
    }

    int master_ = -1;
    std::string slavePath_;
    SerialPort port_;
    Event stop_{EventReset::kManual, false};
};

std::vector<uint8_t> AllByteValues() {
    std::vector<uint8_t> bytes(256);
    for (int i = 0; i < 256; ++i) {
        bytes[i] = static_cast<uint8_t>(i);
    }
    return bytes;
}

TEST_F(SerialPortTest, AllByteValuesCrossInBothDirections) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    ASSERT_TRUE(port_.IsOpen());
    const std::vector<uint8_t> all = AllByteValues();

    ASSERT_EQ(port_.Write(all.data(), all.size(), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadMaster(all.size()), all);

    WriteMaster(all);
    EXPECT_EQ(ReadPort(all.size()), all);
    // No echo and no extra bytes (CR/NL translation, XON/XOFF) came back either way.
    EXPECT_TRUE(ReadMaster(1, 50).empty());
    EXPECT_EQ(port_.Read(stop_, 50).outcome, WaitOutcome::kTimedOut);
}

// A session that closes right after its last frame (a restore reconnecting to read back) must
// not take that frame back. Losing it depended on the kernel's timing, so the test tries often.
TEST_F(SerialPortTest, CloseKeepsFramesAlreadyWritten) {
    const uint8_t frame[] = {0xAA, 0x03, 0x0A, 0x60, 0x70};
    const std::vector<uint8_t> expected(frame, frame + sizeof(frame));
    for (int attempt = 0; attempt < 200; ++attempt) {
        ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
        ASSERT_EQ(port_.Write(frame, sizeof(frame), 1000), WriteOutcome::kWritten);
        port_.Close();
        ASSERT_EQ(ReadMaster(sizeof(frame), 200), expected) << "attempt " << attempt;
    }
}

TEST_F(SerialPortTest, OpensRawEightNoneOneAtTheRequestedRate) {
    // A terminal's usual defaults, which must not survive the open.
    termios cooked = LineSettings();
    cooked.c_iflag |= IXON | IXOFF | ICRNL | INPCK | ISTRIP;
    cooked.c_oflag |= OPOST | ONLCR;
    cooked.c_lflag |= ICANON | ECHO | ISIG;
    cooked.c_cflag |= PARENB | CSTOPB;
    ASSERT_EQ(tcsetattr(master_, TCSANOW, &cooked), 0);

    ASSERT_TRUE(port_.Open(slavePath_, 9600).Opened());
    termios settings = LineSettings();
    EXPECT_EQ(settings.c_iflag & (IXON | IXOFF | IXANY | ICRNL | INLCR | IGNCR | INPCK | ISTRIP),
              0u);
    EXPECT_EQ(settings.c_oflag & OPOST, 0u);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(settings.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(settings.c_cflag & (PARENB | CSTOPB), 0u);
    EXPECT_EQ(settings.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(cfgetospeed(&settings), static_cast<speed_t>(B9600));
    EXPECT_EQ(cfgetispeed(&settings), static_cast<speed_t>(B9600));
    port_.Close();

    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    EXPECT_EQ(cfgetospeed(&(settings = LineSettings())), static_cast<speed_t>(B115200));
    port_.Close();

    // A rate without a standard speed keeps the current one.
    ASSERT_TRUE(port_.Open(slavePath_, 12345).Opened());
    EXPECT_EQ(cfgetospeed(&(settings = LineSettings())), static_cast<speed_t>(B115200));
}

TEST_F(SerialPortTest, ReadReturnsSoonAfterBytesArrive) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    std::atomic<double> writtenAt{0};
    Thread controller;
    ASSERT_TRUE(controller.Start([&] {
        SleepMilliseconds(40);
        writtenAt.store(NowMs());
        const uint8_t reply[] = {0x55, 0x01, 0x02};
        write(master_, reply, sizeof(reply));
    }));
    const ReadResult result = port_.Read(stop_, 5000);
    const double returnedAt = NowMs();
    ASSERT_EQ(result.outcome, WaitOutcome::kData);
    EXPECT_EQ(std::vector<uint8_t>(result.bytes, result.bytes + result.count),
              (std::vector<uint8_t>{0x55, 0x01, 0x02}));
    EXPECT_TRUE(controller.Join(5000));
    EXPECT_LT(returnedAt - writtenAt.load(), kSlackMs);
}

TEST_F(SerialPortTest, ReadTimesOutThenStillDelivers) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    const double start = NowMs();
    EXPECT_EQ(port_.Read(stop_, 60).outcome, WaitOutcome::kTimedOut);
    const double elapsed = NowMs() - start;
    EXPECT_GE(elapsed, 59.0);
    EXPECT_LT(elapsed, 60 + kSlackMs);
    WriteMaster({0x11, 0x13});
    EXPECT_EQ(ReadPort(2), (std::vector<uint8_t>{0x11, 0x13}));
}

TEST_F(SerialPortTest, StopEventEndsAWaitingReadAndWinsOverData) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    Thread stopper;
    ASSERT_TRUE(stopper.Start([&] {
        SleepMilliseconds(40);
        stop_.Set();
    }));
    const double start = NowMs();
    EXPECT_EQ(port_.Read(stop_, 5000).outcome, WaitOutcome::kStopped);
    EXPECT_LT(NowMs() - start, 40 + kSlackMs);
    EXPECT_TRUE(stopper.Join(5000));

    WriteMaster({0x55, 0x00});
    SleepMilliseconds(20);
    EXPECT_EQ(port_.Read(stop_, 1000).outcome, WaitOutcome::kStopped);
    stop_.Reset();
    EXPECT_EQ(ReadPort(2), (std::vector<uint8_t>{0x55, 0x00}));
}

// The cable pulled: the far end goes away. The first read reports it at once; a caller that
// keeps reading is held back by the time-out instead of spinning, and still sees its stop
// event promptly.
TEST_F(SerialPortTest, FarEndClosedFailsPromptlyAndNeverSpins) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    std::atomic<double> closedAt{0};
    Thread puller;
    ASSERT_TRUE(puller.Start([&] {
        SleepMilliseconds(40);
        closedAt.store(NowMs());
        CloseMaster();
    }));
    const ReadResult first = port_.Read(stop_, 5000);
    const double failedAt = NowMs();
    EXPECT_TRUE(puller.Join(5000));
    ASSERT_EQ(first.outcome, WaitOutcome::kFailed);
    EXPECT_LT(failedAt - closedAt.load(), kSlackMs);

    const double cpuStart = ThreadCpuMs();
    const double wallStart = NowMs();
    int reads = 0;
    while (NowMs() - wallStart < 300) {
        EXPECT_EQ(port_.Read(stop_, 20).outcome, WaitOutcome::kFailed);
        ++reads;
    }
    const double cpu = ThreadCpuMs() - cpuStart;
    EXPECT_LE(reads, 300 / 20 + 1);  // each read waited out its time-out
    EXPECT_LT(cpu, 30.0) << reads << " reads";

    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 1000), WriteOutcome::kFailed);

    Thread stopper;
    ASSERT_TRUE(stopper.Start([&] {
        SleepMilliseconds(40);
        stop_.Set();
    }));
    const double start = NowMs();
    EXPECT_EQ(port_.Read(stop_, 5000).outcome, WaitOutcome::kStopped);
    EXPECT_LT(NowMs() - start, 40 + kSlackMs);
    EXPECT_TRUE(stopper.Join(5000));
}

TEST_F(SerialPortTest, WriteGivesUpAfterItsBoundWhenTheLineIsFull) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    std::vector<uint8_t> flood(256 * 1024, 0x5A);  // more than the pty buffers; nobody reads
    const double start = NowMs();
    EXPECT_EQ(port_.Write(flood.data(), flood.size(), 100), WriteOutcome::kTimedOut);
    const double elapsed = NowMs() - start;
    EXPECT_GE(elapsed, 99.0);
    EXPECT_LT(elapsed, 100 + kSlackMs);
}

TEST_F(SerialPortTest, PortInUseOrMissingFailsToOpen) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    EXPECT_FALSE(port_.Open(slavePath_, 115200).Opened());  // already open
    SerialPort second;
    EXPECT_FALSE(second.Open(slavePath_, 115200).Opened());  // no sharing
    EXPECT_FALSE(second.IsOpen());
    EXPECT_FALSE(second.Open("/nonexistent/axistune-tty", 115200)
                     .Opened());  // resolves to a path that does not exist
    port_.Close();
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_TRUE(second.Open(slavePath_, 115200).Opened());
}

TEST_F(SerialPortTest, ClosedPortFailsWithoutSpinningAndReopens) {
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 100), WriteOutcome::kFailed);
    const double start = NowMs();
    EXPECT_EQ(port_.Read(stop_, 40).outcome, WaitOutcome::kFailed);
    EXPECT_GE(NowMs() - start, 39.0);

    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    port_.Close();
    port_.Close();  // twice is harmless
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 1000), WriteOutcome::kWritten);
    EXPECT_EQ(ReadMaster(3), std::vector<uint8_t>(frame, frame + 3));
}

// A reader still waiting when the port is closed (its owner gave up waiting for it) is woken
// and never touches the closed descriptor.
TEST_F(SerialPortTest, CloseDuringAReadEndsTheReadPromptly) {
    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    std::atomic<int> outcome{-1};
    Thread reader;
    ASSERT_TRUE(
        reader.Start([&] { outcome.store(static_cast<int>(port_.Read(stop_, 5000).outcome)); }));
    SleepMilliseconds(40);
    const double start = NowMs();
    port_.Close();
    EXPECT_TRUE(reader.Join(5000));
    EXPECT_LT(NowMs() - start, kSlackMs);
    EXPECT_EQ(outcome.load(), static_cast<int>(WaitOutcome::kFailed));
    EXPECT_FALSE(port_.IsOpen());
}

constexpr int kCannotDropPrivileges = 77;

// Each way an open can fail has its own reason, so that a front end can say what to do.
TEST_F(SerialPortTest, FailedOpensSayWhy) {
    SerialPort other;
    EXPECT_EQ(other.Open("/nonexistent/axistune-tty", 115200).failure, OpenFailure::kNotFound);
    EXPECT_EQ(other.Open("", 115200).failure, OpenFailure::kNotFound);
    // A file that is not a terminal is not a serial port.
    EXPECT_EQ(other.Open("/dev/null", 115200).failure, OpenFailure::kOther);

    ASSERT_TRUE(port_.Open(slavePath_, 115200).Opened());
    const OpenResult busy = other.Open(slavePath_, 115200);
    EXPECT_EQ(busy.failure, OpenFailure::kBusy);
    EXPECT_NE(DescribeOpenFailure(slavePath_, busy).find("in use"), std::string::npos);
    port_.Close();

    // Root opens any device: as root, an unprivileged child tries instead.
    ASSERT_EQ(chmod(slavePath_.c_str(), geteuid() == 0 ? 0600 : 0), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(kCannotDropPrivileges);
        }
        const OpenResult denied = other.Open(slavePath_, 115200);
        const bool saysDialout =
            DescribeOpenFailure(slavePath_, denied).find("dialout") != std::string::npos;
        _exit(static_cast<int>(denied.failure) + (saysDialout ? 0 : 10));
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannotDropPrivileges) {
        GTEST_SKIP() << "running as root and cannot become an ordinary user";
    }
    EXPECT_EQ(WEXITSTATUS(status), static_cast<int>(OpenFailure::kPermissionDenied))
        << "the child exits with the failure it saw, plus 10 when the text missed dialout";
}

}  // namespace
