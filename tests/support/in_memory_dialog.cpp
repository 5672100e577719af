#include "support/in_memory_dialog.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "ui/dialog_int.h"

namespace axistune {

namespace {

constexpr int kStnClicked = 0;
constexpr ControlHandle kHandleBase = 0x1000;

std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p != '\0'; ++p) {
        wide += static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    return wide;
}

// The single-byte form of a text: characters beyond one byte become '?'.
std::string Narrow(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) {
        const uint32_t code = static_cast<uint32_t>(c);
        narrow += code < 0x100 ? static_cast<char>(static_cast<unsigned char>(code)) : '?';
    }
    return narrow;
}

bool IsButtonKind(ControlKind kind) {
    return kind == ControlKind::kCheckBox || kind == ControlKind::kPushLikeCheckBox ||
           kind == ControlKind::kRadioButton;
}

// Edits, also multi-line ones, report the focus they gain and lose.
bool IsEditKind(ControlKind kind) {
    return kind == ControlKind::kEdit || kind == ControlKind::kMultiLineText;
}

}  // namespace

InMemoryDialog::InMemoryDialog(int templateId, DialogLogic& logic)
    : InMemoryDialog(templateId, logic, nullptr) {}

InMemoryDialog::InMemoryDialog(int templateId, DialogLogic& logic, InMemoryDialog* root)
    : template_(FindDialogTemplate(templateId)), logic_(logic), root_(root ? root : this) {
    if (template_ == nullptr) {
        return;
    }
    controls_.reserve(template_->controlCount);
    for (size_t i = 0; i < template_->controlCount; ++i) {
        Control control;
        control.spec = &template_->controls[i];
        control.text = Widen(control.spec->text);
        size_t columnCount = 0;
        const ListColumnTemplate* columns =
            ListColumnsOf(template_->id, control.spec->id, &columnCount);
        for (size_t c = 0; c < columnCount; ++c) {
            control.columns.push_back(Widen(columns[c].title));
        }
        controls_.push_back(control);
    }
}

InMemoryDialog::~InMemoryDialog() {
    Destroy();
}

InMemoryDialog::Control* InMemoryDialog::Find(int id) {
    for (Control& control : controls_) {
        if (control.spec->id == id) {
            return &control;
        }
    }
    return nullptr;
}

const InMemoryDialog::Control* InMemoryDialog::Find(int id) const {
    return const_cast<InMemoryDialog*>(this)->Find(id);
}

InMemoryDialog::Control* InMemoryDialog::Usable(int id, ControlKind kind) {
    Control* control = Find(id);
    if (!IsOpen() || control == nullptr || !control->enabled || control->spec->kind != kind) {
        return nullptr;
    }
    return control;
}

intptr_t InMemoryDialog::Open() {
    if (template_ == nullptr || opened_) {
        return 0;
    }
    opened_ = true;
    const intptr_t result = logic_.OnInit(*this);
    lastResult_ = result;
    if (result != 0 && IsOpen()) {
        // The dialog manager focuses the first enabled tab stop.
        for (const Control& control : controls_) {
            if (IsTabStop(control.spec->kind) && control.enabled) {
                MoveFocus(control.spec->id);
                break;
            }
        }
    }
    return result;
}

void InMemoryDialog::Destroy() {
    if (opened_ && !destroyed_) {
        destroyed_ = true;
        logic_.OnDestroy();
    }
}

void InMemoryDialog::Command(int id, int code) {
    lastResult_ = logic_.OnCommand(id, code);
}

void InMemoryDialog::MoveFocus(int id) {
    if (focus_ == id) {
        return;
    }
    const Control* old = Find(focus_);
    focus_ = id;
    if (old != nullptr && IsEditKind(old->spec->kind)) {
        Command(old->spec->id, kEnKillFocus);
    }
    const Control* now = Find(id);
    if (now != nullptr && IsEditKind(now->spec->kind) && focus_ == id) {
        Command(id, kEnSetFocus);
    }
}

void InMemoryDialog::SetText(Control& control, std::wstring text) {
    control.text = std::move(text);
    // An edit reports every change of its text, also one made by the program.
    if (control.spec->kind == ControlKind::kEdit && opened_ && !destroyed_) {
        Command(control.spec->id, kEnChange);
    }
}

int InMemoryDialog::Clamp(const Control& control, int position) {
    return std::min(std::max(position, control.minimum), control.maximum);
}

// The user ----------------------------------------------------------------------------------

bool InMemoryDialog::Click(int id) {
    Control* control = Find(id);
    if (!IsOpen() || control == nullptr || !control->enabled) {
        return false;
    }
    switch (control->spec->kind) {
        case ControlKind::kPushButton:
        case ControlKind::kBitmapButton:
        case ControlKind::kPushLikeCheckBox:
        case ControlKind::kRadioButton:
            MoveFocus(id);
            Command(id, kBnClicked);
            return true;
        case ControlKind::kCheckBox:
            MoveFocus(id);
            control->checked = !control->checked;
            Command(id, kBnClicked);
            return true;
        case ControlKind::kLabel:
            if ((control->spec->options & kNotify) == 0) {
                return false;
            }
            Command(id, kStnClicked);
            return true;
        default:
            return false;
    }
}

bool InMemoryDialog::Type(int id, const std::wstring& text) {
    Control* control = Usable(id, ControlKind::kEdit);
    if (control == nullptr || (control->spec->options & kReadOnly) != 0) {
        return false;
    }
    MoveFocus(id);
    SetText(*control, text);
    return true;
}

bool InMemoryDialog::Leave(int id) {
    if (!IsOpen() || focus_ != id || focus_ == 0) {
        return false;
    }
    MoveFocus(0);
    return true;
}

bool InMemoryDialog::Drag(int id, int position) {
    Control* control = Usable(id, ControlKind::kTrackbar);
    if (control == nullptr) {
        return false;
    }
    MoveFocus(id);
    control->position = Clamp(*control, position);
    lastResult_ = logic_.OnHScroll(kTbThumbTrack, id);
    return true;
}

bool InMemoryDialog::Release(int id) {
    if (Usable(id, ControlKind::kTrackbar) == nullptr) {
        return false;
    }
    MoveFocus(id);
    lastResult_ = logic_.OnHScroll(kTbThumbPosition, id);
    lastResult_ = logic_.OnHScroll(kTbEndTrack, id);
    return true;
}

bool InMemoryDialog::Scroll(int id, int code) {
    if (Usable(id, ControlKind::kTrackbar) == nullptr) {
        return false;
    }
    lastResult_ = logic_.OnHScroll(code, id);
    return true;
}

bool InMemoryDialog::Pick(int id, int row) {
    Control* control = Usable(id, ControlKind::kDropDownList);
    if (control == nullptr || row < 0 || static_cast<size_t>(row) >= control->items.size()) {
        return false;
    }
    MoveFocus(id);
    control->selection = row;
    Command(id, kCbnSelChange);
    return true;
}

bool InMemoryDialog::SelectRow(int id, int row) {
    Control* control = Usable(id, ControlKind::kListView);
    if (control == nullptr || row < kListNoSelection ||
        row >= static_cast<int>(control->rows.size())) {
        return false;
    }
    MoveFocus(id);
    if (control->selection != row) {
        control->selection = row;
        Command(id, kLvnItemChanged);
    }
    return true;
}

bool InMemoryDialog::DoubleClickRow(int id, int row) {
    if (row < 0 || !SelectRow(id, row)) {
        return false;
    }
    Command(id, kNmDblClk);
    return true;
}

bool InMemoryDialog::ChooseMenuCommand(int id) {
    for (const DeclaredCommand& command : commands_) {
        if (command.id == id && command.enabled && IsOpen()) {
            lastResult_ = logic_.OnMenuCommand(id);
            return true;
        }
    }
    return false;
}

bool InMemoryDialog::PressShortcut(char ctrlKey) {
    for (const DeclaredCommand& command : commands_) {
        if (command.ctrlKey != 0 && command.ctrlKey == ctrlKey) {
            return ChooseMenuCommand(command.id);
        }
    }
    return false;
}

void InMemoryDialog::QueueFileChoice(const std::string& pathUtf8) {
    root_->fileAnswers_.emplace_back(true, pathUtf8);
}

void InMemoryDialog::QueueFileCancel() {
    root_->fileAnswers_.emplace_back(false, std::string());
}

void InMemoryDialog::QueueMessageAnswer(bool yesOrOk) {
    root_->messageAnswers_.push_back(yesOrOk);
}

void InMemoryDialog::PressEnter() {
    if (IsOpen()) {
        Command(kIdOk, kBnClicked);
    }
}

void InMemoryDialog::PressEscape() {
    if (IsOpen()) {
        Command(kIdCancel, kBnClicked);
    }
}

void InMemoryDialog::PressCloseBox() {
    if (!IsOpen()) {
        return;
    }
    lastResult_ = logic_.OnClose();
    if (lastResult_ == 0 && IsOpen()) {
        Command(kIdCancel, kBnClicked);
    }
}

size_t InMemoryDialog::Pump() {
    size_t waiting = 0;
    {
        std::lock_guard<std::mutex> guard(postLock_);
        waiting = posts_.size();
    }
    size_t delivered = 0;
    for (; waiting > 0; --waiting) {
        std::pair<uintptr_t, intptr_t> message;
        {
            std::lock_guard<std::mutex> guard(postLock_);
            message = posts_.front();
            posts_.pop_front();
        }
        // A message that arrives after the dialog ended is dropped with the window.
        if (IsOpen()) {
            lastResult_ = logic_.OnUser(message.first, message.second);
            ++delivered;
        }
    }
    return delivered;
}

size_t InMemoryDialog::PendingPosts() const {
    std::lock_guard<std::mutex> guard(postLock_);
    return posts_.size();
}

// What the user sees --------------------------------------------------------------------------

std::wstring InMemoryDialog::Text(int id) const {
    const Control* control = Find(id);
    return control ? control->text : std::wstring();
}

std::string InMemoryDialog::TextA(int id) const {
    return Narrow(Text(id));
}

bool InMemoryDialog::Checked(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->checked;
}

bool InMemoryDialog::Enabled(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->enabled;
}

int InMemoryDialog::Position(int id) const {
    const Control* control = Find(id);
    return control ? control->position : 0;
}

std::pair<int, int> InMemoryDialog::Range(int id) const {
    const Control* control = Find(id);
    return control ? std::make_pair(control->minimum, control->maximum) : std::make_pair(0, 0);
}

std::vector<std::wstring> InMemoryDialog::ComboItems(int id) const {
    const Control* control = Find(id);
    return control ? control->items : std::vector<std::wstring>();
}

int InMemoryDialog::ComboSelection(int id) const {
    const Control* control = Find(id);
    return control ? control->selection : kComboNoSelection;
}

int InMemoryDialog::Bitmap(int id) const {
    const Control* control = Find(id);
    return control ? control->bitmap : 0;
}

bool InMemoryDialog::HasFontChange(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->fontChanged;
}

FontChange InMemoryDialog::FontOf(int id) const {
    const Control* control = Find(id);
    return control ? control->font : FontChange{false, 0, 0};
}

bool InMemoryDialog::IsLink(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->link;
}

std::vector<std::wstring> InMemoryDialog::ListColumnTitles(int id) const {
    const Control* control = Find(id);
    return control ? control->columns : std::vector<std::wstring>();
}

const std::vector<std::vector<std::wstring>>& InMemoryDialog::ListRows(int id) const {
    static const std::vector<std::vector<std::wstring>> kNone;
    const Control* control = Find(id);
    return control ? control->rows : kNone;
}

int InMemoryDialog::ListSelection(int id) const {
    const Control* control = Find(id);
    return control != nullptr && control->spec->kind == ControlKind::kListView ? control->selection
                                                                               : kListNoSelection;
}

int InMemoryDialog::LineCount(int id) const {
    const Control* control = Find(id);
    if (control == nullptr) {
        return 0;
    }
    if (control->spec->kind != ControlKind::kMultiLineText) {
        return 1;
    }
    int lines = 1;
    for (size_t at = control->text.find(L"\r\n"); at != std::wstring::npos;
         at = control->text.find(L"\r\n", at + 2)) {
        ++lines;
    }
    return lines;
}

// DialogHost ----------------------------------------------------------------------------------

void InMemoryDialog::SetItemText(int id, const wchar_t* text) {
    Control* control = Find(id);
    if (control != nullptr) {
        SetText(*control, text ? std::wstring(text) : std::wstring());
    }
}

void InMemoryDialog::SetItemTextA(int id, const char* text) {
    Control* control = Find(id);
    if (control != nullptr) {
        SetText(*control, Widen(text ? text : ""));
    }
}

uint32_t InMemoryDialog::GetItemTextA(int id, char* buffer, uint32_t capacity) {
    if (buffer == nullptr || capacity == 0) {
        return 0;
    }
    const std::string text = TextA(id);
    const uint32_t count =
        static_cast<uint32_t>(std::min<size_t>(text.size(), static_cast<size_t>(capacity - 1)));
    std::copy(text.begin(), text.begin() + count, buffer);
    buffer[count] = '\0';
    return count;
}

void InMemoryDialog::SetItemInt(int id, uint32_t value, bool isSigned) {
    SetItemText(id, DialogIntText(value, isSigned).c_str());
}

uint32_t InMemoryDialog::GetItemInt(int id, bool isSigned) {
    return DialogIntFromText(Text(id), isSigned);
}

void InMemoryDialog::CheckItem(int id, bool checked) {
    Control* control = Find(id);
    if (control != nullptr && IsButtonKind(control->spec->kind)) {
        control->checked = checked;
    }
}

bool InMemoryDialog::IsItemChecked(int id) {
    return Checked(id);
}

void InMemoryDialog::EnableItem(int id, bool enabled) {
    Control* control = Find(id);
    if (control != nullptr) {
        control->enabled = enabled;
    }
}

void InMemoryDialog::SetButtonBitmap(int id, int bitmapResourceId) {
    Control* control = Find(id);
    if (control != nullptr && control->spec->kind == ControlKind::kBitmapButton) {
        control->bitmap = bitmapResourceId;
    }
}

void InMemoryDialog::ComboAddString(int id, const wchar_t* text) {
    Control* control = Find(id);
    if (control != nullptr && control->spec->kind == ControlKind::kDropDownList) {
        control->items.push_back(text ? text : L"");
    }
}

void InMemoryDialog::ComboSetSelection(int id, int index) {
    Control* control = Find(id);
    if (control == nullptr || control->spec->kind != ControlKind::kDropDownList) {
        return;
    }
    const bool inRange = index >= 0 && static_cast<size_t>(index) < control->items.size();
    control->selection = inRange ? index : kComboNoSelection;
}

int InMemoryDialog::ComboGetSelection(int id) {
    return ComboSelection(id);
}

void InMemoryDialog::TrackbarSetRange(int id, int minimum, int maximum) {
    Control* control = Find(id);
    if (control == nullptr || control->spec->kind != ControlKind::kTrackbar) {
        return;
    }
    control->minimum = minimum;
    control->maximum = std::max(minimum, maximum);
    control->position = Clamp(*control, control->position);
}

void InMemoryDialog::TrackbarSetPos(int id, int position) {
    Control* control = Find(id);
    if (control != nullptr && control->spec->kind == ControlKind::kTrackbar) {
        control->position = Clamp(*control, position);
    }
}

int InMemoryDialog::TrackbarGetPos(int id) {
    const Control* control = Find(id);
    return control != nullptr && control->spec->kind == ControlKind::kTrackbar ? control->position
                                                                               : 0;
}

void InMemoryDialog::ListSetColumns(int id, const ListColumn* columns, size_t count) {
    Control* control = Find(id);
    if (control == nullptr || control->spec->kind != ControlKind::kListView) {
        return;
    }
    control->columns.clear();
    for (size_t i = 0; i < count; ++i) {
        control->columns.push_back(columns[i].title ? columns[i].title : L"");
    }
    control->rows.clear();
    control->selection = kListNoSelection;
}

void InMemoryDialog::ListClear(int id) {
    Control* control = Find(id);
    if (control != nullptr && control->spec->kind == ControlKind::kListView) {
        control->rows.clear();
        control->selection = kListNoSelection;
    }
}

int InMemoryDialog::ListAddRow(int id, const wchar_t* const* cells, size_t count) {
    Control* control = Find(id);
    if (control == nullptr || control->spec->kind != ControlKind::kListView) {
        return -1;
    }
    // A list view keeps one text per column; more are dropped.
    std::vector<std::wstring> row(control->columns.size());
    for (size_t i = 0; i < count && i < row.size(); ++i) {
        row[i] = cells[i] ? cells[i] : L"";
    }
    control->rows.push_back(std::move(row));
    return static_cast<int>(control->rows.size()) - 1;
}

int InMemoryDialog::ListRowCount(int id) {
    const Control* control = Find(id);
    return control != nullptr && control->spec->kind == ControlKind::kListView
               ? static_cast<int>(control->rows.size())
               : 0;
}

int InMemoryDialog::ListGetSelection(int id) {
    return ListSelection(id);
}

void InMemoryDialog::ListSetSelection(int id, int row) {
    Control* control = Find(id);
    if (control != nullptr && control->spec->kind == ControlKind::kListView) {
        const bool inRange = row >= 0 && static_cast<size_t>(row) < control->rows.size();
        control->selection = inRange ? row : kListNoSelection;
    }
}

ControlHandle InMemoryDialog::ItemHandle(int id) {
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (controls_[i].spec->id == id) {
            return kHandleBase + i;
        }
    }
    return 0;
}

void InMemoryDialog::SetItemFont(int id, const FontChange& change) {
    Control* control = Find(id);
    if (control != nullptr) {
        control->fontChanged = true;
        control->font = change;
    }
}

void InMemoryDialog::MakeLink(int id) {
    Control* control = Find(id);
    if (control != nullptr) {
        control->link = true;
    }
}

void InMemoryDialog::OpenUrl(const wchar_t* url) {
    openedUrls_.push_back(url ? url : L"");
}

bool InMemoryDialog::OpenFolder(const std::string& pathUtf8) {
    std::error_code error;
    if (pathUtf8.empty() ||
        !std::filesystem::is_directory(std::filesystem::u8path(pathUtf8), error)) {
        return false;
    }
    root_->openedFolders_.push_back(pathUtf8);
    return true;
}

bool InMemoryDialog::ChooseFile(FileRequest request, std::string* pathUtf8) {
    root_->fileRequests_.push_back(std::move(request));
    if (root_->fileAnswers_.empty()) {
        return false;
    }
    const std::pair<bool, std::string> answer = root_->fileAnswers_.front();
    root_->fileAnswers_.pop_front();
    if (answer.first && pathUtf8 != nullptr) {
        *pathUtf8 = answer.second;
    }
    return answer.first;
}

bool InMemoryDialog::ChooseFileToOpen(const wchar_t* title, const FileTypeFilter& filter,
                                      std::string* pathUtf8) {
    return ChooseFile({false, title ? title : L"", filter.description ? filter.description : L"",
                       filter.pattern ? filter.pattern : L"", L""},
                      pathUtf8);
}

bool InMemoryDialog::ChooseFileToSave(const wchar_t* title, const FileTypeFilter& filter,
                                      const wchar_t* suggestedName, std::string* pathUtf8) {
    return ChooseFile({true, title ? title : L"", filter.description ? filter.description : L"",
                       filter.pattern ? filter.pattern : L"", suggestedName ? suggestedName : L""},
                      pathUtf8);
}

bool InMemoryDialog::ShowMessage(MessageKind kind, const wchar_t* text) {
    root_->messages_.push_back({kind, text ? text : L""});
    if (root_->messageAnswers_.empty()) {
        return kind != MessageKind::kQuestion;
    }
    const bool answer = root_->messageAnswers_.front();
    root_->messageAnswers_.pop_front();
    return answer;
}

bool InMemoryDialog::SetMenuCommands(const MenuCommand* commands, size_t count) {
    if (!AreMenuCommandsValid(commands, count)) {
        return false;
    }
    commands_.clear();
    for (size_t i = 0; i < count; ++i) {
        commands_.push_back({commands[i].id, commands[i].text ? commands[i].text : L"",
                             commands[i].ctrlKey, commands[i].enabled});
    }
    return true;
}

void InMemoryDialog::EnableMenuCommand(int id, bool enabled) {
    for (DeclaredCommand& command : commands_) {
        if (command.id == id) {
            command.enabled = enabled;
        }
    }
}

void InMemoryDialog::Post(uintptr_t wParam, intptr_t lParam) {
    std::lock_guard<std::mutex> guard(postLock_);
    posts_.emplace_back(wParam, lParam);
}

void InMemoryDialog::End(intptr_t result) {
    if (IsOpen()) {
        ended_ = true;
        result_ = result;
        // The dialog manager takes the focus off the ending dialog's control: an edit that had
        // it reports EN_KILLFOCUS before End returns.
        MoveFocus(0);
    }
}

void InMemoryDialog::ScriptChild(int templateId, ChildScript script) {
    root_->scripts_[templateId].push_back(std::move(script));
}

intptr_t InMemoryDialog::RunChild(int templateId, DialogLogic& logic) {
    InMemoryDialog child(templateId, logic, root_);
    if (!child.HasTemplate()) {
        return -1;
    }
    root_->childrenRun_.push_back(templateId);
    ChildScript script;
    std::deque<ChildScript>& queue = root_->scripts_[templateId];
    if (!queue.empty()) {
        script = std::move(queue.front());
        queue.pop_front();
    }
    child.Open();
    if (script && child.IsOpen()) {
        script(child);
    }
    if (child.IsOpen()) {
        child.PressCloseBox();
    }
    // A modal loop that nothing ends would never return; report it as a failure to show.
    const intptr_t result = child.Ended() ? child.Result() : -1;
    child.Destroy();
    return result;
}

}  // namespace axistune
