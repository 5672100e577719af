#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "ui/description/dialog_templates.h"
#include "ui/description/resource_ids.h"
#include "ui/description/resource_script.h"

using namespace axistune;

namespace {

TEST(DialogTemplates, IdsAreUniqueInEachDialog) {
    size_t count = 0;
    const DialogTemplate* dialogs = DialogTemplates(&count);
    ASSERT_EQ(count, 9u);
    for (size_t d = 0; d < count; ++d) {
        EXPECT_EQ(dialogs[d].id, IDD_MAIN + static_cast<int>(d));
        std::set<int> ids;
        for (size_t i = 0; i < dialogs[d].controlCount; ++i) {
            EXPECT_TRUE(ids.insert(dialogs[d].controls[i].id).second)
                << dialogs[d].symbol << " " << dialogs[d].controls[i].symbol;
        }
    }
}

// The Dec group is the RA group moved 176 units right, with ids raised by 100 (the line above
// the overtone row is 1213), and it follows the RA group in the template.
TEST(DialogTemplates, DecGroupMirrorsTheRaGroup) {
    const DialogTemplate& main = *FindDialogTemplate(IDD_MAIN);
    size_t raFirst = main.controlCount;
    for (size_t i = 0; i < main.controlCount; ++i) {
        if (main.controls[i].id == IDC_RA_GROUP) {
            raFirst = i;
        }
    }
    size_t decFirst = main.controlCount;
    for (size_t i = 0; i < main.controlCount; ++i) {
        if (main.controls[i].id == IDC_DEC_GROUP) {
            decFirst = i;
        }
    }
    ASSERT_LT(raFirst, decFirst);
    const size_t groupSize = decFirst - raFirst;
    ASSERT_EQ(groupSize, 46u);
    ASSERT_LE(decFirst + groupSize, main.controlCount);
    for (size_t i = 0; i < groupSize; ++i) {
        const ControlTemplate& ra = main.controls[raFirst + i];
        const ControlTemplate& dec = main.controls[decFirst + i];
        const int expectedId = ra.id == IDC_RA_LINE_OVERTONE ? 1213 : ra.id + 100;
        EXPECT_EQ(dec.id, expectedId) << ra.symbol;
        EXPECT_EQ(dec.x, ra.x + 176) << ra.symbol;
        EXPECT_EQ(dec.y, ra.y) << ra.symbol;
        EXPECT_EQ(dec.width, ra.width) << ra.symbol;
        EXPECT_EQ(dec.height, ra.height) << ra.symbol;
        EXPECT_EQ(dec.kind, ra.kind) << ra.symbol;
        EXPECT_EQ(dec.options, ra.options) << ra.symbol;
        if (ra.id != IDC_RA_GROUP) {
            EXPECT_STREQ(dec.text, ra.text) << ra.symbol;
        }
    }
    EXPECT_STREQ(main.controls[decFirst].text, "Dec");
    EXPECT_EQ(main.controls[decFirst + groupSize].id, IDC_TRACK_ON);
}

TEST(DialogTemplates, ScriptWritesEveryControlWithItsStyles) {
    const std::string script = WriteResourceScript();
    const char* lines[] = {
        "IDD_MAIN DIALOGEX 45, 45, 456, 296\n",
        "CONTROL \"\", IDC_RA_OVERTONE_BAR, \"msctls_trackbar32\", TBS_HORZ | TBS_AUTOTICKS | "
        "WS_TABSTOP, 160, 224, 70, 11\n",
        "CONTROL \"Track on\", IDC_TRACK_ON, \"Button\", BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP, "
        "8, "
        "144, 42, 15\n",
        "CONTROL \"North\", IDC_ADV_NORTH, \"Button\", BS_RADIOBUTTON | WS_TABSTOP, 126, 26, 30, "
        "12\n",
        "CONTROL \"\", IDC_DEC_LINE_OVERTONE, \"Static\", SS_ETCHEDHORZ, 284, 218, 164, 5\n",
        "IDD_INIT_SCOPE DIALOGEX 32, 32, 240, 105\n",
        "CONTROL \"\", IDC_HISTORY_LIST, \"SysListView32\", LVS_REPORT | LVS_SINGLESEL | "
        "LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, 6, 6, 348, 140\n",
        "CONTROL \"\", IDC_RESTORE_REPORT, \"Edit\", ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | "
        "ES_READONLY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 6, 6, 268, 128\n",
    };
    for (const char* line : lines) {
        EXPECT_NE(script.find(line), std::string::npos) << line;
    }
}

// Every list view starts with columns that fit inside it; nothing else has columns.
TEST(DialogTemplates, ListViewsAndOnlyThemHaveColumnsThatFit) {
    size_t count = 0;
    const DialogTemplate* dialogs = DialogTemplates(&count);
    for (size_t d = 0; d < count; ++d) {
        for (size_t i = 0; i < dialogs[d].controlCount; ++i) {
            const ControlTemplate& control = dialogs[d].controls[i];
            size_t columnCount = 0;
            const ListColumnTemplate* columns =
                ListColumnsOf(dialogs[d].id, control.id, &columnCount);
            if (control.kind != ControlKind::kListView) {
                EXPECT_EQ(columns, nullptr) << control.symbol;
                EXPECT_EQ(columnCount, 0u) << control.symbol;
                continue;
            }
            ASSERT_NE(columns, nullptr) << control.symbol;
            int width = 0;
            for (size_t c = 0; c < columnCount; ++c) {
                width += columns[c].width;
            }
            EXPECT_LE(width, control.width) << control.symbol;
        }
    }
}

#ifdef AXISTUNE_RC_FILE
// axistune.rc is committed for the Windows build; it must be what the description says.
TEST(DialogTemplates, CommittedResourceScriptMatchesTheDescription) {
    std::ifstream file(AXISTUNE_RC_FILE, std::ios::binary);
    ASSERT_TRUE(file.good()) << AXISTUNE_RC_FILE;
    std::stringstream committed;
    committed << file.rdbuf();
    EXPECT_TRUE(committed.str() == WriteResourceScript())
        << "axistune.rc is out of date: build the target axistune_regenerate_rc";
}
#endif

}  // namespace
