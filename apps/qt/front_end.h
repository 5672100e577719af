#pragma once

#include <functional>

class QApplication;

namespace axistune {

class QtDialog;

// The Linux program: the session wires the engine, the main window runs modally, and the
// session shuts everything down in the same order as the Windows program does. whenOpened
// sees every dialog once it is shown (the quick start's headless driver uses it). Returns the
// process's exit code: 1 when it could not start.
int RunLinuxProgram(QApplication& application,
                    const std::function<void(QtDialog& dialog)>& whenOpened = {});

}  // namespace axistune
