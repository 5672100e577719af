#pragma once

#include <string>

namespace axistune {

// The text of axistune.rc: dialog templates from the description in dialog_templates.cpp, plus
// the icon, bitmaps, manifest and version resources. The committed axistune.rc must equal it.
std::string WriteResourceScript();

}  // namespace axistune
