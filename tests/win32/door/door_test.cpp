// The engine queue's door under Wine, which accepts the flags that keep other processes out
// without enforcing them: the queue checks the process id at each end of its pipe, and the
// engine reports a name that another program holds instead of running without a queue.
//
// A foreign client cannot be made to connect to the engine's own pipe at a chosen moment (it
// would have to slip in between the engine creating its read end and opening its write end),
// so the peer check is tested through PipeClientIsThisProcess / PipeServerIsThisProcess, the
// functions that ByteQueue::Open uses, on pipes whose other end really is another process.
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <string>
#include <thread>

#include "door_child.h"
#include "engine/telescope_control.h"
#include "platform/byte_queue.h"
#include "platform/win32/pipe_peers.h"
#include "support/recording_listener.h"

using namespace axistune;

namespace {

std::string TestPipeName(const char* what) {
    static unsigned serial = 0;
    return "\\\\.\\pipe\\axistune_door_" + std::string(what) + "_" +
           std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++serial);
}

// An inbound single-instance pipe of this process, as the engine creates its read end.
HANDLE CreateServerEnd(const std::string& name) {
    return CreateNamedPipeA(name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED,
                            PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 512, 512, 0,
                            nullptr);
}

HANDLE OpenClientEnd(const std::string& name) {
    return CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Handle {
  public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE && h_ != nullptr) {
            CloseHandle(h_);
        }
    }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

  private:
    HANDLE h_;
};

TEST(PipePeers, BothEndsOfAPipeThisProcessHoldsAreItsOwn) {
    const std::string name = TestPipeName("own");
    Handle server(CreateServerEnd(name));
    ASSERT_TRUE(server.valid());
    Handle client(OpenClientEnd(name));
    ASSERT_TRUE(client.valid());
    EXPECT_TRUE(PipeClientIsThisProcess(server.get()));
    EXPECT_TRUE(PipeServerIsThisProcess(client.get()));
}

TEST(PipePeers, AClientInAnotherProcessIsRefused) {
    const std::string name = TestPipeName("client");
    Handle server(CreateServerEnd(name));
    ASSERT_TRUE(server.valid());
    DoorChild intruder;
    ASSERT_TRUE(intruder.Start(DoorRole::kConnect, name));
    // The system does tell who connected: the check sees the other process, not this one.
    ULONG clientPid = 0;
    ASSERT_TRUE(GetNamedPipeClientProcessId(server.get(), &clientPid));
    EXPECT_EQ(clientPid, intruder.ProcessId());
    EXPECT_FALSE(PipeClientIsThisProcess(server.get()));
}

TEST(PipePeers, AServerInAnotherProcessIsRefused) {
    const std::string name = TestPipeName("server");
    DoorChild owner;
    ASSERT_TRUE(owner.Start(DoorRole::kServeLikeTheEngine, name));
    Handle client(OpenClientEnd(name));
    ASSERT_TRUE(client.valid());
    ULONG serverPid = 0;
    ASSERT_TRUE(GetNamedPipeServerProcessId(client.get(), &serverPid));
    EXPECT_EQ(serverPid, owner.ProcessId());
    EXPECT_FALSE(PipeServerIsThisProcess(client.get()));
}

TEST(PipePeers, AServerEndWithoutAClientHasNoClientOfThisProcess) {
    const std::string name = TestPipeName("alone");
    Handle server(CreateServerEnd(name));
    ASSERT_TRUE(server.valid());
    EXPECT_FALSE(PipeClientIsThisProcess(server.get()));
}

// The engine cannot open its queue while another program holds the name: it says so with a
// text the program shows the user, runs no worker and takes no request.
class TakenQueueName : public testing::TestWithParam<DoorRole> {};

TEST_P(TakenQueueName, TheEngineReportsItAndTakesNoRequest) {
    DoorChild other;
    ASSERT_TRUE(other.Start(GetParam(), EngineQueueName(GetCurrentProcessId())));

    RecordingListener listener;
    TelescopeControl engine(&listener);
    EXPECT_EQ(engine.StartError(), QueueOpenError::kNameTaken);
    EXPECT_FALSE(engine.WorkerStarted());
    const std::string text = DescribeQueueOpenError(engine.StartError());
    std::printf("[ reliability ] door: queue name held by another program: \"%s\"\n", text.c_str());
    EXPECT_NE(text.find("Another program"), std::string::npos);
    EXPECT_NE(text.find("queue"), std::string::npos);

    // Requests go nowhere: no status comes back, and nothing blocks.
    engine.Connect(1, 115200);
    engine.StoreSettings();
    engine.Beat();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(listener.Events().empty());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(engine.Stop());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));

    // Once the other program lets go, the next start gets its queue.
    other.Release();
    RecordingListener later;
    TelescopeControl next(&later);
    EXPECT_EQ(next.StartError(), QueueOpenError::kNone);
    next.Disconnect();
    EXPECT_TRUE(later.WaitForStatus(12, 3000));  // "Error: Not connected yet"
    EXPECT_TRUE(next.Stop());
}

INSTANTIATE_TEST_SUITE_P(Holders, TakenQueueName,
                         testing::Values(DoorRole::kServeLikeTheEngine,
                                         DoorRole::kServeManyInstances));

TEST(QueueDoor, NoOtherProcessCanConnectToARunningEnginesQueue) {
    RecordingListener listener;
    TelescopeControl engine(&listener);
    ASSERT_EQ(engine.StartError(), QueueOpenError::kNone);
    DoorChild intruder;
    EXPECT_FALSE(intruder.Start(DoorRole::kConnect, EngineQueueName(GetCurrentProcessId())));
    // The engine still works for its own window.
    engine.Disconnect();
    EXPECT_TRUE(listener.WaitForStatus(12, 3000));
    EXPECT_TRUE(engine.Stop());
}

}  // namespace
