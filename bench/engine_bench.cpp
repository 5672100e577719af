// Whole-engine figures with real threads: the engine, the real 250 ms heartbeat and a far end on
// a pseudo-terminal. Prints figures; nothing here passes or fails on a timing.

#include <poll.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/heart_beat.h"
#include "bench/bench_clock.h"
#include "bench/far_end.h"
#include "bench/handshake_floor.h"
#include "bench/proc_stats.h"
#include "bench/sample_stats.h"
#include "core/status_codes.h"
#include "engine/telescope_control.h"
#include "link/command_codes.h"
#include "link/controller_commands.h"
#include "platform/serial_port.h"

using namespace axistune;

namespace {

using bench::NowNs;

constexpr uint8_t kFarPort = 7;
constexpr int64_t kFrameWaitNs = 1000000000;

struct Options {
    int requests = 10000;
    int warmUp = 500;
    int connects = 10;
    int idleSeconds = 20;
    int gapUs = 500;
};

// The far end answers as port kFarPort; every other number leads nowhere.
PortCatalogue g_ports;

void UseFarEnd(const bench::FarEnd& far) {
    g_ports.Assign(kFarPort, far.SlavePath());
}

void SleepUs(int64_t us) {
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

// Times every event it is interested in on the worker thread, the moment the call comes.
class BenchListener : public TelescopeListener {
  public:
    void OnStatus(int32_t code) override {
        NoteWorker();
        std::lock_guard<std::mutex> guard(mutex_);
        if (code == kStatusConnectionClosed) {
            ++closed_;
        } else if (code != kStatusOpeningPort && code != kStatusConnecting) {
            lastUnexpected_ = code;
        }
        changed_.notify_all();
    }
    void OnStatusValue(int32_t code, uint32_t) override { OnStatus(code); }
    void OnSettings(const ControllerSettings*, int32_t kind) override {
        const int64_t now = NowNs();
        std::lock_guard<std::mutex> guard(mutex_);
        if (kind == kSettingsConnected) {
            connectedNs_ = now;
            ++connects_;
        }
        changed_.notify_all();
    }
    void OnVoltage(uint32_t) override {
        const int64_t now = NowNs();
        NoteWorker();
        std::lock_guard<std::mutex> guard(mutex_);
        lastVoltageNs_ = now;
        ++voltages_;
        changed_.notify_all();
    }

    int Connects() {
        std::lock_guard<std::mutex> guard(mutex_);
        return connects_;
    }
    int Closed() {
        std::lock_guard<std::mutex> guard(mutex_);
        return closed_;
    }
    int64_t ConnectedNs() {
        std::lock_guard<std::mutex> guard(mutex_);
        return connectedNs_;
    }
    int LastUnexpected() {
        std::lock_guard<std::mutex> guard(mutex_);
        return lastUnexpected_;
    }
    bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), done);
    }
    bool WaitConnects(int count, int timeoutMs) {
        return WaitFor([this, count] { return connects_ >= count; }, timeoutMs);
    }
    bool WaitClosed(int count, int timeoutMs) {
        return WaitFor([this, count] { return closed_ >= count; }, timeoutMs);
    }

    uint32_t Voltages() {
        std::lock_guard<std::mutex> guard(mutex_);
        return voltages_;
    }
    int64_t LastVoltageNs() {
        std::lock_guard<std::mutex> guard(mutex_);
        return lastVoltageNs_;
    }
    bool WaitVoltages(uint32_t count, int timeoutMs) {
        return WaitFor([this, count] { return voltages_ >= count; }, timeoutMs);
    }
    pid_t WorkerTid() const { return workerTid_.load(std::memory_order_relaxed); }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int connects_ = 0;
    int closed_ = 0;
    int lastUnexpected_ = 0;
    int64_t connectedNs_ = 0;
    uint32_t voltages_ = 0;
    int64_t lastVoltageNs_ = 0;
    std::atomic<pid_t> workerTid_{0};

    // Callbacks all come on the worker thread; one system call to learn its id is enough.
    void NoteWorker() {
        if (workerTid_.load(std::memory_order_relaxed) == 0) {
            workerTid_.store(bench::CurrentTid(), std::memory_order_relaxed);
        }
    }
};

// Sits between the heartbeat and the engine and notes when each beat was given.
class TickRecorder : public iHeartBeatListener {
  public:
    explicit TickRecorder(iHeartBeatListener& target) : target_(target) {}

    void Beat() override {
        {
            std::lock_guard<std::mutex> guard(mutex_);
            ticks_.push_back(NowNs());
            if (tid_ == 0) {
                tid_ = bench::CurrentTid();
            }
        }
        target_.Beat();
    }
    std::vector<int64_t> Ticks() {
        std::lock_guard<std::mutex> guard(mutex_);
        return ticks_;
    }
    pid_t Tid() {
        std::lock_guard<std::mutex> guard(mutex_);
        return tid_;
    }

  private:
    iHeartBeatListener& target_;
    std::mutex mutex_;
    std::vector<int64_t> ticks_;
    pid_t tid_ = 0;
};

void PrintLatency(const char* what, bench::Summary s, double charNs) {
    std::printf(
        "  %-34s median %7.1f us (%.2f char)   p99 %7.1f us (%.2f char)   max %8.1f us   n=%zu\n",
        what, s.median / 1000, s.median / charNs, s.p99 / 1000, s.p99 / charNs, s.max / 1000,
        s.count);
}

// A latency, and the same latency less the time that the engine's threads spent waiting for a
// processor meanwhile (the scheduler's run-queue wait): what is left is the engine's own path.
struct Latency {
    bench::Summary total;
    bench::Summary lessWaits;
    bench::Summary engineCpu;  // processor time of the engine's threads meanwhile
};

void PrintFigure(const char* label, const Latency& l, double charNs) {
    std::printf(
        "%s median %.1f us = %.2f char, p99 %.1f us = %.2f char (less run-queue waits: "
        "median %.1f us, p99 %.1f us = %.2f char)\n",
        label, l.total.median / 1000, l.total.median / charNs, l.total.p99 / 1000,
        l.total.p99 / charNs, l.lessWaits.median / 1000, l.lessWaits.p99 / 1000,
        l.lessWaits.p99 / charNs);
}

struct Rig {
    BenchListener listener;
    TelescopeControl engine{&listener, &g_ports};
    TickRecorder recorder{engine};
    HeartBeat heartBeat;
};

struct HandshakeResult {
    bench::Summary measuredMs;
    bench::Summary floorMs;
    bench::Summary overheadMs;
    double nominalFloorMs = 0;
    bool ok = false;
};

// Connects `connects` times at the rate; the last connection stays open when `keepLast`.
HandshakeResult MeasureHandshakes(Rig& rig, bench::FarEnd& far, uint32_t baud, int connects,
                                  bool keepLast) {
    HandshakeResult result;
    const double charNs = bench::CharTimeNs(baud);
    std::vector<double> measured, floors, overheads;
    UseFarEnd(far);
    far.StartServing();
    for (int i = 0; i < connects; ++i) {
        // Start at a different phase of the heartbeat each time.
        SleepUs(static_cast<int64_t>((i * 89) % 250) * 1000);
        far.TakeExchanges();
        const int before = rig.listener.Connects();
        const int64_t start = NowNs();
        rig.engine.Connect(kFarPort, baud);
        if (!rig.listener.WaitConnects(before + 1, 15000)) {
            std::printf("  connect %d at %u baud did not complete (last status %d)\n", i + 1, baud,
                        rig.listener.LastUnexpected());
            far.StopServing();
            return result;
        }
        const int64_t took = rig.listener.ConnectedNs() - start;
        const std::vector<bench::Exchange> exchanges = far.TakeExchanges();
        const int64_t floor =
            bench::HandshakeFloorNs(start, exchanges, rig.recorder.Ticks(), charNs);
        result.nominalFloorMs = static_cast<double>(bench::NominalFloorNs(exchanges, charNs)) / 1e6;
        measured.push_back(static_cast<double>(took) / 1e6);
        floors.push_back(static_cast<double>(floor) / 1e6);
        overheads.push_back(static_cast<double>(took - floor) / 1e6);
        std::printf("  connect %2d: %8.1f ms, floor on its ticks %8.1f ms, %zu exchanges\n", i + 1,
                    measured.back(), floors.back(), exchanges.size());
        std::fflush(stdout);
        if (i + 1 < connects || !keepLast) {
            const int closed = rig.listener.Closed();
            rig.engine.Disconnect();
            rig.listener.WaitClosed(closed + 1, 15000);
        }
    }
    far.StopServing();
    result.measuredMs = bench::Summarise(measured);
    result.floorMs = bench::Summarise(floors);
    result.overheadMs = bench::Summarise(overheads);
    result.ok = true;
    return result;
}

struct EngineThreads {
    pid_t worker = 0;
    pid_t reader = 0;
};

// Called while connected and before any far-end thread runs: the reader is the thread that is
// neither this one, the worker nor the ticker.
EngineThreads FindEngineThreads(Rig& rig) {
    EngineThreads t;
    t.worker = rig.listener.WorkerTid();
    const pid_t self = bench::CurrentTid();
    const pid_t ticker = rig.recorder.Tid();
    for (pid_t tid : bench::ThreadIds()) {
        if (tid != self && tid != t.worker && tid != ticker) {
            t.reader = tid;
        }
    }
    return t;
}

int64_t CpuNs(pid_t a, pid_t b = 0) {
    int64_t sum = 0;
    for (pid_t tid : {a, b}) {
        bench::ThreadSample sample;
        if (tid != 0 && bench::SampleCpu(tid, &sample)) {
            sum += sample.cpuNs;
        }
    }
    return sum;
}

int64_t WaitedNs(pid_t a, pid_t b = 0) {
    int64_t sum = 0;
    for (pid_t tid : {a, b}) {
        if (tid != 0) {
            sum += std::max<int64_t>(0, bench::RunQueueWaitNs(tid));
        }
    }
    return sum;
}

// The frame that the engine's sender writes for this request.
class CapturingSink : public FrameSink {
  public:
    void WriteFrame(const uint8_t* bytes, size_t count) override {
        frame.assign(bytes, bytes + count);
    }
    std::vector<uint8_t> frame;
};

// The caller sleeps after each request, as the window thread does, while a far-end thread spins
// on the line. Each request is followed by the same frame written straight into the
// pseudo-terminal, so that the bare line is timed in the same way and under the same load.
bool MeasureRequestToWire(Rig& rig, bench::FarEnd& far, const Options& o,
                          const EngineThreads& threads, Latency* out, bench::Summary* bare) {
    std::vector<double> samples, lessWaits, cpu, bareSamples;
    lessWaits.reserve(static_cast<size_t>(o.requests));
    cpu.reserve(static_cast<size_t>(o.requests));
    samples.reserve(static_cast<size_t>(o.requests));
    bareSamples.reserve(static_cast<size_t>(o.requests));
    far.StartWatching();
    bool ok = true;
    for (int i = 0; ok && i < o.warmUp + o.requests; ++i) {
        const uint8_t on = static_cast<uint8_t>(i & 1);
        CapturingSink expected;
        SendTracking(expected, on);
        const size_t n = expected.frame.size();
        std::vector<uint8_t> got;
        int64_t arrived = 0;
        SleepUs(o.gapUs);
        const int64_t waitedBefore = WaitedNs(threads.worker);
        const int64_t cpuBefore = CpuNs(threads.worker);
        const int64_t start = NowNs();
        rig.engine.SetTracking(on);
        if (!far.AwaitBytes(n, kFrameWaitNs, &got, &arrived) || got != expected.frame) {
            std::printf("  request %d: the tracking frame did not arrive\n", i);
            ok = false;
            break;
        }
        const int64_t waited = WaitedNs(threads.worker) - waitedBefore;
        const int64_t used = CpuNs(threads.worker) - cpuBefore;
        SleepUs(o.gapUs);
        const int64_t directStart = NowNs();
        int64_t directArrived = 0;
        if (!far.WriteHostSide(expected.frame.data(), n) ||
            !far.AwaitBytes(n, kFrameWaitNs, &got, &directArrived)) {
            std::printf("  request %d: the bare frame did not arrive\n", i);
            ok = false;
            break;
        }
        if (i >= o.warmUp) {
            samples.push_back(static_cast<double>(arrived - start));
            lessWaits.push_back(static_cast<double>(arrived - start - waited));
            cpu.push_back(static_cast<double>(used));
            bareSamples.push_back(static_cast<double>(directArrived - directStart));
        }
    }
    far.StopWatching();
    out->total = bench::Summarise(samples);
    out->lessWaits = bench::Summarise(lessWaits);
    out->engineCpu = bench::Summarise(cpu);
    *bare = bench::Summarise(bareSamples);
    return ok;
}

bool MeasureReplyToEvent(Rig& rig, bench::FarEnd& far, const Options& o,
                         const EngineThreads& threads, Latency* out) {
    std::vector<double> samples, lessWaits, cpu;
    lessWaits.reserve(static_cast<size_t>(o.requests));
    cpu.reserve(static_cast<size_t>(o.requests));
    samples.reserve(static_cast<size_t>(o.requests));
    for (int i = 0; i < o.warmUp + o.requests; ++i) {
        SleepUs(o.gapUs);
        const uint32_t before = rig.listener.Voltages();
        rig.engine.ReadVoltage();
        bench::ArrivedFrame frame;
        // Only the event's time matters here, so the far end blocks instead of spinning and
        // leaves both processors to the engine's reader and worker.
        if (!far.AwaitFrame(kFrameWaitNs, &frame) || frame.bytes.size() < 3 ||
            frame.bytes[2] != CMD_READ_VOLTAGE) {
            std::printf("  read %d: no voltage query arrived\n", i);
            return false;
        }
        const int64_t waitedBefore = WaitedNs(threads.reader, threads.worker);
        const int64_t cpuBefore = CpuNs(threads.reader, threads.worker);
        const int64_t written = far.SendDueReplies();
        if (written < 0 || !rig.listener.WaitVoltages(before + 1, 1000)) {
            std::printf("  read %d: no voltage event\n", i);
            return false;
        }
        const int64_t took = rig.listener.LastVoltageNs() - written;
        const int64_t waited = WaitedNs(threads.reader, threads.worker) - waitedBefore;
        const int64_t used = CpuNs(threads.reader, threads.worker) - cpuBefore;
        if (i >= o.warmUp) {
            samples.push_back(static_cast<double>(took));
            lessWaits.push_back(static_cast<double>(took - waited));
            cpu.push_back(static_cast<double>(used));
        }
    }
    out->total = bench::Summarise(samples);
    out->lessWaits = bench::Summarise(lessWaits);
    out->engineCpu = bench::Summarise(cpu);
    return true;
}

void MeasureBarePty(bench::FarEnd& far, const Options& o, bench::Summary* toFar,
                    bench::Summary* toHost) {
    const uint8_t frame[] = {0xAA, 0x03, CMD_TRACKING, 0x00, 0x01};
    const uint8_t reply[] = {0x55, 0x05, CMD_READ_VOLTAGE, 0x00, 0x00, 0xB0, 0x04};
    std::vector<double> a, b;
    for (int i = 0; i < o.warmUp + o.requests; ++i) {
        SleepUs(o.gapUs);
        const int64_t x = far.TimeHostToFar(frame, sizeof frame);
        SleepUs(o.gapUs);
        const int64_t y = far.TimeFarToHost(reply, sizeof reply);
        if (i >= o.warmUp && x >= 0 && y >= 0) {
            a.push_back(static_cast<double>(x));
            b.push_back(static_cast<double>(y));
        }
    }
    *toFar = bench::Summarise(a);
    *toHost = bench::Summarise(b);
}

struct IdleFigures {
    double seconds = 0;
    int64_t engineCpuNs = 0;
    int64_t processCpuNs = 0;
    int64_t engineWakeups = 0;
    struct Row {
        const char* role;
        pid_t tid;
        int64_t cpuNs;
        int64_t voluntary;
        int64_t involuntary;
    };
    std::vector<Row> rows;
};

int64_t ProcessCpuNs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

IdleFigures MeasureIdle(Rig& rig, int seconds) {
    IdleFigures f;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const pid_t self = bench::CurrentTid();
    const pid_t worker = rig.listener.WorkerTid();
    const pid_t ticker = rig.recorder.Tid();
    std::vector<bench::ThreadSample> before;
    for (pid_t tid : bench::ThreadIds()) {
        bench::ThreadSample s;
        if (tid != self && bench::SampleThread(tid, &s)) {
            before.push_back(s);
        }
    }
    const int64_t cpuBefore = ProcessCpuNs();
    const int64_t start = NowNs();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const int64_t end = NowNs();
    const int64_t cpuAfter = ProcessCpuNs();
    f.seconds = static_cast<double>(end - start) / 1e9;
    f.processCpuNs = cpuAfter - cpuBefore;
    for (const bench::ThreadSample& b : before) {
        bench::ThreadSample a;
        if (!bench::SampleThread(b.tid, &a)) {
            continue;
        }
        const char* role = b.tid == worker ? "worker" : b.tid == ticker ? "ticker" : "reader";
        f.rows.push_back({role, b.tid, a.cpuNs - b.cpuNs, a.voluntarySwitches - b.voluntarySwitches,
                          a.involuntarySwitches - b.involuntarySwitches});
        f.engineCpuNs += a.cpuNs - b.cpuNs;
        f.engineWakeups += a.voluntarySwitches - b.voluntarySwitches;
    }
    return f;
}

// What one wake-up costs on this machine without any engine work: a thread that only returns
// from poll() on its time-out. Nanoseconds of CPU per wake-up.
double BareWakeupCostNs() {
    constexpr int kWakeups = 100;
    constexpr int kPeriodMs = 20;
    double perWakeup = 0;
    std::thread probe([&perWakeup] {
        timespec before{}, after{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
        for (int i = 0; i < kWakeups; ++i) {
            poll(nullptr, 0, kPeriodMs);
        }
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
        const double ns = static_cast<double>(after.tv_sec - before.tv_sec) * 1e9 +
                          static_cast<double>(after.tv_nsec - before.tv_nsec);
        perWakeup = ns / kWakeups;
    });
    probe.join();
    return perWakeup;
}

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const int value = std::atoi(argv[i + 1]);
        if (std::strcmp(argv[i], "--requests") == 0) {
            o.requests = value;
        } else if (std::strcmp(argv[i], "--connects") == 0) {
            o.connects = value;
        } else if (std::strcmp(argv[i], "--idle-seconds") == 0) {
            o.idleSeconds = value;
        } else if (std::strcmp(argv[i], "--gap-us") == 0) {
            o.gapUs = value;
        }
    }
    o.requests = std::max(o.requests, 1);
    o.connects = std::max(o.connects, 1);
    o.idleSeconds = std::max(o.idleSeconds, 1);
    return o;
}

void PrintHandshake(const char* label, const HandshakeResult& h) {
    std::printf(
        "  %-12s median %8.1f ms   floor on the same ticks %8.1f ms (ratio %.4f, "
        "overhead median %.2f ms, max %.2f ms)\n",
        label, h.measuredMs.median, h.floorMs.median, h.measuredMs.median / h.floorMs.median,
        h.overheadMs.median, h.overheadMs.max);
    std::printf(
        "  %-12s nominal floor (500 ms + 4 x 2 ticks + line time) %8.1f ms (ratio %.4f); "
        "range %.1f .. %.1f ms\n",
        "", h.nominalFloorMs, h.measuredMs.median / h.nominalFloorMs, h.measuredMs.min,
        h.measuredMs.max);
}

}  // namespace

int main(int argc, char** argv) {
    const Options o = ParseOptions(argc, argv);
    const int64_t rssAtStartKib = bench::StatusKib("VmRSS");
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    std::string error;
    bench::FarEnd fast("dx5");
    bench::FarEnd slow("dx3");
    if (!fast.Open(&error) || !slow.Open(&error)) {
        std::fprintf(stderr, "far end: %s\n", error.c_str());
        return 1;
    }

    const double charNs = bench::CharTimeNs(115200);
    std::printf("Bare pseudo-terminal before connecting, %d writes each way (no engine):\n",
                o.requests);
    bench::Summary ptyToFar, ptyToHost;
    MeasureBarePty(fast, o, &ptyToFar, &ptyToHost);
    PrintLatency("host write -> far-end read", ptyToFar, charNs);
    PrintLatency("far-end write -> host read", ptyToHost, charNs);

    Rig rig;
    if (rig.engine.StartError() != QueueOpenError::kNone || !rig.engine.WorkerStarted()) {
        std::fprintf(stderr, "engine did not start\n");
        return 1;
    }
    rig.heartBeat.Attach(&rig.recorder);
    rig.heartBeat.Start();

    std::printf("\nHandshake, dx3 at 9600 baud, real 250 ms heartbeat, paced line:\n");
    const HandshakeResult slowHs = MeasureHandshakes(rig, slow, 9600, o.connects, false);
    std::printf("\nHandshake, dx5 at 115200 baud, real 250 ms heartbeat, paced line:\n");
    const HandshakeResult fastHs = MeasureHandshakes(rig, fast, 115200, o.connects, true);
    if (!slowHs.ok || !fastHs.ok) {
        return 1;
    }

    std::printf("\nConnected at 115200; %d requests after %d warm-up, %d us apart:\n", o.requests,
                o.warmUp, o.gapUs);
    const EngineThreads threads = FindEngineThreads(rig);
    Latency toWire, toEvent;
    bench::Summary toWireBare;
    if (!MeasureRequestToWire(rig, fast, o, threads, &toWire, &toWireBare) ||
        !MeasureReplyToEvent(rig, fast, o, threads, &toEvent)) {
        return 1;
    }
    PrintLatency("SetTracking -> last byte at far end", toWire.total, charNs);
    PrintLatency("  less the worker's run-queue wait", toWire.lessWaits, charNs);
    PrintLatency("  worker's processor time", toWire.engineCpu, charNs);
    PrintLatency("same frame, bare pty, same loop", toWireBare, charNs);
    PrintLatency("reply written -> OnVoltage", toEvent.total, charNs);
    PrintLatency("  less reader and worker run-queue wait", toEvent.lessWaits, charNs);
    PrintLatency("  reader and worker processor time", toEvent.engineCpu, charNs);

    std::printf("\nIdle and connected for %d s:\n", o.idleSeconds);
    const IdleFigures idle = MeasureIdle(rig, o.idleSeconds);
    for (const IdleFigures::Row& r : idle.rows) {
        std::printf("  %-7s tid %-7d cpu %8.3f ms  voluntary switches %5lld  involuntary %3lld\n",
                    r.role, static_cast<int>(r.tid), static_cast<double>(r.cpuNs) / 1e6,
                    static_cast<long long>(r.voluntary), static_cast<long long>(r.involuntary));
    }
    const double bareWakeupNs = BareWakeupCostNs();
    std::printf(
        "  for reference, a thread that only wakes from poll() costs %.1f us of CPU per "
        "wake-up here\n",
        bareWakeupNs / 1000);
    const int64_t hwmKib = bench::StatusKib("VmHWM");
    const int64_t rssKib = bench::StatusKib("VmRSS");

    {
        const int closed = rig.listener.Closed();
        rig.engine.Disconnect();
        rig.listener.WaitClosed(closed + 1, 15000);
    }
    rig.heartBeat.Stop();
    rig.heartBeat.Detach();
    rig.engine.Stop();

    const double perMinute = 60.0 / idle.seconds;
    std::printf("\nFigures (native, pseudo-terminal; one character at 115200 baud = %.1f us):\n",
                charNs / 1000);
    PrintFigure("1. request-to-wire:", toWire, charNs);
    PrintFigure("2. reply-to-event: ", toEvent, charNs);
    std::printf("3. handshake:\n");
    PrintHandshake("115200 baud", fastHs);
    PrintHandshake("9600 baud", slowHs);
    std::printf(
        "4. idle connected:   engine threads %.2f ms CPU per minute (%.4f %% of one core), "
        "%.1f wake-ups/s (%.1f us each; a bare wake-up %.1f us); whole process %.2f ms "
        "per minute\n",
        static_cast<double>(idle.engineCpuNs) / 1e6 * perMinute,
        static_cast<double>(idle.engineCpuNs) / (idle.seconds * 1e9) * 100,
        static_cast<double>(idle.engineWakeups) / idle.seconds,
        idle.engineWakeups > 0
            ? static_cast<double>(idle.engineCpuNs) / static_cast<double>(idle.engineWakeups) / 1000
            : 0.0,
        bareWakeupNs / 1000, static_cast<double>(idle.processCpuNs) / 1e6 * perMinute);
    std::printf(
        "6. memory while connected: VmHWM %lld KiB, VmRSS %lld KiB (VmRSS at start %lld "
        "KiB)\n",
        static_cast<long long>(hwmKib), static_cast<long long>(rssKib),
        static_cast<long long>(rssAtStartKib));
    return 0;
}
