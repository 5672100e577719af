#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>

#include "fake_serial_io.h"
#include "platform/serial_port.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::vector<uint8_t> Bytes(const ReadResult& r) {
    return std::vector<uint8_t>(r.bytes, r.bytes + r.count);
}

class SerialPortFakeTest : public testing::Test {
  protected:
    void SetUp() override { SetSerialIo(&io_); }
    void TearDown() override {
        port_.Close();
        SetSerialIo(nullptr);
        EXPECT_FALSE(io_.ioAfterClose);
    }

    void OpenPort() { ASSERT_TRUE(port_.Open("COM3", 115200).Opened()); }

    FakeSerialIo io_;
    SerialPort port_;
    Event stop_{EventReset::kManual, false};
};

TEST_F(SerialPortFakeTest, OpensTheDeviceNameOfAnyPortNumber) {
    const struct {
        uint8_t port;
        const char* name;
    } cases[] = {
        {1, "\\\\.\\COM1"}, {9, "\\\\.\\COM9"}, {10, "\\\\.\\COM10"}, {255, "\\\\.\\COM255"}};
    for (const auto& c : cases) {
        ASSERT_TRUE(port_.Open("COM" + std::to_string(c.port), 9600).Opened());
        EXPECT_EQ(io_.openedName, c.name);
        EXPECT_EQ(io_.openAccess, DWORD(GENERIC_READ | GENERIC_WRITE));
        EXPECT_EQ(io_.openShare, 0u);
        EXPECT_EQ(io_.openDisposition, DWORD(OPEN_EXISTING));
        EXPECT_EQ(io_.openFlags, DWORD(FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED));
        port_.Close();
        io_.closed = false;
    }
}

TEST_F(SerialPortFakeTest, LineSettingsAre8N1BinarySafeAndKeepTheRest) {
    ASSERT_TRUE(port_.Open("COM4", 9600).Opened());
    EXPECT_EQ(io_.dcbLengthSeen, sizeof(DCB));
    ASSERT_TRUE(io_.dcbWritten);
    const DCB& d = io_.writtenDcb;
    const DCB& driver = io_.driverDcb;
    EXPECT_EQ(d.BaudRate, 9600u);
    EXPECT_EQ(d.ByteSize, 8);
    EXPECT_EQ(d.Parity, NOPARITY);
    EXPECT_EQ(d.StopBits, ONESTOPBIT);
    EXPECT_EQ(d.fParity, 0u);
    EXPECT_EQ(d.fBinary, 1u);
    EXPECT_EQ(d.fOutX, 0u);
    EXPECT_EQ(d.fInX, 0u);
    EXPECT_EQ(d.fNull, 0u);
    EXPECT_EQ(d.fErrorChar, 0u);
    EXPECT_EQ(d.fAbortOnError, 0u);
    // Everything else as the driver reported it.
    EXPECT_EQ(d.DCBlength, driver.DCBlength);
    EXPECT_EQ(d.fOutxCtsFlow, driver.fOutxCtsFlow);
    EXPECT_EQ(d.fOutxDsrFlow, driver.fOutxDsrFlow);
    EXPECT_EQ(d.fDtrControl, driver.fDtrControl);
    EXPECT_EQ(d.fRtsControl, driver.fRtsControl);
    EXPECT_EQ(d.fDsrSensitivity, driver.fDsrSensitivity);
    EXPECT_EQ(d.fTXContinueOnXoff, driver.fTXContinueOnXoff);
    EXPECT_EQ(d.XonLim, driver.XonLim);
    EXPECT_EQ(d.XoffLim, driver.XoffLim);
    EXPECT_EQ(d.XonChar, driver.XonChar);
    EXPECT_EQ(d.XoffChar, driver.XoffChar);
    EXPECT_EQ(d.ErrorChar, driver.ErrorChar);
    EXPECT_EQ(d.EofChar, driver.EofChar);
    EXPECT_EQ(d.EvtChar, driver.EvtChar);

    ASSERT_TRUE(io_.timeoutsSet);
    EXPECT_EQ(io_.timeouts.ReadIntervalTimeout, 1u);
    EXPECT_EQ(io_.timeouts.ReadTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(io_.timeouts.ReadTotalTimeoutConstant, 0u);
    EXPECT_EQ(io_.timeouts.WriteTotalTimeoutMultiplier, 0u);
    EXPECT_EQ(io_.timeouts.WriteTotalTimeoutConstant, 0u);
    EXPECT_EQ(io_.setupIn, 8096u);
    EXPECT_EQ(io_.setupOut, 8096u);
}

TEST_F(SerialPortFakeTest, UnreadableLineSettingsAreNotOverwrittenWithGuesses) {
    io_.getStateFails = true;
    ASSERT_TRUE(port_.Open("COM4", 9600).Opened());
    EXPECT_FALSE(io_.dcbWritten);
}

TEST_F(SerialPortFakeTest, APortThatCannotBeOpenedStaysClosed) {
    io_.openFails = true;
    EXPECT_FALSE(port_.Open("COM3", 115200).Opened());
    EXPECT_FALSE(port_.IsOpen());
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 1000), WriteOutcome::kFailed);
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kFailed);
    EXPECT_TRUE(io_.writes.empty());
    EXPECT_TRUE(io_.reads.empty());
}

TEST_F(SerialPortFakeTest, ReadCompletedAtOnceDeliversWithoutWaiting) {
    OpenPort();
    io_.readStart = FakeSerialIo::Start::kAtOnce;
    io_.atOnceBytes = {0x55, 0x02, 0x11, 0x13};
    ReadResult r = port_.Read(stop_, 200);
    EXPECT_EQ(r.outcome, WaitOutcome::kData);
    EXPECT_EQ(Bytes(r), io_.atOnceBytes);
    EXPECT_EQ(io_.multipleWaits, 0);

    // The next call starts a fresh read rather than trusting the still-set event.
    io_.atOnceBytes = {0x00};
    r = port_.Read(stop_, 200);
    EXPECT_EQ(r.outcome, WaitOutcome::kData);
    EXPECT_EQ(Bytes(r), io_.atOnceBytes);
    EXPECT_EQ(io_.reads.size(), 2u);
}

TEST_F(SerialPortFakeTest, TimeOutKeepsTheSameReadPending) {
    OpenPort();
    auto start = Clock::now();
    EXPECT_EQ(port_.Read(stop_, 100).outcome, WaitOutcome::kTimedOut);
    EXPECT_GE(MillisecondsSince(start), 80);
    EXPECT_EQ(port_.Read(stop_, 20).outcome, WaitOutcome::kTimedOut);
    EXPECT_EQ(io_.reads.size(), 1u);

    io_.CompleteRead({0x55, 0x00});
    ReadResult r = port_.Read(stop_, 200);
    EXPECT_EQ(r.outcome, WaitOutcome::kData);
    EXPECT_EQ(Bytes(r), (std::vector<uint8_t>{0x55, 0x00}));
    EXPECT_EQ(io_.reads.size(), 1u);
}

TEST_F(SerialPortFakeTest, StopCancelsThePendingReadAndTheNextReadStartsAfresh) {
    OpenPort();
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kTimedOut);
    stop_.Set();
    EXPECT_EQ(port_.Read(stop_, 1000).outcome, WaitOutcome::kStopped);
    ASSERT_EQ(io_.reads.size(), 1u);
    EXPECT_TRUE(io_.reads[0].cancelled);
    EXPECT_FALSE(io_.reads[0].pending);

    stop_.Reset();
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kTimedOut);
    EXPECT_EQ(io_.reads.size(), 2u);
}

TEST_F(SerialPortFakeTest, StopDuringTheWaitCancelsThePendingRead) {
    OpenPort();
    std::thread stopper([this] {
        Sleep(50);
        stop_.Set();
    });
    auto start = Clock::now();
    EXPECT_EQ(port_.Read(stop_, 5000).outcome, WaitOutcome::kStopped);
    EXPECT_LT(MillisecondsSince(start), 2000);
    stopper.join();
    ASSERT_EQ(io_.reads.size(), 1u);
    EXPECT_TRUE(io_.reads[0].cancelled);
}

TEST_F(SerialPortFakeTest, StopWinsOverAStreamOfBytes) {
    OpenPort();
    io_.readStart = FakeSerialIo::Start::kAtOnce;
    io_.atOnceBytes = {0x01};
    stop_.Set();
    EXPECT_EQ(port_.Read(stop_, 200).outcome, WaitOutcome::kStopped);
}

TEST_F(SerialPortFakeTest, FailedReadIsReportedAndNeverWaitedOnAgain) {
    OpenPort();
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kTimedOut);
    // The adapter is pulled: the pending read ends in an error and its event stays set.
    io_.CompleteRead({}, ERROR_ACCESS_DENIED);
    io_.readStart = FakeSerialIo::Start::kFail;
    int waitsBefore = io_.multipleWaits;

    auto start = Clock::now();
    EXPECT_EQ(port_.Read(stop_, 200).outcome, WaitOutcome::kFailed);
    for (int i = 0; i < 5; ++i) {
        ReadResult r = port_.Read(stop_, 200);
        EXPECT_EQ(r.outcome, WaitOutcome::kFailed);
        EXPECT_EQ(r.count, 0u);
    }
    EXPECT_LT(MillisecondsSince(start), 1000);
    // One wait saw the failure; the later calls fail at the start of the read.
    EXPECT_EQ(io_.multipleWaits - waitsBefore, 1);

    // The stop event is still honoured.
    stop_.Set();
    EXPECT_EQ(port_.Read(stop_, 200).outcome, WaitOutcome::kStopped);
}

TEST_F(SerialPortFakeTest, ReadThatFailsAtOnceIsReported) {
    OpenPort();
    io_.readStart = FakeSerialIo::Start::kFail;
    io_.startError = ERROR_BAD_COMMAND;
    EXPECT_EQ(port_.Read(stop_, 200).outcome, WaitOutcome::kFailed);
    EXPECT_EQ(io_.multipleWaits, 0);
}

TEST_F(SerialPortFakeTest, AbandonedWriteKeepsItsBufferUntilTheNextWriteCancelsIt) {
    OpenPort();
    io_.writeStart = FakeSerialIo::Start::kPending;
    const uint8_t first[] = {0xAA, 0x01, 0x01};
    auto start = Clock::now();
    EXPECT_EQ(port_.Write(first, sizeof(first), 1000), WriteOutcome::kTimedOut);
    long long waited = MillisecondsSince(start);
    EXPECT_GE(waited, 950);
    EXPECT_LT(waited, 3000);
    ASSERT_EQ(io_.writes.size(), 1u);
    EXPECT_TRUE(io_.writes[0].pending);

    const uint8_t second[] = {0xAA, 0x02, 0x0D, 0x01};
    io_.writeStart = FakeSerialIo::Start::kAtOnce;
    EXPECT_EQ(port_.Write(second, sizeof(second), 1000), WriteOutcome::kWritten);
    ASSERT_EQ(io_.writes.size(), 2u);
    EXPECT_TRUE(io_.writes[0].cancelled);
    EXPECT_TRUE(io_.writes[0].bufferIntactAtEnd);
    EXPECT_FALSE(io_.overlappingWrites);
    EXPECT_EQ(io_.writes[1].sent, std::vector<uint8_t>(second, second + sizeof(second)));
}

TEST_F(SerialPortFakeTest, WriteThatCompletedLateIsNotCancelledNorMistakenForTheNext) {
    OpenPort();
    io_.writeStart = FakeSerialIo::Start::kPending;
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 50), WriteOutcome::kTimedOut);
    io_.CompleteWrite(0);  // finishes after its caller gave up; its event is now set

    EXPECT_EQ(port_.Write(frame, sizeof(frame), 100), WriteOutcome::kTimedOut);
    EXPECT_FALSE(io_.writes[0].cancelled);
    EXPECT_TRUE(io_.writes[0].bufferIntactAtEnd);
    EXPECT_FALSE(io_.overlappingWrites);

    io_.CompleteWrite(1);
    io_.writeStart = FakeSerialIo::Start::kAtOnce;
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 100), WriteOutcome::kWritten);
}

TEST_F(SerialPortFakeTest, PendingWriteThatCompletesInTimeIsWritten) {
    OpenPort();
    io_.writeStart = FakeSerialIo::Start::kPending;
    // Another thread plays the driver: the write ends while the port waits for it.
    std::vector<uint8_t> frame(300, 0x11);
    std::thread driver([this] {
        Sleep(50);
        io_.CompleteWrite(0);
    });
    EXPECT_EQ(port_.Write(frame.data(), frame.size(), 1000), WriteOutcome::kWritten);
    driver.join();
    EXPECT_EQ(io_.writes[0].sent, frame);
}

TEST_F(SerialPortFakeTest, RefusedWriteFails) {
    OpenPort();
    io_.writeStart = FakeSerialIo::Start::kFail;
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 1000), WriteOutcome::kFailed);
}

TEST_F(SerialPortFakeTest, CloseCancelsPendingIoThenPurgesAndCloses) {
    OpenPort();
    io_.writeStart = FakeSerialIo::Start::kPending;
    const uint8_t frame[] = {0xAA, 0x01, 0x01};
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 10), WriteOutcome::kTimedOut);
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kTimedOut);
    io_.calls.clear();

    port_.Close();
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_TRUE(io_.reads[0].cancelled);
    EXPECT_TRUE(io_.writes[0].cancelled);
    EXPECT_TRUE(io_.writes[0].bufferIntactAtEnd);
    EXPECT_EQ(io_.purgeFlags, 0x0Fu);
    ASSERT_GE(io_.calls.size(), 2u);
    EXPECT_EQ(io_.calls[io_.calls.size() - 2], "PurgeComm");
    EXPECT_EQ(io_.calls.back(), "CloseHandle");

    // Closed: nothing reaches the handle any more.
    EXPECT_EQ(port_.Read(stop_, 10).outcome, WaitOutcome::kFailed);
    EXPECT_EQ(port_.Write(frame, sizeof(frame), 10), WriteOutcome::kFailed);
    port_.Close();
}

}  // namespace
