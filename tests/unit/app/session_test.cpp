#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/session.h"
#include "core/free_if_threads_ended.h"
#include "core/port_catalogue.h"
#include "core/status_codes.h"
#include "support/recording_listener.h"

using namespace axistune;

namespace {

// Programs start and stop the session once each, but a front end that fails late or a test
// harness does it many times: every start must leave nothing running behind its stop.
TEST(Session, StartsAndStopsRepeatedlyWithEveryThreadEnded) {
    RecordingListener listener;
    PortCatalogue ports;
    for (int round = 0; round < 20; ++round) {
        Session session(listener, &ports);
        ASSERT_EQ(session.Start(), nullptr);
        session.Engine().Connect(9, 115200);  // no name assigned: the open fails at once
        EXPECT_TRUE(session.Stop());
        EXPECT_TRUE(session.Stop());  // a second stop finds nothing left to stop
    }
}

// Only a running session has a ticker to re-phase; one started after a stop would never be
// joined.
TEST(Session, RephasesTheHeartBeatOnlyWhileRunning) {
    RecordingListener listener;
    Session session(listener);
    EXPECT_FALSE(session.RephaseHeartBeat(1));
    ASSERT_EQ(session.Start(), nullptr);
    EXPECT_TRUE(session.RephaseHeartBeat(1));
    EXPECT_TRUE(session.RephaseHeartBeat(HeartBeat::kPeriodMs));
    EXPECT_TRUE(session.Stop());
    EXPECT_FALSE(session.RephaseHeartBeat(1));
}

TEST(Session, ReportsWhyAPortDidNotOpen) {
    RecordingListener listener;
    PortCatalogue ports;
    ports.Assign(4, "/nonexistent/axistune-port");
    Session session(listener, &ports);
    ASSERT_EQ(session.Start(), nullptr);
    session.Engine().Connect(4, 115200);
    ASSERT_TRUE(listener.WaitForStatus(kStatusCannotOpenPort, 5000));
    const PortOpenReport report = session.Engine().LastOpenFailure();
    EXPECT_EQ(report.device, "/nonexistent/axistune-port");
    EXPECT_EQ(report.result.failure, OpenFailure::kNotFound);
}

// Stands in for the main window: notes when it is freed.
class NotingWindow : public TelescopeControlDlgCallback, public EventPoster {
  public:
    explicit NotingWindow(bool& freed) : freed_(freed) {}
    ~NotingWindow() override { freed_ = true; }
    void OnStatus(int32_t) override {}
    void OnStatusValue(int32_t, uint32_t) override {}
    void OnSettings(const ControllerSettings&, int32_t) override {}
    void OnVoltage(uint32_t) override {}
    void PostEvent(uintptr_t, intptr_t) override {}

  private:
    bool& freed_;
};

TEST(Session, FreesTheWindowOnlyOnceItsThreadsHaveEnded) {
    bool freed = false;
    Session session;
    ASSERT_EQ(session.Start(), nullptr);
    session.ConnectWindow(std::make_unique<NotingWindow>(freed));
    EXPECT_FALSE(freed);
    ASSERT_TRUE(session.Stop());
    EXPECT_TRUE(freed);
}

TEST(FreeIfThreadsEnded, FreesInOrderOrLeavesEverythingAllocated) {
    std::vector<int> freedOrder;
    struct Noted {
        std::vector<int>& order;
        int id;
        ~Noted() { order.push_back(id); }
    };
    std::unique_ptr<Noted> first(new Noted{freedOrder, 1});
    std::unique_ptr<Noted> second(new Noted{freedOrder, 2});
    Noted* kept = second.get();
    FreeIfThreadsEnded(false, second);
    EXPECT_EQ(second, nullptr);
    EXPECT_TRUE(freedOrder.empty());
    second.reset(kept);  // this test's own clean-up of what was left allocated
    FreeIfThreadsEnded(true, second, first);
    EXPECT_EQ(freedOrder, (std::vector<int>{2, 1}));
}

TEST(PortCatalogue, AssignedNamesWinOverThePlatformsNumbering) {
    PortCatalogue ports;
#ifdef _WIN32
    EXPECT_EQ(ports.Name(3), "COM3");
    EXPECT_EQ(ports.Name(0), "COM0");
#else
    EXPECT_EQ(ports.Name(3), "");
#endif
    ports.Assign(3, "tcp://127.0.0.1:4000");
    EXPECT_EQ(ports.Name(3), "tcp://127.0.0.1:4000");
    ports.Clear();
    EXPECT_EQ(ports.Name(3), PortCatalogue::DefaultName(3));
}

}  // namespace
