#include <gtest/gtest.h>

#include "app/heart_beat.h"
#include "engine/telescope_control.h"
#include "support/recording_listener.h"

using namespace axistune;

namespace {

// Start-up and shutdown must never race, leak or hang, however often they run.
TEST(Lifecycle, EngineAndTickerStartAndStopAHundredTimes) {
    for (int i = 0; i < 100; ++i) {
        RecordingListener listener;
        HeartBeat heartBeat;
        TelescopeControl engine(&listener);
        ASSERT_EQ(engine.StartError(), QueueOpenError::kNone);
        heartBeat.Attach(&engine);
        ASSERT_TRUE(heartBeat.Start());
        engine.Disconnect();
        heartBeat.Detach();
        ASSERT_TRUE(heartBeat.Stop());
        ASSERT_TRUE(engine.Stop());
    }
}

}  // namespace
