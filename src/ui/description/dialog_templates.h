#pragma once

#include <cstddef>
#include <cstdint>

namespace axistune {

// The one description of the dialog templates. axistune.rc is generated from it
// (resource_script.h) and the in-memory host builds its controls from it, so the window that
// Windows shows and the one the tests drive cannot drift apart.

enum class ControlKind : uint8_t {
    kLabel,             // static text
    kGroupBox,          // frame with a title
    kEtchedLine,        // etched horizontal separator
    kPushButton,        // plain push button
    kBitmapButton,      // push button showing a bitmap
    kCheckBox,          // automatic check box: a click toggles it
    kPushLikeCheckBox,  // check box drawn as a button, checked by the program only
    kRadioButton,       // plain radio button, checked by the program only
    kEdit,              // bordered edit with horizontal auto-scroll
    kDropDownList,      // combo box, drop-down list, unsorted, vertical scroll bar
    kTrackbar,          // horizontal trackbar with automatic ticks
    kListView,          // report-style list: column headers, one selected row, full-row select
    kMultiLineText,     // read-only multi-line edit with a vertical scroll bar
};

enum ControlOption : uint32_t {
    kOptionNone = 0,
    kAlignRight = 0x1,   // labels: right-aligned (left is the default)
    kAlignCenter = 0x2,  // labels: centred
    kReadOnly = 0x4,     // edits: shown only, never typed into
    kNotify = 0x8,       // labels: report clicks
};

struct ControlTemplate {
    int id;
    const char* symbol;  // the name in resource_ids.h
    ControlKind kind;
    const char* text;
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
    uint32_t options;
};

struct DialogTemplate {
    int id;
    const char* symbol;
    const char* caption;
    int16_t x;
    int16_t y;
    int16_t width;
    int16_t height;
    const ControlTemplate* controls;
    size_t controlCount;
};

// A column that a list view of the description starts with.
struct ListColumnTemplate {
    const char* title;
    int16_t width;  // dialog units
};

// Font of every dialog.
constexpr const char* kDialogFontName = "MS Shell Dlg";
constexpr int kDialogFontPoints = 8;

// The main window and its dialogs (100 to 104), then the settings dialogs (105 to 108), in
// resource order.
const DialogTemplate* DialogTemplates(size_t* count);
// Null when there is no template with that id.
const DialogTemplate* FindDialogTemplate(int id);
// Null when the template has no such control.
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);

// The columns of a list view of the description; null (count 0) for any other control.
const ListColumnTemplate* ListColumnsOf(int dialogId, int controlId, size_t* count);

// Everything but labels, group boxes and separator lines is reached with the Tab key.
bool IsTabStop(ControlKind kind);

}  // namespace axistune
