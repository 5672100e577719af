#pragma once

#include <string>

namespace axistune {

// Texts that reach the dialogs as UTF-8 (the settings keeper's messages, file names, the setting
// table's names) in the wide form the dialog host takes. A byte that is not UTF-8 becomes U+FFFD.
std::wstring WideText(const std::string& utf8);

}  // namespace axistune
