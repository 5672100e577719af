#pragma once

#include <string>

#include "ui/dialog_host.h"
#include "ui/wide_text.h"

namespace axistune {

// An error box with the settings keeper's message (UTF-8), or `fallback` when it gave none: a
// failure is never shown as an empty box.
inline void ShowError(DialogHost& host, const std::string& message, const wchar_t* fallback) {
    const std::wstring text = message.empty() ? std::wstring(fallback) : WideText(message);
    host.ShowMessage(MessageKind::kError, text.c_str());
}

}  // namespace axistune
