#pragma once

#include <functional>

class QApplication;

namespace axistune {

class QtDialog;

// Whether the run starts in the user's night-mode choice and keeps each switch of it. A
// driver that takes screenshots neither follows nor changes the user's choice.
enum class NightModeMemory { kUsersChoice, kNone };

// The Linux program: the session wires the engine, the main window runs modally, and the
// session shuts everything down in the same order as the Windows program does. whenOpened
// sees every dialog once it is shown (the quick start's headless driver uses it). Returns the
// process's exit code: 1 when it could not start.
int RunLinuxProgram(QApplication& application,
                    const std::function<void(QtDialog& dialog)>& whenOpened = {},
                    NightModeMemory nightMode = NightModeMemory::kUsersChoice);

}  // namespace axistune
