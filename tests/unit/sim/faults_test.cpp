// Each fault switch, seen from the host's side of the line.

#include <gtest/gtest.h>

#include <algorithm>

#include "model_driver.h"
#include "sim/controller_model.h"

using dxsim::ControllerModel;
using dxsim::Faults;
using namespace dxsim_test;

namespace {

const Bytes kReadVersion = {0xAA, 0x01, 0x01};
const Bytes kReadFirmware = {0xAA, 0x01, 0x02};
const Bytes kVersionReply = {0x55, 0x05, 0x01, 0x0C, 0x00, 0x01, 0x00};

// A DX5 with these faults switched on.
struct Faulty {
    explicit Faulty(const Faults& f) { model.SetFaults(f); }
    ControllerModel model{Named("dx5")};
};

TEST(Faults, NoReplyAtAll) {
    Faults f;
    f.noReply = true;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    EXPECT_TRUE(Exchange(m, kReadVersion).empty());
    EXPECT_TRUE(Exchange(m, {0xAA, 0x02, 0x0D, 0x01}).empty());
    EXPECT_EQ(m.counters().suppressedReplies, 2u);
    // The command itself still works: the store happened.
    EXPECT_EQ(m.counters().framesByCommand[0x0D], 1u);
}

TEST(Faults, NoReplyToOneCommandOnly) {
    Faults f;
    f.noReplyTo.set(0x02);
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    EXPECT_EQ(Exchange(m, kReadVersion), kVersionReply);
    EXPECT_TRUE(Exchange(m, kReadFirmware).empty());
    EXPECT_EQ(Exchange(m, {0xAA, 0x01, 0x03}).size(), 4u);
    f.noReplyTo.reset();
    m.SetFaults(f);
    EXPECT_EQ(Exchange(m, kReadFirmware).size(), 7u);
}

TEST(Faults, DelayHoldsTheReplyBackUntilItsTime) {
    Faults f;
    f.replyDelayMs = 300;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    m.Receive(kReadVersion.data(), kReadVersion.size(), 1000);
    Bytes out;
    m.TakeDue(1299, &out);
    EXPECT_TRUE(out.empty());
    int64_t due = 0;
    ASSERT_TRUE(m.NextDue(&due));
    EXPECT_EQ(due, 1300);
    m.TakeDue(1300, &out);
    EXPECT_EQ(out, kVersionReply);
    EXPECT_FALSE(m.HasPending());
}

TEST(Faults, GarbageComesFirstAndNeverStartsAReply) {
    Faults f;
    f.garbageBytes = 40;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    for (int i = 0; i < 50; ++i) {
        const Bytes out = Exchange(m, kReadVersion, i);
        ASSERT_EQ(out.size(), 40u + kVersionReply.size());
        EXPECT_EQ(std::count(out.begin(), out.begin() + 40, 0x55), 0);
        EXPECT_EQ(Bytes(out.begin() + 40, out.end()), kVersionReply);
    }
}

TEST(Faults, SplitRepliesLeaveOneByteAtATime) {
    Faults f;
    f.splitReplies = true;
    f.splitGapMs = 5;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    m.Receive(kReadVersion.data(), kReadVersion.size(), 0);
    Bytes all;
    for (int64_t t = 0; t <= 30; t += 5) {
        Bytes out;
        m.TakeDue(t, &out);
        ASSERT_EQ(out.size(), 1u) << "at " << t;
        all.push_back(out[0]);
        Bytes none;
        m.TakeDue(t + 4, &none);
        EXPECT_TRUE(none.empty());
    }
    EXPECT_EQ(all, kVersionReply);
}

TEST(Faults, OversizeAndShortRepliesChangeTheLength) {
    Faults f;
    f.oversizeBytes = 3;
    Faulty bigFaulty(f);
    ControllerModel& big = bigFaulty.model;
    const Bytes longer = Exchange(big, kReadVersion);
    ASSERT_EQ(longer.size(), kVersionReply.size() + 3);
    EXPECT_EQ(longer[1], 8);
    EXPECT_TRUE(std::equal(kVersionReply.begin() + 2, kVersionReply.end(), longer.begin() + 2));
    EXPECT_EQ(Exchange(big, {0xAA, 0x02, 0x0D, 0x01}), (Bytes{0x55, 0x03, 0, 0, 0}));

    Faults g;
    g.shortBytes = 2;
    Faulty smallFaulty(g);
    ControllerModel& small = smallFaulty.model;
    EXPECT_EQ(Exchange(small, kReadVersion), (Bytes{0x55, 0x03, 0x01, 0x0C, 0x00}));
    EXPECT_EQ(Exchange(small, {0xAA, 0x02, 0x0D, 0x01}), (Bytes{0x55, 0x00}));
    const Bytes axis = Exchange(small, {0xAA, 0x01, 0x15});
    EXPECT_EQ(axis[1], 56);
    EXPECT_EQ(axis.size(), 58u);
}

TEST(Faults, RepliesKeepTheirOrderUnderDelayAndSplit) {
    Faults f;
    f.replyDelayMs = 100;
    f.splitReplies = true;
    f.splitGapMs = 10;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    m.Receive(kReadVersion.data(), kReadVersion.size(), 0);
    m.Receive(kReadFirmware.data(), kReadFirmware.size(), 20);  // while the first still trickles
    Bytes out;
    m.TakeDue(10000, &out);
    Bytes expected = kVersionReply;
    const Bytes fw = {0x55, 0x05, 0x02, 0x0C, 0x00, 0x00, 0x01};
    expected.insert(expected.end(), fw.begin(), fw.end());
    EXPECT_EQ(out, expected);
}

TEST(Faults, LineResetDropsWhatWasNotSent) {
    Faults f;
    f.replyDelayMs = 500;
    Faulty mFaulty(f);
    ControllerModel& m = mFaulty.model;
    m.Receive(kReadVersion.data(), kReadVersion.size(), 0);
    m.LineReset();
    Bytes out;
    m.TakeDue(10000, &out);
    EXPECT_TRUE(out.empty());
}

// --- line rate ---

TEST(LineRate, UnsetOrMatchingRateIsAnswered) {
    ControllerModel m(Named("dx5"));
    m.SetLineBaud(0);
    EXPECT_EQ(Exchange(m, kReadVersion), kVersionReply);
    m.SetLineBaud(115200);
    EXPECT_EQ(Exchange(m, kReadVersion), kVersionReply);

    ControllerModel dx3(Named("dx3"));
    dx3.SetLineBaud(9600);
    EXPECT_EQ(Exchange(dx3, kReadVersion).size(), 7u);
}

TEST(LineRate, WrongRateGivesNoiseThatNeverFormsAReply) {
    for (const char* name : {"dx5", "dx3", "rv5"}) {
        ControllerModel m(Named(name), 7);
        m.SetLineBaud(std::string(name) == "dx3" ? 115200 : 9600);
        const Bytes reads[] = {kReadVersion,
                               {0xAA, 0x01, 0x03},
                               kReadFirmware,
                               {0xAA, 0x01, 0x14},
                               {0xAA, 0x01, 0x15}};
        for (int round = 0; round < 40; ++round) {
            for (const Bytes& r : reads) {
                const Bytes out = Exchange(m, r, round);
                EXPECT_FALSE(out.empty()) << name;
                EXPECT_EQ(std::count(out.begin(), out.end(), 0x55), 0) << name;
            }
        }
        EXPECT_EQ(m.counters().noiseBursts, 200u);
    }
}

TEST(LineRate, CommandsAtTheWrongRateHaveNoEffect) {
    ControllerModel m(Named("dx5"));
    m.SetLineBaud(9600);
    Exchange(m, {0xAA, 0x05, 0x33, 0x00, 0x80, 0x20, 0x03});
    Exchange(m, {0xAA, 0x02, 0x0C, 0x01});
    Exchange(m, {0xAA, 0x03, 0x24, 0x00, 0x01});
    EXPECT_EQ(m.settings(), m.factory());
    EXPECT_FALSE(m.MountAt(0).Tracking());
}

}  // namespace
