// Load: the window thread writes 10,000 requests as fast as it can while the controller
// answers voltage readings (with junk before each answer) and the ticker beats. Every request
// must reach the controller once, in order, as its own frame; memory stays flat, and neither the
// reader's answers nor the ticker's beats wait for the writing to end. Rates and gaps are
// printed as figures only: a sanitizer build on a busy machine may stall any thread for a second.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>

#include "core/status_codes.h"
#include "engine/telescope_control.h"
#include "platform/serial_port.h"
#include "sim/pty_server.h"

using namespace axistune;

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kLoadPort = 5;
constexpr int kRequests = 10000;  // at least, in each phase
constexpr double kWarmUpSeconds = 0.5;
constexpr double kLoadSeconds = 2.0;
constexpr int kVoltageEvery = 20;  // every 20th request reads the supply voltage
constexpr int kTickMs = 20;

// The sanitizers keep freed memory in quarantine and shadow every byte, so resident memory
// says nothing about growth under them; the figure is still printed.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kResidentMemoryMeaningful = false;
#else
constexpr bool kResidentMemoryMeaningful = true;
#endif

constexpr uint8_t kCmdTracking = 0x24;
constexpr uint8_t kCmdExp = 0x28;
constexpr uint8_t kCmdReadVoltage = 0x2B;

long ResidentKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Request i of the sequence, as the window would make it. Tracking and Exp run in any state,
// so none is refused while a voltage reading is awaited; together they carry i.
void SendRequest(TelescopeControl& engine, int i) {
    if (i % kVoltageEvery == kVoltageEvery - 1) {
        engine.ReadVoltage();
    } else if (i % 2 == 0) {
        engine.SetTracking(static_cast<uint8_t>(i));
    } else {
        engine.SetExp(static_cast<uint8_t>(i >> 8));
    }
}

// The frame request i must produce: command byte and its last byte.
void ExpectedFrame(int i, uint8_t* command, uint8_t* last) {
    if (i % kVoltageEvery == kVoltageEvery - 1) {
        *command = kCmdReadVoltage;
        *last = 0x00;
    } else if (i % 2 == 0) {
        *command = kCmdTracking;
        *last = static_cast<uint8_t>(i);
    } else {
        *command = kCmdExp;
        *last = static_cast<uint8_t>(i >> 8);
    }
}

// Sees every frame the controller accepts, in order, and checks it against the sequence as
// it arrives (nothing is kept, so the check itself does not grow memory).
class SequenceChecker : public dxsim::TraceSink {
  public:
    void HostBytes(const uint8_t* bytes, size_t count, const std::string& what) override {
        std::lock_guard<std::mutex> guard(mutex_);
        if (what.rfind("(ignored", 0) == 0) {
            if (rejected_ == 0) {
                firstRejected_ = what + " after request " + std::to_string(next_) + ":";
                for (size_t i = 0; i < count; ++i) {
                    firstRejected_ += " " + std::to_string(bytes[i]);
                }
            }
            rejected_ += count;
            return;
        }
        const uint8_t command = bytes[2];
        if (command != kCmdTracking && command != kCmdExp && command != kCmdReadVoltage) {
            return;  // the handshake's queries
        }
        uint8_t expectedCommand = 0;
        uint8_t expectedLast = 0;
        ExpectedFrame(next_, &expectedCommand, &expectedLast);
        if ((command != expectedCommand || bytes[count - 1] != expectedLast) &&
            mismatches_++ == 0) {
            firstMismatch_ = "request " + std::to_string(next_) + ": command " +
                             std::to_string(command) + " value " + std::to_string(bytes[count - 1]);
        }
        ++next_;
        changed_.notify_all();
    }
    void DeviceBytes(const uint8_t*, size_t, const std::string&) override {}
    void Note(const std::string&) override {}

    bool WaitForFrames(int count, int timeoutMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return next_ >= count; });
    }
    int Frames() {
        std::lock_guard<std::mutex> guard(mutex_);
        return next_;
    }
    int Mismatches() {
        std::lock_guard<std::mutex> guard(mutex_);
        return mismatches_;
    }
    std::string FirstMismatch() {
        std::lock_guard<std::mutex> guard(mutex_);
        return firstMismatch_;
    }
    uint64_t Rejected() {
        std::lock_guard<std::mutex> guard(mutex_);
        return rejected_;
    }
    std::string FirstRejected() {
        std::lock_guard<std::mutex> guard(mutex_);
        return firstRejected_;
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int next_ = 0;
    int mismatches_ = 0;
    uint64_t rejected_ = 0;
    std::string firstMismatch_;
    std::string firstRejected_;
};

// Counts what the engine reports without keeping it.
class CountingListener : public TelescopeListener {
  public:
    void OnStatus(int32_t code) override {
        std::lock_guard<std::mutex> guard(mutex_);
        lastStatus_ = code;
        ++statuses_;
    }
    void OnStatusValue(int32_t, uint32_t) override { OnStatus(-1); }
    void OnSettings(const ControllerSettings*, int32_t kind) override {
        std::lock_guard<std::mutex> guard(mutex_);
        settings_ += kind == kSettingsConnected;
        changed_.notify_all();
    }
    void OnVoltage(uint32_t) override {
        std::lock_guard<std::mutex> guard(mutex_);
        const auto now = Clock::now();
        if (voltages_ > 0) {
            const long long gap =
                std::chrono::duration_cast<std::chrono::milliseconds>(now - lastVoltage_).count();
            longestVoltageGapMs_ = std::max(longestVoltageGapMs_, gap);
        }
        lastVoltage_ = now;
        ++voltages_;
        changed_.notify_all();
    }

    bool WaitForConnection(int timeoutMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                 [&] { return settings_ > 0; });
    }
    int Voltages() {
        std::lock_guard<std::mutex> guard(mutex_);
        return voltages_;
    }
    int Statuses() {
        std::lock_guard<std::mutex> guard(mutex_);
        return statuses_;
    }
    void ResetStatuses() {
        std::lock_guard<std::mutex> guard(mutex_);
        statuses_ = 0;
    }
    // The longest time between two voltage answers since the last reset.
    long long LongestVoltageGapMs() {
        std::lock_guard<std::mutex> guard(mutex_);
        return longestVoltageGapMs_;
    }
    void ResetVoltageGap() {
        std::lock_guard<std::mutex> guard(mutex_);
        longestVoltageGapMs_ = 0;
        lastVoltage_ = Clock::now();
    }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int settings_ = 0;
    int voltages_ = 0;
    int statuses_ = 0;
    int32_t lastStatus_ = 0;
    Clock::time_point lastVoltage_ = Clock::now();
    long long longestVoltageGapMs_ = 0;
};

// Beats the engine every kTickMs and keeps the count and the longest gap between beats (a
// beat that waits on a full queue shows up as a long gap, many of them as a lower rate).
class CountingTicker {
  public:
    explicit CountingTicker(iHeartBeatListener& target)
        : thread_([this, &target] {
              auto last = Clock::now();
              auto next = last;
              while (running_.load()) {
                  // On a fixed schedule, as a timer would beat: a late beat does not move the
                  // ones after it.
                  next += std::chrono::milliseconds(kTickMs);
                  std::this_thread::sleep_until(next);
                  target.Beat();
                  const auto now = Clock::now();
                  const long long gap =
                      std::chrono::duration_cast<std::chrono::milliseconds>(now - last).count();
                  last = now;
                  beats_.fetch_add(1);
                  long long seen = longestGapMs_.load();
                  while (gap > seen && !longestGapMs_.compare_exchange_weak(seen, gap)) {
                  }
              }
          }) {}
    ~CountingTicker() {
        running_.store(false);
        thread_.join();
    }
    int Beats() const { return beats_.load(); }
    void ResetGap() { longestGapMs_.store(0); }
    long long LongestGapMs() const { return longestGapMs_.load(); }

  private:
    std::atomic<bool> running_{true};
    std::atomic<int> beats_{0};
    std::atomic<long long> longestGapMs_{0};
    std::thread thread_;
};

// Writes the sequence from request `first` on for at least `seconds` and at least `minimum`
// requests, as fast as the calls return; the index after the last request written.
int WriteFor(TelescopeControl& engine, int first, double seconds, int minimum) {
    const auto start = Clock::now();
    int i = first;
    while (i - first < minimum || Seconds(Clock::now() - start) < seconds) {
        for (int burst = 0; burst < 100; ++burst, ++i) {
            SendRequest(engine, i);
        }
    }
    return i;
}

TEST(Load, RequestsArriveOnceInOrderWhileRepliesAndTicksFlow) {
    SequenceChecker checker;
    dxsim::ServerOptions options;
    options.profile = *dxsim::FindProfile("dx5");
    options.trace = &checker;
    options.linkPath = "/tmp/axistune-load-test-" + std::to_string(::getpid());
    dxsim::PtyServer sim(options);
    std::string error;
    ASSERT_TRUE(sim.Start(&error)) << error;
    PortCatalogue ports;
    ports.Assign(kLoadPort, options.linkPath);

    CountingListener listener;
    TelescopeControl engine(&listener, &ports);
    ASSERT_EQ(engine.StartError(), QueueOpenError::kNone);
    {
        CountingTicker ticker(engine);
        engine.Connect(kLoadPort, 115200);
        ASSERT_TRUE(listener.WaitForConnection(10000));
        // 60 junk bytes before every answer: the reader forwards each answer as two or three
        // serial-bytes messages.
        dxsim::Faults junk;
        junk.garbageBytes = 60;
        sim.SetFaults(junk);
        listener.ResetStatuses();

        // Warm-up, so that the memory figure below sees every buffer already in use.
        const int warmedUp = WriteFor(engine, 0, kWarmUpSeconds, kRequests);
        ASSERT_TRUE(checker.WaitForFrames(warmedUp, 60000))
            << checker.Frames() << " of " << warmedUp << " frames arrived, " << checker.Mismatches()
            << " out of order, " << checker.Rejected() << " bytes of malformed frames "
            << checker.FirstRejected();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const long rssBefore = ResidentKb();
        const int beatsBefore = ticker.Beats();
        const int voltagesBefore = listener.Voltages();
        const uint64_t bytesBefore = sim.GetCounters().bytesSent;
        ticker.ResetGap();
        listener.ResetVoltageGap();

        const auto start = Clock::now();
        const int end = WriteFor(engine, warmedUp, kLoadSeconds, kRequests);
        const auto written = Clock::now();
        const int voltagesWhileWriting = listener.Voltages() - voltagesBefore;
        const int beatsWhileWriting = ticker.Beats() - beatsBefore;
        ASSERT_TRUE(checker.WaitForFrames(end, 60000))
            << checker.Frames() << " of " << end << " frames arrived, " << checker.Mismatches()
            << " out of order, " << checker.Rejected() << " bytes of malformed frames "
            << checker.FirstRejected();
        const auto arrived = Clock::now();
        const int beats = ticker.Beats() - beatsBefore;
        const long long longestGap = ticker.LongestGapMs();
        const int voltages = listener.Voltages() - voltagesBefore;
        const long long longestVoltageGap = listener.LongestVoltageGapMs();
        const long rssAfter = ResidentKb();
        const uint64_t serialBytes = sim.GetCounters().bytesSent - bytesBefore;

        const int sent = end - warmedUp;
        const int received = checker.Frames() - warmedUp;
        const double writeSeconds = Seconds(written - start);
        const double totalSeconds = Seconds(arrived - start);
        const double ticksPerSecond = beats / totalSeconds;
        std::printf(
            "[ reliability ] load: %d requests sent, %d received in order (%d out of order, "
            "%llu bytes of malformed frames), written in %.2f s (%.0f requests/s), all at the "
            "controller after %.2f s; %d voltage readings asked, %d answers reported (one per "
            "reading not overtaken by the next, longest gap %lld ms), %llu serial bytes from "
            "the controller; ticks %.1f/s (nominal %.1f/s, longest gap %lld ms); resident "
            "memory %ld kB before, %ld kB after\n",
            sent, received, checker.Mismatches(),
            static_cast<unsigned long long>(checker.Rejected()), writeSeconds, sent / writeSeconds,
            totalSeconds, sent / kVoltageEvery, voltages, longestVoltageGap,
            static_cast<unsigned long long>(serialBytes), ticksPerSecond, 1000.0 / kTickMs,
            longestGap, rssBefore, rssAfter);

        EXPECT_GE(sent, kRequests);
        EXPECT_EQ(received, sent);
        EXPECT_EQ(checker.Mismatches(), 0) << checker.FirstMismatch();
        EXPECT_EQ(checker.Rejected(), 0u);
        EXPECT_EQ(sim.GetCounters().droppedBytes, 0u);
        // Tracking, Exp and the voltage reading are never refused.
        EXPECT_EQ(listener.Statuses(), 0);
        // The reader keeps delivering the controller's answers while the queue is busy.
        EXPECT_GT(voltagesWhileWriting, 0);
        // Flat: 10,000 requests of even 50 bytes each would be 500 kB.
        if (kResidentMemoryMeaningful) {
            EXPECT_LT(rssAfter - rssBefore, 500);
        }
        // A beat never waits for the queue to drain.
        EXPECT_GT(beatsWhileWriting, 0);
    }
    ASSERT_TRUE(engine.Stop());
    sim.Stop();
}

}  // namespace
