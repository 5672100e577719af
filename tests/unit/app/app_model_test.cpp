#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app_model.h"

using namespace axistune;

namespace {

struct Poster : EventPoster {
    std::vector<std::pair<uintptr_t, intptr_t>> posts;
    void PostEvent(uintptr_t wParam, intptr_t lParam) override {
        posts.emplace_back(wParam, lParam);
    }
};

struct Window : TelescopeControlDlgCallback {
    std::vector<std::string> calls;
    ControllerSettings lastSettings{};
    void OnStatus(int32_t code) override { calls.push_back("status " + std::to_string(code)); }
    void OnStatusValue(int32_t code, uint32_t value) override {
        calls.push_back("value " + std::to_string(code) + " " + std::to_string(value));
    }
    void OnSettings(const ControllerSettings& settings, int32_t kind) override {
        lastSettings = settings;
        calls.push_back("settings " + std::to_string(kind));
    }
    void OnVoltage(uint32_t value) override { calls.push_back("voltage " + std::to_string(value)); }
};

class AppModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        model.SetPoster(&poster);
        model.SetCallback(&window);
    }
    void DeliverAll() {
        for (const auto& post : poster.posts) {
            model.Deliver(post.first);
        }
        poster.posts.clear();
    }
    Poster poster;
    Window window;
    AppModel model;
};

TEST_F(AppModelTest, EveryEventPostsWmUserWithWParam1000) {
    ControllerSettings settings{};
    model.OnStatus(1);
    model.OnStatusValue(13, 0x01000009);
    model.OnSettings(&settings, 1);
    model.OnVoltage(1234);
    ASSERT_EQ(poster.posts.size(), 4u);
    for (const auto& post : poster.posts) {
        EXPECT_EQ(post, std::make_pair(uintptr_t{1000}, intptr_t{0}));
    }
}

TEST_F(AppModelTest, EachEventKindReachesTheMatchingCallback) {
    ControllerSettings settings{};
    settings.raGearRatio = 172800;
    model.OnStatusValue(13, 0x01000009);
    DeliverAll();
    model.OnSettings(&settings, 4);
    settings.raGearRatio = 1;  // the model keeps its own copy
    DeliverAll();
    model.OnVoltage(512);
    DeliverAll();
    EXPECT_EQ(window.calls,
              (std::vector<std::string>{"value 13 16777225", "settings 4", "voltage 512"}));
    EXPECT_EQ(window.lastSettings.raGearRatio, 172800u);
}

TEST_F(AppModelTest, ASecondEventBeforeDeliveryReplacesTheFirstAndIsDeliveredTwice) {
    model.OnStatus(1);
    model.OnStatus(2);
    DeliverAll();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"status 2", "status 2"}));
}

TEST_F(AppModelTest, SettingsOverwrittenByAStatusAreNeverDelivered) {
    ControllerSettings settings{};
    model.OnSettings(&settings, 1);
    model.OnStatus(22);
    DeliverAll();
    EXPECT_EQ(window.calls, (std::vector<std::string>{"status 22", "status 22"}));
}

TEST_F(AppModelTest, OtherWParamsAndAMissingCallbackDeliverNothing) {
    model.OnStatus(3);
    model.Deliver(1001);
    model.Deliver(0);
    EXPECT_TRUE(window.calls.empty());
    model.SetCallback(nullptr);
    model.Deliver(1000);
    EXPECT_TRUE(window.calls.empty());
}

TEST(AppModelWithoutPoster, StoresEventsWithoutPosting) {
    AppModel model;
    Window window;
    model.SetCallback(&window);
    model.OnStatus(4);
    model.Deliver(1000);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"status 4"}));
}

}  // namespace
