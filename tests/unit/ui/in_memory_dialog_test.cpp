// The in-memory host runs the suite every dialog host runs (support/host_conformance.h), and
// here what only it offers or only it can be held to: Windows' integer edges and combo
// selection (Wine parts from them), its Latin-1 single-byte texts, its post counter and its
// scripted children.
#include <gtest/gtest.h>

#include <cwchar>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "support/host_conformance.h"
#include "support/in_memory_dialog.h"
#include "ui/description/resource_ids.h"

using namespace axistune;

namespace {

class InMemoryHost : public HostUnderTest {
  public:
    intptr_t Run(int templateId, DialogLogic& logic, const Body& body) override {
        InMemoryDialog dialog(templateId, logic);
        if (!dialog.HasTemplate()) {
            return kNotShown;
        }
        dialog_ = &dialog;
        dialog.Open();
        if (dialog.IsOpen()) {
            body();
        }
        const intptr_t result = dialog.Ended() ? dialog.Result() : kLeftOpen;
        dialog.Destroy();
        dialog_ = nullptr;
        return result;
    }
    bool Click(int id) override { return dialog_->Click(id); }
    bool Type(int id, const std::wstring& text) override { return dialog_->Type(id, text); }
    bool Leave(int id) override { return dialog_->Leave(id); }
    bool Pick(int id, int row) override { return dialog_->Pick(id, row); }
    bool Drag(int id, int position) override { return dialog_->Drag(id, position); }
    bool Release(int id) override { return dialog_->Release(id); }
    void PressEnter() override { dialog_->PressEnter(); }
    void PressEscape() override { dialog_->PressEscape(); }
    void PressCloseBox() override { dialog_->PressCloseBox(); }
    size_t Pump() override { return dialog_->Pump(); }
    bool SelectRow(int id, int row) override { return row >= 0 && dialog_->SelectRow(id, row); }
    bool DoubleClickRow(int id, int row) override { return dialog_->DoubleClickRow(id, row); }
    bool ChooseMenu(int id) override { return dialog_->ChooseMenuCommand(id); }
    void PressShortcut(int, char key) override { dialog_->PressShortcut(key); }
    void CancelNextFileDialog() override { dialog_->QueueFileCancel(); }
    void AnswerNextMessage(bool yes) override { dialog_->QueueMessageAnswer(yes); }
    std::wstring ModalSeen() override {
        // What the logic met since the last look: both lists only grow.
        std::wstring text;
        if (dialog_->FileRequests().size() > files_) {
            text = dialog_->FileRequests().back().title;
        } else if (dialog_->MessagesShown().size() > messages_) {
            text = dialog_->MessagesShown().back().text;
        }
        files_ = dialog_->FileRequests().size();
        messages_ = dialog_->MessagesShown().size();
        return text;
    }
    std::vector<MenuItem> Menu() override {
        std::vector<MenuItem> items;
        for (const auto& command : dialog_->MenuCommands()) {
            items.push_back({command.text, command.ctrlKey, command.enabled});
        }
        return items;
    }
    std::vector<std::wstring> ListColumns(int id) override { return dialog_->ListColumnTitles(id); }
    std::vector<std::wstring> ListRow(int id, int row) override {
        const auto& rows = dialog_->ListRows(id);
        return row >= 0 && static_cast<size_t>(row) < rows.size() ? rows[row]
                                                                  : std::vector<std::wstring>();
    }
    int LineCount(int id) override { return dialog_->LineCount(id); }
    bool Has(int id) override { return dialog_->Has(id); }
    std::wstring Text(int id) override { return dialog_->Text(id); }
    bool Checked(int id) override { return dialog_->Checked(id); }
    bool Enabled(int id) override { return dialog_->Enabled(id); }
    int Position(int id) override { return dialog_->Position(id); }
    std::pair<int, int> Range(int id) override { return dialog_->Range(id); }
    int Focus() override { return dialog_->Focus(); }
    bool Ended() override { return dialog_->Ended(); }

  private:
    InMemoryDialog* dialog_ = nullptr;
    size_t files_ = 0;
    size_t messages_ = 0;
};

std::unique_ptr<HostUnderTest> MakeInMemoryHost() {
    return std::make_unique<InMemoryHost>();
}

INSTANTIATE_TEST_SUITE_P(InMemory, HostConformance,
                         ::testing::Values(HostFactory{"InMemory", &MakeInMemoryHost}),
                         HostFactoryName);

TEST(InMemoryDialog, ReadsIntegersAtTheEdgesLikeWindows) {
    const struct {
        const wchar_t* text;
        bool isSigned;
        uint32_t value;
    } cases[] = {
        {L"-5", false, 0},  // no sign for unsigned reads
        {L"+5", false, 0},
        {L"4294967296", false, 0},
        {L"2147483647", true, 2147483647u},
        {L"2147483648", true, 0},
        {L"-2147483648", true, 0x80000000u},
        {L"-2147483649", true, 0},
    };
    ProbeLogic probe;
    InMemoryDialog dialog(IDD_GEAR_RATIO, probe);
    dialog.Open();
    for (const auto& c : cases) {
        probe.host->SetItemText(IDC_GEAR_RA, c.text);
        EXPECT_EQ(probe.host->GetItemInt(IDC_GEAR_RA, c.isSigned), c.value)
            << std::string(c.text, c.text + std::wcslen(c.text));
    }
    InMemoryDialog none(999, probe);
    EXPECT_FALSE(none.HasTemplate());
}

TEST(InMemoryDialog, SingleByteTextsAreLatin1) {
    ProbeLogic probe;
    InMemoryDialog dialog(IDD_ADVANCED, probe);
    dialog.Open();
    dialog.Type(IDC_ADV_LATITUDE, L"\u00e9\u20ac");  // one byte wide, then wider
    EXPECT_EQ(dialog.TextA(IDC_ADV_LATITUDE), "\xe9?");
}

TEST(InMemoryDialog, ComboSelectionBeyondTheListClearsItLikeWindows) {
    ProbeLogic probe;
    InMemoryDialog dialog(IDD_INIT_SCOPE, probe);
    dialog.Open();
    probe.host->ComboAddString(IDC_INIT_POSITION, L"a");
    probe.host->ComboAddString(IDC_INIT_POSITION, L"b");
    probe.host->ComboSetSelection(IDC_INIT_POSITION, 1);
    probe.host->ComboSetSelection(IDC_INIT_POSITION, 2);
    EXPECT_EQ(probe.host->ComboGetSelection(IDC_INIT_POSITION), kComboNoSelection);
}

TEST(InMemoryDialog, CountsThePostsWaiting) {
    ProbeLogic probe;
    InMemoryDialog dialog(IDD_ABOUT, probe);
    dialog.Open();
    probe.host->Post(1000, 0);
    probe.host->Post(1001, -1);
    EXPECT_EQ(dialog.PendingPosts(), 2u);
    EXPECT_EQ(dialog.Pump(), 2u);
    EXPECT_EQ(dialog.PendingPosts(), 0u);
}

// A child that finds the template gone fails like a dialog that cannot be created.
class Opener : public DialogLogic {
  public:
    explicit Opener(int templateId) : templateId_(templateId) {}
    intptr_t OnInit(DialogHost& host) override {
        host_ = &host;
        return 1;
    }
    intptr_t OnCommand(int, int) override {
        ProbeLogic child;
        return host_->RunChild(templateId_, child);
    }

  private:
    int templateId_;
    DialogHost* host_ = nullptr;
};

TEST(InMemoryDialog, ChildrenRunTheirScriptsOnce) {
    Opener opener(IDD_GEAR_RATIO);
    InMemoryDialog dialog(IDD_MAIN, opener);
    dialog.Open();
    dialog.ScriptChild(IDD_GEAR_RATIO, [](InMemoryDialog& child) { child.End(5); });
    dialog.Click(IDC_CONNECT);
    EXPECT_EQ(dialog.LastResult(), 5);
    // No script left: the user closes it, the probe ignores Cancel, so it never ends.
    dialog.Click(IDC_CONNECT);
    EXPECT_EQ(dialog.LastResult(), -1);
    EXPECT_EQ(dialog.ChildrenRun(), (std::vector<int>{IDD_GEAR_RATIO, IDD_GEAR_RATIO}));

    Opener lost(4242);
    InMemoryDialog other(IDD_MAIN, lost);
    other.Open();
    other.Click(IDC_CONNECT);
    EXPECT_EQ(other.LastResult(), -1);
    EXPECT_TRUE(other.ChildrenRun().empty());
}

// The answers queued on the main window serve its children too, in order; an unscripted file
// dialog is cancelled.
TEST(InMemoryDialog, ScriptsTheUsersFileChoicesForTheWholeTree) {
    const FileTypeFilter settings = {L"Settings files", L"*.json"};
    const std::string folder = std::filesystem::temp_directory_path().u8string();
    ProbeLogic main;
    InMemoryDialog dialog(IDD_MAIN, main);
    dialog.Open();
    dialog.QueueFileChoice("/home/user/dx5 backup.json");
    dialog.QueueFileCancel();
    ProbeLogic history;
    dialog.ScriptChild(IDD_SETTINGS_HISTORY, [&](InMemoryDialog&) {
        std::string path;
        EXPECT_TRUE(history.host->ChooseFileToSave(L"Back up", settings, L"dx5.json", &path));
        EXPECT_EQ(path, "/home/user/dx5 backup.json");
        EXPECT_FALSE(history.host->ChooseFileToOpen(L"Restore", settings, &path));
        EXPECT_FALSE(history.host->ChooseFileToOpen(L"Restore", settings, &path));
        EXPECT_TRUE(history.host->OpenFolder(folder));
    });
    main.host->RunChild(IDD_SETTINGS_HISTORY, history);
    ASSERT_EQ(dialog.FileRequests().size(), 3u);
    const auto& save = dialog.FileRequests()[0];
    EXPECT_EQ(save.title + L"|" + save.description + L"|" + save.pattern + L"|" +
                  save.suggestedName + (save.save ? L"|save" : L"|open"),
              L"Back up|Settings files|*.json|dx5.json|save");
    EXPECT_EQ(dialog.OpenedFolders(), std::vector<std::string>{folder});
}

}  // namespace
