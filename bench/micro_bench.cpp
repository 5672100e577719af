// Throughput of the receiving half in memory: the reply parser, the protocol's decoding, and the
// engine queue's reassembler. Each figure is also given as a multiple of what a 115200-baud line
// can deliver (11520 bytes per second).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "engine/reassembler.h"
#include "engine/request_codes.h"
#include "engine/serial_link.h"
#include "link/controller_commands.h"
#include "link/controller_protocol.h"
#include "link/reply_parser.h"
#include "sim/controller_model.h"
#include "sim/profile.h"

using namespace axistune;

namespace {

constexpr double kLineBytesPerSecond = 11520.0;  // 115200 baud, ten bits a character
constexpr size_t kStreamBytes = 4096;
constexpr uint32_t kQueueChunk = 31;  // the serial reader forwards at most this much at once
constexpr size_t kWorkerRead = 20;    // the worker reads the queue this much at a time

class NullListener : public TelescopeListener {
  public:
    void OnStatus(int32_t) override {}
    void OnStatusValue(int32_t, uint32_t) override {}
    void OnSettings(const ControllerSettings* s, int32_t) override { benchmark::DoNotOptimize(s); }
    void OnVoltage(uint32_t v) override { benchmark::DoNotOptimize(v); }
};

class NullSink : public FrameSink {
  public:
    void WriteFrame(const uint8_t* bytes, size_t) override { benchmark::DoNotOptimize(bytes); }
};

// Hands each frame to the simulated controller and keeps its answer.
class ModelSink : public FrameSink {
  public:
    ModelSink() : model_(*dxsim::FindProfile("dx5")) {}
    void WriteFrame(const uint8_t* bytes, size_t count) override {
        model_.Receive(bytes, count, 0);
        std::vector<uint8_t> reply;
        model_.TakeDue(1, &reply);
        if (!reply.empty()) {
            replies.push_back(std::move(reply));
        }
    }
    std::vector<std::vector<uint8_t>> replies;

  private:
    dxsim::ControllerModel model_;
};

// The replies of a complete handshake with the dx5 profile, in order, as the controller model
// gives them to the real protocol; empty if the handshake did not complete.
const std::vector<std::vector<uint8_t>>& HandshakeReplies() {
    static const std::vector<std::vector<uint8_t>> replies = [] {
        NullListener listener;
        ModelSink sink;
        ControllerProtocol protocol(sink, listener);
        protocol.StartHandshake();
        size_t fed = 0;
        for (int step = 0; step < 100; ++step) {
            if (fed < sink.replies.size()) {
                const std::vector<uint8_t>& r = sink.replies[fed++];
                if (protocol.OnSerialBytes(r.data(), static_cast<uint32_t>(r.size())) ==
                    kOutcomeHandshakeDone) {
                    return sink.replies;
                }
            } else {
                protocol.OnTick();
            }
        }
        return std::vector<std::vector<uint8_t>>();
    }();
    return replies;
}

std::vector<uint8_t> VoltageReply() {
    ModelSink sink;
    SendReadVoltage(sink);
    return sink.replies.empty() ? std::vector<uint8_t>() : sink.replies.front();
}

// The handshake's replies and voltage readings, repeated to about four kilobytes.
std::vector<uint8_t> ReplyStream() {
    std::vector<uint8_t> stream;
    const std::vector<uint8_t> voltage = VoltageReply();
    while (stream.size() < kStreamBytes && !HandshakeReplies().empty()) {
        for (const std::vector<uint8_t>& r : HandshakeReplies()) {
            stream.insert(stream.end(), r.begin(), r.end());
            stream.insert(stream.end(), voltage.begin(), voltage.end());
        }
    }
    return stream;
}

void SetThroughput(benchmark::State& state, size_t bytesPerIteration) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(bytesPerIteration));
}

void BM_ReplyParser(benchmark::State& state) {
    const std::vector<uint8_t> stream = ReplyStream();
    if (stream.empty()) {
        state.SkipWithError("the handshake against the controller model did not complete");
        return;
    }
    ReplyParser parser;
    size_t replies = 0;
    for (auto _ : state) {
        for (uint8_t b : stream) {
            replies += parser.Feed(b) ? 1 : 0;
        }
        benchmark::DoNotOptimize(replies);
    }
    SetThroughput(state, stream.size());
}
BENCHMARK(BM_ReplyParser);

// A whole handshake decoded by the protocol: replies in reader-sized pieces, ticks where the
// protocol waits for them.
void BM_ProtocolHandshake(benchmark::State& state) {
    const std::vector<std::vector<uint8_t>>& replies = HandshakeReplies();
    if (replies.empty()) {
        state.SkipWithError("the handshake against the controller model did not complete");
        return;
    }
    size_t bytes = 0;
    for (const std::vector<uint8_t>& r : replies) {
        bytes += r.size();
    }
    NullListener listener;
    NullSink sink;
    ControllerProtocol protocol(sink, listener);
    int completed = 0;
    for (auto _ : state) {
        protocol.StartHandshake();
        for (const std::vector<uint8_t>& r : replies) {
            int outcome = kOutcomeNothing;
            for (size_t at = 0; at < r.size(); at += kQueueChunk) {
                const uint32_t piece =
                    static_cast<uint32_t>(std::min<size_t>(kQueueChunk, r.size() - at));
                outcome = protocol.OnSerialBytes(r.data() + at, piece);
            }
            completed += outcome == kOutcomeHandshakeDone ? 1 : 0;
            while (protocol.ProtocolState() == ST_DELAY) {
                protocol.OnTick();
            }
        }
    }
    if (completed != static_cast<int>(state.iterations())) {
        state.SkipWithError("a decoded handshake did not complete");
    }
    SetThroughput(state, bytes);
}
BENCHMARK(BM_ProtocolHandshake);

void BM_ProtocolVoltage(benchmark::State& state) {
    const std::vector<uint8_t> reply = VoltageReply();
    if (reply.empty()) {
        state.SkipWithError("the controller model gave no voltage reply");
        return;
    }
    NullListener listener;
    NullSink sink;
    ControllerProtocol protocol(sink, listener);
    for (auto _ : state) {
        protocol.SetProtocolState(ST_WAIT_VOLTAGE);
        protocol.OnSerialBytes(reply.data(), static_cast<uint32_t>(reply.size()));
    }
    SetThroughput(state, reply.size());
}
BENCHMARK(BM_ProtocolVoltage);

class CountingHandler : public QueueMessageHandler {
  public:
    void OnQueueMessage(const uint8_t* message) override { count += message[0]; }
    size_t count = 0;
};

class CollectingWriter : public QueueWriter {
  public:
    void WriteMessage(const uint8_t* bytes, size_t count) override {
        stream.insert(stream.end(), bytes, bytes + count);
    }
    std::vector<uint8_t> stream;
};

// The queue as the worker reads it: the reply stream cut into serial-bytes messages by the
// reader's own routine, with a tick message after every reply, read 20 bytes at a time.
void BM_Reassembler(benchmark::State& state) {
    CollectingWriter queue;
    const std::vector<uint8_t> voltage = VoltageReply();
    const uint8_t tick[] = {QueueHeader(kKindTick, 0), 0};
    while (queue.stream.size() < kStreamBytes && !HandshakeReplies().empty()) {
        for (const std::vector<uint8_t>& r : HandshakeReplies()) {
            ForwardSerialBytes(queue, r.data(), r.size());
            queue.WriteMessage(tick, sizeof tick);
            ForwardSerialBytes(queue, voltage.data(), voltage.size());
        }
    }
    const std::vector<uint8_t>& stream = queue.stream;
    if (stream.empty()) {
        state.SkipWithError("the handshake against the controller model did not complete");
        return;
    }
    CountingHandler handler;
    Reassembler reassembler(handler);
    for (auto _ : state) {
        for (size_t at = 0; at < stream.size(); at += kWorkerRead) {
            reassembler.Feed(stream.data() + at, std::min(kWorkerRead, stream.size() - at));
        }
        benchmark::DoNotOptimize(handler.count);
    }
    SetThroughput(state, stream.size());
}
BENCHMARK(BM_Reassembler);

// Prints the usual table, then each throughput as a multiple of the line rate.
class LineRateReporter : public benchmark::ConsoleReporter {
  public:
    LineRateReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto found = run.counters.find("bytes_per_second");
            if (run.error_occurred || run.run_type != Run::RT_Iteration ||
                found == run.counters.end()) {
                continue;
            }
            rates_.emplace_back(run.benchmark_name(), found->second.value);
        }
    }
    void PrintSummary() const {
        std::printf("\nThroughput against the 115200-baud line (%.0f bytes/s):\n",
                    kLineBytesPerSecond);
        for (const auto& [name, rate] : rates_) {
            std::printf("  %-24s %10.1f MB/s = %10.0f x line rate\n", name.c_str(), rate / 1e6,
                        rate / kLineBytesPerSecond);
        }
    }

  private:
    std::vector<std::pair<std::string, double>> rates_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    LineRateReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintSummary();
    benchmark::Shutdown();
    return 0;
}
