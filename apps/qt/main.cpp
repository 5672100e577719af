// axistune on Linux: the same window as the Windows program, through the Qt host.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/version.h"
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

bool HasOption(int argc, char** argv, const char* option) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], option) == 0) {
            return true;
        }
    }
    return false;
}

constexpr char kUsage[] =
    "Usage: axistune [Qt options]\n"
    "Sets up the DX3, DX5 and RV5 motor controllers of telescope mounts over a serial port.\n"
    "Choose the port in the window and press Connect.\n"
    "\n"
    "  --help     show this text and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are passed to Qt. Ctrl+N switches night mode.\n"
    "axistune-cli backs up and restores settings from a terminal; dxsim simulates a controller.\n";

}  // namespace

int main(int argc, char** argv) {
    // Answered without a display, so that they work over SSH and in scripts.
    if (HasOption(argc, argv, "--version")) {
        std::printf("axistune %s\n", axistune::kVersion);
        return 0;
    }
    if (HasOption(argc, argv, "--help") || HasOption(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!DisplayReachable()) {
        std::fprintf(stderr, "axistune: no display (DISPLAY or WAYLAND_DISPLAY is not set)\n");
        return 1;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("AxisTune"));
    QApplication::setDesktopFileName(QStringLiteral("axistune"));
    return axistune::RunLinuxProgram(application);
}
