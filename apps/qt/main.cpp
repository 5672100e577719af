// axistune on Linux: the same window as the Windows program, through the Qt host.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "front_end.h"

namespace {

// Qt ends the process with an abort when it cannot reach a display; say why and end with 1.
bool DisplayReachable() {
    const char* variables[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    for (const char* name : variables) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!DisplayReachable()) {
        std::fprintf(stderr, "axistune: no display (DISPLAY or WAYLAND_DISPLAY is not set)\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AxisTune"));
    QApplication::setDesktopFileName(QStringLiteral("axistune"));
    return axistune::RunLinuxProgram(application);
}
