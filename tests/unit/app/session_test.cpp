#include <gtest/gtest.h>

#include "app/session.h"
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
