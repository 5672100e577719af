#include <gtest/gtest.h>

#include "main_window_fixture.h"

using namespace axistune;

namespace {

class AxisPanelTest : public MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        Connect();
    }
};

TEST_F(AxisPanelTest, RangesFollowTheParameters) {
    const struct {
        int raId;
        int minimum, maximum;
    } cases[] = {
        {IDC_RA_MAX_SPEED_BAR, 0, 39},   {IDC_RA_ACCEL_BAR, 0, 15},
        {IDC_RA_DECEL_BAR, 0, 15},       {IDC_RA_IDLE_CURRENT_BAR, 0, 15},
        {IDC_RA_RUN_CURRENT_BAR, 0, 15}, {IDC_RA_TRACK_DECAY_BAR, 0, 3},
        {IDC_RA_OVERTONE_BAR, -20, 20},  {IDC_RA_INC_CURRENT_BAR, 0, 31},
        {IDC_RA_GUIDING_BAR, 0, 15},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(window.Range(c.raId), std::make_pair(c.minimum, c.maximum)) << c.raId;
        EXPECT_EQ(window.Range(c.raId + 100), std::make_pair(c.minimum, c.maximum)) << c.raId;
    }
}

TEST_F(AxisPanelTest, FillShowsEveryValueOnBothScales) {
    const struct {
        int edit;
        const wchar_t* text;
        int bar;
        int position;
    } cases[] = {
        {IDC_RA_MAX_SPEED, L"600", IDC_RA_MAX_SPEED_BAR, 20},
        {IDC_DEC_MAX_SPEED, L"900", IDC_DEC_MAX_SPEED_BAR, 30},
        {IDC_RA_ACCEL, L"100", IDC_RA_ACCEL_BAR, 6},
        {IDC_RA_DECEL, L"50", IDC_RA_DECEL_BAR, 3},
        {IDC_DEC_ACCEL, L"120", IDC_DEC_ACCEL_BAR, 8},
        {IDC_DEC_DECEL, L"60", IDC_DEC_DECEL_BAR, 4},
        {IDC_RA_IDLE_CURRENT, L"400", IDC_RA_IDLE_CURRENT_BAR, 4},
        {IDC_RA_TRACK_CURRENT, L"800", IDC_RA_TRACK_CURRENT_BAR, 8},
        {IDC_RA_RUN_CURRENT, L"1200", IDC_RA_RUN_CURRENT_BAR, 12},
        {IDC_DEC_IDLE_CURRENT, L"500", IDC_DEC_IDLE_CURRENT_BAR, 4},
        {IDC_DEC_RUN_CURRENT, L"1500", IDC_DEC_RUN_CURRENT_BAR, 12},
        {IDC_RA_OVERTONE, L"-3", IDC_RA_OVERTONE_BAR, -3},
        {IDC_DEC_OVERTONE, L"7", IDC_DEC_OVERTONE_BAR, 7},
        {IDC_RA_INC_CURRENT, L"20", IDC_RA_INC_CURRENT_BAR, 0},
        {IDC_DEC_INC_CURRENT, L"110", IDC_DEC_INC_CURRENT_BAR, 5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(window.Text(c.edit), c.text) << c.edit;
        EXPECT_EQ(window.Position(c.bar), c.position) << c.bar;
    }
    EXPECT_EQ(window.Text(IDC_RA_MAX_CURRENT), L"1600");
    EXPECT_EQ(window.Text(IDC_DEC_MAX_CURRENT), L"2000");
    EXPECT_EQ(window.Position(IDC_RA_GUIDING_BAR), 0);
    EXPECT_EQ(window.Position(IDC_DEC_GUIDING_BAR), 15);
    EXPECT_EQ(window.Position(IDC_RA_RUN_DECAY_BAR), 2);
    EXPECT_EQ(window.Position(IDC_DEC_IDLE_DECAY_BAR), 3);
    // reverseRotation 0x02 (Dec), reverseGuiding 0x01 (RA).
    EXPECT_FALSE(window.Checked(IDC_RA_REVERSE_ROTATION));
    EXPECT_TRUE(window.Checked(IDC_DEC_REVERSE_ROTATION));
    EXPECT_TRUE(window.Checked(IDC_RA_REVERSE_GUIDING));
    EXPECT_FALSE(window.Checked(IDC_DEC_REVERSE_GUIDING));
}

TEST_F(AxisPanelTest, MaxSpeedThumbStandsForOneStepMoreThanTheValue) {
    // 600 puts the thumb at 20, which stands for 630.
    ASSERT_TRUE(window.Release(IDC_RA_MAX_SPEED_BAR));
    EXPECT_EQ(window.Text(IDC_RA_MAX_SPEED), L"630");
    ASSERT_TRUE(window.Drag(IDC_RA_MAX_SPEED_BAR, 0));
    EXPECT_EQ(engine.calls, (Calls{"SetMaxSpeed(630,900)"}));  // dragging sends nothing
    ASSERT_TRUE(window.Release(IDC_RA_MAX_SPEED_BAR));
    EXPECT_EQ(window.Text(IDC_RA_MAX_SPEED), L"30");
    ASSERT_TRUE(window.Drag(IDC_DEC_MAX_SPEED_BAR, 39));
    ASSERT_TRUE(window.Release(IDC_DEC_MAX_SPEED_BAR));
    EXPECT_EQ(window.Text(IDC_DEC_MAX_SPEED), L"1200");
    // Released where it already stood: the value is unchanged and not sent again.
    ASSERT_TRUE(window.Release(IDC_DEC_MAX_SPEED_BAR));
    EXPECT_EQ(engine.calls,
              (Calls{"SetMaxSpeed(630,900)", "SetMaxSpeed(30,900)", "SetMaxSpeed(30,1200)"}));
}

TEST_F(AxisPanelTest, LargeSpeedsPutTheThumbAtTheEnd) {
    ControllerSettings settings = TypicalSettings();
    settings.raMaxSpeed = 1500;
    settings.decMaxSpeed = 0x10000 + 60;  // the window keeps the low 16 bits
    config.OnSettings(settings, 1);
    EXPECT_EQ(window.Text(IDC_RA_MAX_SPEED), L"1500");
    EXPECT_EQ(window.Position(IDC_RA_MAX_SPEED_BAR), 39);
    EXPECT_EQ(window.Text(IDC_DEC_MAX_SPEED), L"60");
    EXPECT_EQ(window.Position(IDC_DEC_MAX_SPEED_BAR), 2);
}

TEST_F(AxisPanelTest, OnlyTheEndOfATrackCounts) {
    for (int code : {0, 1, 2, 3, 4, 5, 6, 7}) {
        ASSERT_TRUE(window.Scroll(IDC_RA_IDLE_DECAY_BAR, code));
    }
    EXPECT_TRUE(engine.calls.empty());
    // The manual speed slider is not part of the panel.
    ASSERT_TRUE(window.Scroll(IDC_SPEED, kTbEndTrack));
    EXPECT_TRUE(engine.calls.empty());
    ASSERT_TRUE(window.Scroll(IDC_RA_IDLE_DECAY_BAR, kTbEndTrack));
    EXPECT_EQ(engine.calls, (Calls{"SetDecay(0x80,0)"}));
}

TEST_F(AxisPanelTest, RampsAreSentForBothAxesTogether) {
    // Acceleration 100 sits at 6, which stands for 96.
    ASSERT_TRUE(window.Release(IDC_RA_ACCEL_BAR));
    EXPECT_EQ(window.Text(IDC_RA_ACCEL), L"96");
    // Dec's 120 sits at 8 = 128: moving only Dec sends RA's unchanged value with it.
    ASSERT_TRUE(window.Drag(IDC_DEC_ACCEL_BAR, 2));
    ASSERT_TRUE(window.Release(IDC_DEC_ACCEL_BAR));
    ASSERT_TRUE(window.Release(IDC_DEC_ACCEL_BAR));  // nothing changed: nothing sent
    ASSERT_TRUE(window.Drag(IDC_RA_DECEL_BAR, 15));
    ASSERT_TRUE(window.Release(IDC_RA_DECEL_BAR));
    EXPECT_EQ(engine.calls, (Calls{"SetAcceleration(96,128)", "SetAcceleration(96,32)",
                                   "SetDeceleration(240,64)"}));
    EXPECT_EQ(window.Text(IDC_DEC_DECEL), L"64");
}

TEST_F(AxisPanelTest, CurrentThumbsScaleWithTheMaximumCurrent) {
    // Maximum 1600, idle 400: thumb at 4, which stands for 5/16 of 1600.
    ASSERT_TRUE(window.Release(IDC_RA_IDLE_CURRENT_BAR));
    EXPECT_EQ(window.Text(IDC_RA_IDLE_CURRENT), L"500");
    ASSERT_TRUE(window.Drag(IDC_DEC_RUN_CURRENT_BAR, 15));
    ASSERT_TRUE(window.Release(IDC_DEC_RUN_CURRENT_BAR));
    EXPECT_EQ(window.Text(IDC_DEC_RUN_CURRENT), L"2000");
    ASSERT_TRUE(window.Drag(IDC_RA_TRACK_CURRENT_BAR, 0));
    ASSERT_TRUE(window.Release(IDC_RA_TRACK_CURRENT_BAR));
    EXPECT_EQ(engine.calls,
              (Calls{"SetCurrent(0x80,500)", "SetCurrent(0x42,2000)", "SetCurrent(0x81,100)"}));
}

TEST_F(AxisPanelTest, WithoutAMaximumCurrentTheCurrentsAreLeftAlone) {
    ControllerSettings settings = TypicalSettings();
    settings.raMaxCurrent = 0;
    settings.raCurrent[0] = 999;
    config.OnSettings(settings, 2);
    EXPECT_EQ(window.Text(IDC_RA_MAX_CURRENT), L"0");
    EXPECT_EQ(window.Text(IDC_RA_IDLE_CURRENT), L"400");  // from the first fill
    EXPECT_EQ(window.Position(IDC_RA_IDLE_CURRENT_BAR), 4);

    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_IDLE_CURRENT, L"300"));
    EXPECT_EQ(window.Position(IDC_RA_IDLE_CURRENT_BAR), 4);
    // Stored value is still 400 from the first fill, so 400 typed back is no change.
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_TRACK_CURRENT, L"800"));
    ASSERT_TRUE(window.Release(IDC_RA_RUN_CURRENT_BAR));
    EXPECT_EQ(window.Text(IDC_RA_RUN_CURRENT), L"0");
    EXPECT_EQ(engine.calls, (Calls{"SetCurrent(0x80,300)", "SetCurrent(0x82,0)"}));
}

TEST_F(AxisPanelTest, TypedCurrentMovesTheThumbWhenThereIsAMaximum) {
    ASSERT_TRUE(window.TypeAndLeave(IDC_DEC_TRACK_CURRENT, L"1250"));
    EXPECT_EQ(window.Position(IDC_DEC_TRACK_CURRENT_BAR), 10);
    ASSERT_TRUE(window.TypeAndLeave(IDC_DEC_IDLE_CURRENT, L"70000"));  // kept in 16 bits
    EXPECT_EQ(window.Position(IDC_DEC_IDLE_CURRENT_BAR), 15);
    EXPECT_EQ(engine.calls, (Calls{"SetCurrent(0x41,1250)", "SetCurrent(0x40,4464)"}));
}

TEST_F(AxisPanelTest, EntriesCountWhenTheEditLosesTheFocus) {
    ASSERT_TRUE(window.Type(IDC_RA_ACCEL, L"300"));
    EXPECT_TRUE(engine.calls.empty());  // typing sends nothing
    // Clicking elsewhere takes the focus away first.
    ASSERT_TRUE(window.Click(IDC_EXP_ON));
    EXPECT_EQ(engine.calls, (Calls{"SetAcceleration(44,120)", "SetExp(1)"}));
    EXPECT_EQ(window.Position(IDC_RA_ACCEL_BAR), 3);
    EXPECT_EQ(window.Text(IDC_RA_ACCEL), L"300");  // the edit keeps what was typed
}

TEST_F(AxisPanelTest, TypedSpeedsAndIncreasesAreKeptIn16Bits) {
    ASSERT_TRUE(window.TypeAndLeave(IDC_DEC_MAX_SPEED, L"70000"));
    EXPECT_EQ(window.Position(IDC_DEC_MAX_SPEED_BAR), 39);
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_MAX_SPEED, L"abc"));  // does not convert: 0
    EXPECT_EQ(window.Position(IDC_RA_MAX_SPEED_BAR), 0);
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_INC_CURRENT, L"9"));
    EXPECT_EQ(window.Position(IDC_RA_INC_CURRENT_BAR), 0);
    ASSERT_TRUE(window.TypeAndLeave(IDC_DEC_INC_CURRENT, L"250"));
    EXPECT_EQ(window.Position(IDC_DEC_INC_CURRENT_BAR), 12);
    ASSERT_TRUE(window.TypeAndLeave(IDC_DEC_INC_CURRENT, L"250"));  // unchanged
    // The thumb follows the entry itself: 65566 keeps 30, yet stands at the end of the range.
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_MAX_SPEED, L"65566"));
    EXPECT_EQ(window.Position(IDC_RA_MAX_SPEED_BAR), 39);
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_INC_CURRENT, L"65546"));
    EXPECT_EQ(window.Position(IDC_RA_INC_CURRENT_BAR), 31);
    EXPECT_EQ(engine.calls,
              (Calls{"SetMaxSpeed(600,4464)", "SetMaxSpeed(0,4464)",
                     "SetIncreaseCurrentAt(0x80,9,9)", "SetIncreaseCurrentAt(0x40,250,250)",
                     "SetMaxSpeed(30,4464)", "SetIncreaseCurrentAt(0x80,10,10)"}));
}

TEST_F(AxisPanelTest, OvertoneIsSignedAndNotClampedWhenSent) {
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_OVERTONE, L"-5"));
    EXPECT_EQ(window.Position(IDC_RA_OVERTONE_BAR), -5);
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_OVERTONE, L"-30"));
    EXPECT_EQ(window.Position(IDC_RA_OVERTONE_BAR), -20);
    ASSERT_TRUE(window.Drag(IDC_DEC_OVERTONE_BAR, 12));
    ASSERT_TRUE(window.Release(IDC_DEC_OVERTONE_BAR));
    EXPECT_EQ(window.Text(IDC_DEC_OVERTONE), L"12");
    // The RA thumb shows -20 while -30 is stored: releasing it there is a change.
    ASSERT_TRUE(window.Release(IDC_RA_OVERTONE_BAR));
    EXPECT_EQ(engine.calls, (Calls{"SetOvertone(0x80,-5)", "SetOvertone(0x80,-30)",
                                   "SetOvertone(0x40,12)", "SetOvertone(0x80,-20)"}));
}

TEST_F(AxisPanelTest, IncreaseCurrentStepsBy20) {
    // 20 puts the thumb at 0; moved to 20 it stands for 420.
    ASSERT_TRUE(window.Drag(IDC_RA_INC_CURRENT_BAR, 20));
    ASSERT_TRUE(window.Release(IDC_RA_INC_CURRENT_BAR));
    EXPECT_EQ(window.Text(IDC_RA_INC_CURRENT), L"420");
    ASSERT_TRUE(window.Drag(IDC_RA_INC_CURRENT_BAR, 0));
    ASSERT_TRUE(window.Release(IDC_RA_INC_CURRENT_BAR));
    ASSERT_TRUE(window.Release(IDC_RA_INC_CURRENT_BAR));  // 20 again: unchanged
    EXPECT_EQ(engine.calls,
              (Calls{"SetIncreaseCurrentAt(0x80,420,420)", "SetIncreaseCurrentAt(0x80,20,20)"}));
}

TEST_F(AxisPanelTest, DecayAndGuidingAreSentOnEveryRelease) {
    ASSERT_TRUE(window.Release(IDC_DEC_TRACK_DECAY_BAR));
    ASSERT_TRUE(window.Release(IDC_DEC_TRACK_DECAY_BAR));
    // Guiding rates 1 and 16 put the thumbs at 0 and 15.
    ASSERT_TRUE(window.Release(IDC_RA_GUIDING_BAR));
    ASSERT_TRUE(window.Drag(IDC_DEC_GUIDING_BAR, 7));
    ASSERT_TRUE(window.Release(IDC_DEC_GUIDING_BAR));
    EXPECT_EQ(engine.calls, (Calls{"SetDecay(0x41,2)", "SetDecay(0x41,2)", "SetGuidingRates(1,16)",
                                   "SetGuidingRates(1,8)"}));
}

TEST_F(AxisPanelTest, ReversalBoxesTravelAsThreeMasks) {
    ControllerSettings settings = TypicalSettings();
    settings.decFeatures = 0x04;
    settings.features = 0x08;
    config.OnSettings(settings, 1);
    // Rotation: Dec already set; guiding: RA already set.
    ASSERT_TRUE(window.Click(IDC_RA_REVERSE_ROTATION));
    ASSERT_TRUE(window.Click(IDC_DEC_REVERSE_LIMITS));
    ASSERT_TRUE(window.Click(IDC_RA_REVERSE_GUIDING));
    EXPECT_EQ(engine.calls, (Calls{"SetReverseFlags(3,1,0)", "SetReverseFlags(3,1,2)",
                                   "SetReverseFlags(3,0,2)"}));
}

TEST_F(AxisPanelTest, AFillReplacesWhatTheUserChanged) {
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_ACCEL, L"200"));
    config.OnSettings(TypicalSettings(), 2);
    EXPECT_EQ(window.Text(IDC_RA_ACCEL), L"100");
    engine.Clear();
    ASSERT_TRUE(window.TypeAndLeave(IDC_RA_ACCEL, L"100"));  // equal to the refilled value
    EXPECT_TRUE(engine.calls.empty());
}

}  // namespace
