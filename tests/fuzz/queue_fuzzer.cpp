// The engine queue's reassembler and dispatcher with arbitrary queue bytes, read in chunks of
// up to 20 bytes, and fakes for the port, the reply side and request execution whose answers
// the input also chooses. Invariants: the messages dispatched are exactly the stream's
// messages (checked against a plain reading of the format), every handler sees a valid header
// and length, and the connection flags and status codes follow the dispatcher's table.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/status_codes.h"
#include "engine/dispatcher.h"
#include "engine/reassembler.h"
#include "engine/request_codes.h"
#include "fuzz_input.h"
#include "link/protocol_outcome.h"

using namespace axistune;

namespace {

using Bytes = std::vector<uint8_t>;

// The fakes' answers come from a small generator seeded by the input, so that the queue bytes
// stay free for the stream itself.
class Choices {
  public:
    explicit Choices(uint32_t seed) : state_(seed | 1) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

  private:
    uint32_t state_;
};

struct Calls {
    int open = 0;
    int close = 0;
    int pause = 0;
    int startHandshake = 0;
    int ticks = 0;
    int serial = 0;
    int execute = 0;
    uint8_t openPort = 0;
    uint32_t openBaud = 0;
    Bytes serialBytes;
    Bytes executed;
    std::vector<int32_t> statuses;
    int lastOutcome = kOutcomeNothing;
};

class FakeLink : public ConnectionLink {
  public:
    FakeLink(Choices& choices, Calls& calls) : choices_(choices), calls_(calls) {}
    bool Open(uint8_t port, uint32_t baudRate) override {
        FUZZ_CHECK(!open_);
        ++calls_.open;
        calls_.openPort = port;
        calls_.openBaud = baudRate;
        open_ = choices_.Next() % 4 != 0;
        lost_ = false;
        return open_;
    }
    void Close() override {
        FUZZ_CHECK(open_);
        ++calls_.close;
        open_ = false;
    }
    void PauseBeforeHandshake() override {
        FUZZ_CHECK(open_);
        ++calls_.pause;
    }
    bool PortLost() const override { return lost_; }

    // Called between messages: the adapter may go at any time while the port is open.
    void MaybeLose() {
        if (open_ && choices_.Next() % 16 == 0) {
            lost_ = true;
        }
    }
    bool IsOpen() const { return open_; }

  private:
    Choices& choices_;
    Calls& calls_;
    bool open_ = false;
    bool lost_ = false;
};

class FakeReplies : public ReplySide {
  public:
    FakeReplies(Choices& choices, Calls& calls, const FakeLink& link)
        : choices_(choices), calls_(calls), link_(link) {}
    int StartHandshake() override {
        FUZZ_CHECK(link_.IsOpen());
        ++calls_.startHandshake;
        return Outcome();
    }
    int OnSerialBytes(const uint8_t* bytes, uint32_t count) override {
        FUZZ_CHECK(link_.IsOpen());
        FUZZ_CHECK(count >= 1 && count <= kMaxQueuePayload);
        ++calls_.serial;
        calls_.serialBytes.assign(bytes, bytes + count);
        return Outcome();
    }
    int OnTick() override {
        FUZZ_CHECK(link_.IsOpen());
        ++calls_.ticks;
        return Outcome();
    }

  private:
    // Mostly nothing; sometimes done, close, or a value the dispatcher must ignore.
    int Outcome() {
        static const int kOutcomes[] = {0, 0, 0, 0, 1, 2, 3, -1};
        calls_.lastOutcome = kOutcomes[choices_.Next() % 8];
        return calls_.lastOutcome;
    }
    Choices& choices_;
    Calls& calls_;
    const FakeLink& link_;
};

class FakeExecutor : public RequestExecutor {
  public:
    explicit FakeExecutor(Calls& calls) : calls_(calls) {}
    void Execute(const uint8_t* message) override {
        const uint8_t n = message[0] & kMaxQueuePayload;
        FUZZ_CHECK((message[0] & 0xE0) == 0x80);  // a request header
        FUZZ_CHECK(n >= 1);
        ++calls_.execute;
        calls_.executed.assign(message, message + 1 + n);
    }

  private:
    Calls& calls_;
};

class StatusRecorder : public TelescopeListener {
  public:
    explicit StatusRecorder(Calls& calls) : calls_(calls) {}
    void OnStatus(int32_t code) override { calls_.statuses.push_back(code); }
    void OnStatusValue(int32_t, uint32_t) override { FUZZ_CHECK(false); }
    void OnSettings(const ControllerSettings*, int32_t) override { FUZZ_CHECK(false); }
    void OnVoltage(uint32_t) override { FUZZ_CHECK(false); }

  private:
    Calls& calls_;
};

// Sits between the reassembler and the dispatcher: compares each message with the plain
// reading of the stream, then checks what the dispatcher did with it.
class CheckedDispatch : public QueueMessageHandler {
  public:
    CheckedDispatch(Dispatcher& dispatcher, FakeLink& link, Calls& calls,
                    const std::vector<Bytes>& expected)
        : dispatcher_(dispatcher), link_(link), calls_(calls), expected_(expected) {}

    void OnQueueMessage(const uint8_t* message) override {
        const uint8_t header = message[0];
        const uint8_t n = header & kMaxQueuePayload;
        FUZZ_CHECK(header & kQueueHeaderBit);
        FUZZ_CHECK(next_ < expected_.size());
        const Bytes& want = expected_[next_++];
        FUZZ_CHECK(want.size() == 1 + std::max<size_t>(n, 1));
        FUZZ_CHECK(std::memcmp(message, want.data(), want.size()) == 0);

        const bool wasOpen = dispatcher_.PortOpen();
        const bool wasDone = dispatcher_.HandshakeDone();
        calls_ = Calls{};
        dispatcher_.OnQueueMessage(message);
        Check(message, wasOpen, wasDone);
        FUZZ_CHECK(!dispatcher_.HandshakeDone() || dispatcher_.PortOpen());
        FUZZ_CHECK(dispatcher_.PortOpen() == link_.IsOpen());
        link_.MaybeLose();
    }

    size_t Dispatched() const { return next_; }

  private:
    // What the outcome of a reply-side call does to flags that were (open, done) before it.
    void ExpectAfterOutcome(bool open, bool done, bool lostChecked) {
        bool expectOpen = open;
        bool expectDone = done;
        if (calls_.lastOutcome == kOutcomeHandshakeDone) {
            expectDone = true;
        } else if (calls_.lastOutcome == kOutcomeCloseLink) {
            expectOpen = expectDone = false;
        }
        if (lostChecked && expectOpen && link_.PortLost()) {
            // Closed by the port-lost check, with "Connection closed".
            FUZZ_CHECK(!calls_.statuses.empty() &&
                       calls_.statuses.back() == kStatusConnectionClosed);
            expectOpen = expectDone = false;
        }
        FUZZ_CHECK(dispatcher_.PortOpen() == expectOpen);
        FUZZ_CHECK(dispatcher_.HandshakeDone() == expectDone);
    }

    void Check(const uint8_t* message, bool wasOpen, bool wasDone) {
        const uint8_t n = message[0] & kMaxQueuePayload;
        const uint8_t kind = (message[0] >> 5) & 3;
        const uint8_t* p = message + 1;
        const int outsideCalls = calls_.ticks + calls_.serial + calls_.execute;
        // A port lost before this message closes it after the message, whatever it was.
        const bool lostBefore = wasOpen && link_.PortLost();
        (void)lostBefore;
        if (kind == kKindRequest && n == 6 && p[0] == kReqConnect) {
            FUZZ_CHECK(outsideCalls == 0);
            if (wasOpen) {
                FUZZ_CHECK(calls_.open == 0);
                FUZZ_CHECK(calls_.statuses.front() == kStatusAlreadyConnected);
                return;
            }
            FUZZ_CHECK(calls_.open == 1);
            FUZZ_CHECK(calls_.openPort == p[1]);
            FUZZ_CHECK(calls_.openBaud == (uint32_t{p[2]} | uint32_t{p[3]} << 8 |
                                           uint32_t{p[4]} << 16 | uint32_t{p[5]} << 24));
            FUZZ_CHECK(calls_.statuses.size() >= 2);
            FUZZ_CHECK(calls_.statuses[0] == kStatusOpeningPort);
            if (calls_.statuses[1] == kStatusCannotOpenPort) {
                FUZZ_CHECK(calls_.statuses.size() == 2);
                FUZZ_CHECK(calls_.startHandshake == 0 && !dispatcher_.PortOpen());
                return;
            }
            FUZZ_CHECK(calls_.statuses[1] == kStatusConnecting);
            FUZZ_CHECK(calls_.pause == 1 && calls_.startHandshake == 1);
            ExpectAfterOutcome(true, false, true);
            return;
        }
        FUZZ_CHECK(calls_.open == 0 && calls_.startHandshake == 0);
        if (kind == kKindRequest && n >= 1 && p[0] == kReqDisconnect) {
            FUZZ_CHECK(outsideCalls == 0);
            FUZZ_CHECK(calls_.statuses.size() == 1);
            FUZZ_CHECK(calls_.statuses[0] ==
                       (wasOpen ? kStatusConnectionClosed : kStatusNotConnectedYet));
            FUZZ_CHECK(calls_.close == (wasOpen ? 1 : 0));
            FUZZ_CHECK(!dispatcher_.PortOpen() && !dispatcher_.HandshakeDone());
            return;
        }
        if (kind == kKindRequest) {
            FUZZ_CHECK(calls_.ticks == 0 && calls_.serial == 0);
            if (n == 0) {
                FUZZ_CHECK(calls_.execute == 0);
            } else if (wasDone) {
                FUZZ_CHECK(calls_.execute == 1);
                FUZZ_CHECK(calls_.executed.size() == 1u + n);
                FUZZ_CHECK(std::memcmp(calls_.executed.data(), message, 1u + n) == 0);
            } else {
                FUZZ_CHECK(calls_.execute == 0);
                FUZZ_CHECK(!calls_.statuses.empty() &&
                           calls_.statuses[0] == kStatusNotConnectedYet);
            }
            calls_.lastOutcome = kOutcomeNothing;
            ExpectAfterOutcome(wasOpen, wasDone, true);
            return;
        }
        FUZZ_CHECK(calls_.execute == 0);
        if (kind == kKindTick) {
            FUZZ_CHECK(calls_.serial == 0);
            FUZZ_CHECK(calls_.ticks == (wasOpen ? 1 : 0));
        } else if (kind == kKindSerialBytes) {
            FUZZ_CHECK(calls_.ticks == 0);
            FUZZ_CHECK(calls_.serial == (wasOpen && n > 0 ? 1 : 0));
            if (calls_.serial == 1) {
                FUZZ_CHECK(calls_.serialBytes.size() == n);
                FUZZ_CHECK(std::memcmp(calls_.serialBytes.data(), p, n) == 0);
            }
        } else {
            FUZZ_CHECK(calls_.ticks == 0 && calls_.serial == 0);
        }
        if (calls_.ticks + calls_.serial == 0) {
            calls_.lastOutcome = kOutcomeNothing;
        }
        ExpectAfterOutcome(wasOpen, wasDone, true);
        // Nothing but the port-lost check reports anything here.
        FUZZ_CHECK(calls_.statuses.empty() ||
                   (calls_.statuses.size() == 1 && calls_.statuses[0] == kStatusConnectionClosed));
    }

    Dispatcher& dispatcher_;
    FakeLink& link_;
    Calls& calls_;
    const std::vector<Bytes>& expected_;
    size_t next_ = 0;
};

// The queue format read plainly: a byte with bit 7 starts a message of 1 + max(n, 1) bytes;
// other bytes between messages are dropped. A message cut off by the end is not complete.
std::vector<Bytes> PlainMessages(const uint8_t* bytes, size_t size) {
    std::vector<Bytes> messages;
    size_t i = 0;
    while (i < size) {
        if ((bytes[i] & 0x80) == 0) {
            ++i;
            continue;
        }
        const size_t length = 1 + std::max<size_t>(bytes[i] & 0x1F, 1);
        if (i + length > size) {
            break;
        }
        messages.emplace_back(bytes + i, bytes + i + length);
        i += length;
    }
    return messages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    Choices choices(in.U32());
    const size_t streamSize = in.Left();
    std::vector<uint8_t> stream(streamSize);
    in.Take(stream.data(), streamSize);
    const std::vector<Bytes> expected = PlainMessages(stream.data(), stream.size());

    Calls calls;
    FakeLink link(choices, calls);
    FakeReplies replies(choices, calls, link);
    FakeExecutor executor(calls);
    StatusRecorder listener(calls);
    Dispatcher dispatcher(link, replies, executor, listener);
    CheckedDispatch checked(dispatcher, link, calls, expected);
    Reassembler reassembler(checked);

    // The worker reads at most 20 bytes at a time; how the stream is cut must not matter.
    size_t at = 0;
    while (at < stream.size()) {
        const size_t chunk = std::min<size_t>(1 + choices.Next() % 20, stream.size() - at);
        reassembler.Feed(stream.data() + at, chunk);
        at += chunk;
    }
    FUZZ_CHECK(checked.Dispatched() == expected.size());
    return 0;
}
