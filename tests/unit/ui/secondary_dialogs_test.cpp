#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "support/in_memory_dialog.h"
#include "ui/about_texts.h"
#include "ui/description/resource_ids.h"
#include "ui/dlg_about.h"
#include "ui/dlg_advanced.h"
#include "ui/dlg_gear_ratio.h"
#include "ui/dlg_init_scope.h"

using namespace axistune;

namespace {

constexpr int32_t kDegree = 86400;
constexpr int32_t kMinute = 1440;
constexpr int32_t kSecond = 24;

TEST(GearRatioDialog, OkWritesTheEntriesCancelLeavesTheRecord) {
    GearRatios record{172800, 162000};
    {
        DlgGearRatio logic(record);
        InMemoryDialog dialog(IDD_GEAR_RATIO, logic);
        dialog.Open();
        EXPECT_EQ(dialog.Text(IDC_GEAR_RA), L"172800");
        EXPECT_EQ(dialog.Text(IDC_GEAR_DEC), L"162000");
        dialog.Type(IDC_GEAR_RA, L"4294967295");
        dialog.Type(IDC_GEAR_DEC, L"");  // no digits: 0, and still accepted
        dialog.Click(IDC_DLG_OK);
        EXPECT_EQ(dialog.Result(), 1);
    }
    EXPECT_EQ(record.raRatio, 4294967295u);
    EXPECT_EQ(record.decRatio, 0u);

    for (bool closeBox : {false, true}) {
        DlgGearRatio logic(record);
        InMemoryDialog dialog(IDD_GEAR_RATIO, logic);
        dialog.Open();
        dialog.Type(IDC_GEAR_RA, L"5");
        if (closeBox) {
            dialog.PressCloseBox();  // arrives as Cancel
        } else {
            dialog.Click(IDC_DLG_CANCEL);
        }
        EXPECT_TRUE(dialog.Ended());
        EXPECT_EQ(dialog.Result(), 0);
        EXPECT_EQ(record.raRatio, 4294967295u);
    }
}

AdvancedSettings TypicalAdvanced() {
    AdvancedSettings record{};
    record.features = 0x84;
    record.mountType = kMountGermanEquatorial;
    record.latitude = 47 * kDegree + 30 * kMinute;
    record.longitude = -(3 * kDegree + 10 * kMinute + 30 * kSecond);
    record.hemisphere = 0;
    record.closedLoopDefault = 1;
    record.flipHysteresis = 10;
    return record;
}

// Opens the advanced dialog on the record, lets `act` work in it and presses `button`.
intptr_t RunAdvanced(AdvancedSettings& record, const std::function<void(InMemoryDialog&)>& act,
                     int button = IDC_DLG_OK) {
    DlgAdvanced logic(record);
    InMemoryDialog dialog(IDD_ADVANCED, logic);
    dialog.Open();
    act(dialog);
    dialog.Click(button);
    return dialog.Ended() ? dialog.Result() : -1;
}

TEST(AdvancedDialog, ShowsTheRecord) {
    const struct {
        int32_t latitude, longitude;
        const char* latitudeText;
        const char* longitudeText;
    } cases[] = {
        {-4104000, 274320, "S 47:30:00", "E 3:10:30"},
        {0, -1, "N 0:00:00", "W 0:00:00"},
        {90 * kDegree, -180 * kDegree, "N 90:00:00", "W 180:00:00"},
        // The most negative angle has no positive twin; it is shown, not overflowed.
        {INT32_MIN, INT32_MAX, "S -24855:08:05", "E 24855:08:05"},
    };
    for (const auto& c : cases) {
        AdvancedSettings record = TypicalAdvanced();
        record.latitude = c.latitude;
        record.longitude = c.longitude;
        DlgAdvanced logic(record);
        InMemoryDialog dialog(IDD_ADVANCED, logic);
        dialog.Open();
        EXPECT_EQ(dialog.TextA(IDC_ADV_LATITUDE), c.latitudeText);
        EXPECT_EQ(dialog.TextA(IDC_ADV_LONGITUDE), c.longitudeText);
    }

    AdvancedSettings record = TypicalAdvanced();
    record.mountType = 5;
    record.hemisphere = 3;
    record.flipHysteresis = 255;
    DlgAdvanced logic(record);
    InMemoryDialog dialog(IDD_ADVANCED, logic);
    dialog.Open();
    EXPECT_TRUE(dialog.Checked(IDC_ADV_ALT_AZIMUTH));
    EXPECT_FALSE(dialog.Checked(IDC_ADV_GERMAN));
    EXPECT_TRUE(dialog.Checked(IDC_ADV_SOUTH));
    EXPECT_FALSE(dialog.Checked(IDC_ADV_NORTH));
    EXPECT_EQ(dialog.Text(IDC_ADV_FLIP), L"255");
    EXPECT_TRUE(dialog.Enabled(IDC_ADV_CLOSED_LOOP));
    EXPECT_TRUE(dialog.Checked(IDC_ADV_CLOSED_LOOP));
}

TEST(AdvancedDialog, OkWithoutChangesFlagsNothing) {
    AdvancedSettings record = TypicalAdvanced();
    record.changed = 0x3F;  // replaced, not added to
    EXPECT_EQ(RunAdvanced(record, [](InMemoryDialog&) {}), 1);
    EXPECT_EQ(record.changed, 0u);
    EXPECT_EQ(record.latitude, 47 * kDegree + 30 * kMinute);
}

TEST(AdvancedDialog, EachChangeSetsItsBit) {
    const struct {
        const char* what;
        std::function<void(InMemoryDialog&)> act;
        uint32_t changed;
        std::function<bool(const AdvancedSettings&)> stored;
    } cases[] = {
        {"latitude with a point", [](InMemoryDialog& d) { d.Type(IDC_ADV_LATITUDE, L"47.5"); },
         0x01, [](const AdvancedSettings& r) { return r.latitude == 47 * kDegree + 5 * kMinute; }},
        {"latitude minus degrees plus minutes",
         [](InMemoryDialog& d) { d.Type(IDC_ADV_LATITUDE, L"-47:30"); }, 0x01,
         [](const AdvancedSettings& r) { return r.latitude == -4017600; }},
        {"longitude east", [](InMemoryDialog& d) { d.Type(IDC_ADV_LONGITUDE, L"e 3:10:30"); }, 0x02,
         [](const AdvancedSettings& r) { return r.longitude == 274320; }},
        {"hemisphere", [](InMemoryDialog& d) { d.Click(IDC_ADV_SOUTH); }, 0x04,
         [](const AdvancedSettings& r) { return r.hemisphere == 1; }},
        {"mount and hemisphere",
         [](InMemoryDialog& d) {
             d.Click(IDC_ADV_ALT_AZIMUTH);
             d.Click(IDC_ADV_SOUTH);
         },
         0x0C, [](const AdvancedSettings& r) { return r.mountType == 2 && r.hemisphere == 1; }},
        {"hysteresis keeps one byte", [](InMemoryDialog& d) { d.Type(IDC_ADV_FLIP, L"300"); }, 0x10,
         [](const AdvancedSettings& r) { return r.flipHysteresis == 44; }},
        {"hysteresis that does not convert",
         [](InMemoryDialog& d) { d.Type(IDC_ADV_FLIP, L"ten"); }, 0x10,
         [](const AdvancedSettings& r) { return r.flipHysteresis == 0; }},
        {"closed loop off", [](InMemoryDialog& d) { d.Click(IDC_ADV_CLOSED_LOOP); }, 0x20,
         [](const AdvancedSettings& r) { return r.closedLoopDefault == 0; }},
    };
    for (const auto& c : cases) {
        AdvancedSettings record = TypicalAdvanced();
        EXPECT_EQ(RunAdvanced(record, c.act), 1) << c.what;
        EXPECT_EQ(record.changed, c.changed) << c.what;
        EXPECT_TRUE(c.stored(record)) << c.what;
    }
}

TEST(AdvancedDialog, RadiosAreCheckedByTheDialogItself) {
    AdvancedSettings record = TypicalAdvanced();
    DlgAdvanced logic(record);
    InMemoryDialog dialog(IDD_ADVANCED, logic);
    dialog.Open();
    dialog.Click(IDC_ADV_FORK);
    EXPECT_TRUE(dialog.Checked(IDC_ADV_FORK));
    EXPECT_FALSE(dialog.Checked(IDC_ADV_GERMAN));
    EXPECT_FALSE(dialog.Checked(IDC_ADV_ALT_AZIMUTH));
    dialog.Click(IDC_ADV_FORK);  // a plain radio does not toggle off
    EXPECT_TRUE(dialog.Checked(IDC_ADV_FORK));
    dialog.Click(IDC_ADV_SOUTH);
    dialog.Click(IDC_ADV_NORTH);
    EXPECT_TRUE(dialog.Checked(IDC_ADV_NORTH));
    EXPECT_FALSE(dialog.Checked(IDC_ADV_SOUTH));
}

TEST(AdvancedDialog, WithoutClosedLoopTheDefaultReadsOff) {
    AdvancedSettings record = TypicalAdvanced();
    record.features = 0x04;
    EXPECT_EQ(RunAdvanced(record,
                          [](InMemoryDialog& d) {
                              EXPECT_FALSE(d.Enabled(IDC_ADV_CLOSED_LOOP));
                              EXPECT_FALSE(d.Checked(IDC_ADV_CLOSED_LOOP));
                              EXPECT_FALSE(d.Click(IDC_ADV_CLOSED_LOOP));
                          }),
              1);
    EXPECT_EQ(record.closedLoopDefault, 0);
    EXPECT_EQ(record.changed, 0x20u);
}

TEST(AdvancedDialog, UnknownMountTypeBecomesAltAzimuth) {
    AdvancedSettings record = TypicalAdvanced();
    record.mountType = 5;
    EXPECT_EQ(RunAdvanced(record, [](InMemoryDialog&) {}), 1);
    EXPECT_EQ(record.mountType, 2);
    EXPECT_EQ(record.changed, 0x08u);
}

TEST(AdvancedDialog, FractionsOfASecondReadBackAsChanged) {
    AdvancedSettings record = TypicalAdvanced();
    record.latitude = 4104000 + 23;  // below one arcsecond
    EXPECT_EQ(RunAdvanced(record, [](InMemoryDialog&) {}), 1);
    EXPECT_EQ(record.latitude, 4104000);
    EXPECT_EQ(record.changed, 0x01u);
}

TEST(AdvancedDialog, CancelLeavesTheWholeRecord) {
    AdvancedSettings record = TypicalAdvanced();
    record.changed = 0x12;
    const AdvancedSettings before = record;
    EXPECT_EQ(RunAdvanced(
                  record,
                  [](InMemoryDialog& d) {
                      d.Type(IDC_ADV_LATITUDE, L"S 10");
                      d.Click(IDC_ADV_FORK);
                      d.Click(IDC_ADV_CLOSED_LOOP);
                  },
                  IDC_DLG_CANCEL),
              0);
    EXPECT_EQ(std::memcmp(&record, &before, sizeof record), 0);
}

std::vector<std::wstring> Names(uint8_t mountType) {
    InitPosition record{mountType, 99};
    DlgInitScope logic(record);
    InMemoryDialog dialog(IDD_INIT_SCOPE, logic);
    dialog.Open();
    return dialog.ComboItems(IDC_INIT_POSITION);
}

TEST(InitScopeDialog, ForkMountsGetFourPositionsOthersTen) {
    EXPECT_EQ(Names(1), (std::vector<std::wstring>{L"Zenith", L"Meridian, Equator",
                                                   L"Eastern horizon", L"Western horizon"}));
    for (uint8_t type : {0, 2, 5, 255}) {
        const auto names = Names(type);
        ASSERT_EQ(names.size(), 10u) << int(type);
        EXPECT_EQ(names.front(), L"Default east side - Equator");
        EXPECT_EQ(names.back(), L"Western Horizon");
    }
}

TEST(InitScopeDialog, SetAtOnceTakesTheFirstRow) {
    for (const auto& c : {std::make_pair<uint8_t, uint32_t>(0, 4), {1, 14}}) {
        InitPosition record{c.first, 99};
        DlgInitScope logic(record);
        InMemoryDialog dialog(IDD_INIT_SCOPE, logic);
        dialog.Open();
        EXPECT_EQ(dialog.ComboSelection(IDC_INIT_POSITION), 0);
        EXPECT_EQ(dialog.Text(IDC_INIT_EXPLANATION), L"Explanation of the selected position");
        dialog.Click(IDC_DLG_OK);
        EXPECT_EQ(dialog.Result(), 1);
        EXPECT_EQ(record.positionCode, c.second);
    }
}

TEST(InitScopeDialog, SelectionShowsItsExplanationAndGivesItsCode) {
    InitPosition record{0, 99};
    DlgInitScope logic(record);
    InMemoryDialog dialog(IDD_INIT_SCOPE, logic);
    dialog.Open();
    dialog.Pick(IDC_INIT_POSITION, 7);
    EXPECT_EQ(dialog.ComboItems(IDC_INIT_POSITION)[7], L"West side - North Horizon");
    EXPECT_EQ(dialog.Text(IDC_INIT_EXPLANATION),
              L"Counterweight points to east, scope at the western side, looks to the north "
              L"Horizon.");
    dialog.Click(IDC_DLG_OK);
    EXPECT_EQ(record.positionCode, 11u);
}

TEST(InitScopeDialog, ExitLeavesTheCode) {
    InitPosition record{1, 12};
    DlgInitScope logic(record);
    InMemoryDialog dialog(IDD_INIT_SCOPE, logic);
    dialog.Open();
    dialog.Pick(IDC_INIT_POSITION, 2);
    dialog.PressCloseBox();  // arrives as Exit
    EXPECT_EQ(dialog.Result(), 0);
    EXPECT_EQ(record.positionCode, 12u);
}

TEST(AboutBox, TitleAndLinkFontsAndTheLinkOpensTheAddress) {
    DlgAbout logic;
    InMemoryDialog dialog(IDD_ABOUT, logic);
    dialog.Open();
    EXPECT_TRUE(dialog.IsLink(IDC_ABOUT_LINK));
    EXPECT_TRUE(dialog.FontOf(IDC_ABOUT_LINK).underline);
    EXPECT_EQ(dialog.FontOf(IDC_ABOUT_TITLE).height, 16);
    EXPECT_EQ(dialog.FontOf(IDC_ABOUT_TITLE).weight, 700);
    EXPECT_FALSE(dialog.HasFontChange(IDC_ABOUT_DESCRIPTION));
    EXPECT_EQ(dialog.TextA(IDC_ABOUT_LINK), kAboutUrl);

    ASSERT_TRUE(dialog.Click(IDC_ABOUT_LINK));
    ASSERT_TRUE(dialog.Click(IDC_ABOUT_LINK));
    EXPECT_EQ(dialog.OpenedUrls(), (std::vector<std::wstring>{kAboutUrlWide, kAboutUrlWide}));
    EXPECT_TRUE(dialog.IsOpen());
    EXPECT_FALSE(dialog.Click(IDC_ABOUT_CREDIT));  // a plain label reports no clicks
}

TEST(AboutBox, EveryWayOutEndsWithOne) {
    for (int way = 0; way < 4; ++way) {
        DlgAbout logic;
        InMemoryDialog dialog(IDD_ABOUT, logic);
        dialog.Open();
        switch (way) {
            case 0:
                dialog.Click(IDC_DLG_CANCEL);  // "Exit"
                break;
            case 1:
                dialog.PressEscape();
                break;
            case 2:
                dialog.PressEnter();
                break;
            default:
                dialog.PressCloseBox();
                break;
        }
        EXPECT_TRUE(dialog.Ended()) << way;
        EXPECT_EQ(dialog.Result(), 1) << way;
    }
}

}  // namespace
