// axistune_drive: drives an AxisTune window that is already running, for scripts (the headless
// quick start). Every wait is bounded.
//
//   axistune_drive connect [--port N] [--baud 115200|9600] [--timeout-ms MS]
//       Waits for the main window, selects COM<N> (default 1), sets the baud box, presses
//       "Connect" and waits until the status line shows "Connection established." or an error.
//       Prints every status seen and the window's texts. Exit 0 when connected, 3 when the
//       window shows an error, 1 when no window or no result came in time.
//   axistune_drive history [--timeout-ms MS]
//       Opens the settings history through the system menu's command and selects its newest
//       entry (for a screenshot). Exit 0 once it shows, else 1.
//   axistune_drive close [--timeout-ms MS]
//       Presses the main window's close box and waits until the window is gone (exit 0, else 1).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "driver/program.h"
#include "driver/wait.h"
#include "driver/window.h"
#include "main_window_ids.h"

namespace {

constexpr int kConnected = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;
constexpr int kErrorShown = 3;

struct Options {
    std::string command;
    int port = 1;
    bool baud115200 = true;
    uint32_t timeoutMs = 30000;
};

bool Parse(int argc, char** argv, Options* o) {
    if (argc < 2) {
        return false;
    }
    o->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--port") == 0 && hasValue) {
            o->port = atoi(argv[++i]);
        } else if (strcmp(argv[i], "--baud") == 0 && hasValue) {
            const int baud = atoi(argv[++i]);
            if (baud != 115200 && baud != 9600) {
                return false;
            }
            o->baud115200 = baud == 115200;
        } else if (strcmp(argv[i], "--timeout-ms") == 0 && hasValue) {
            o->timeoutMs = static_cast<uint32_t>(atoi(argv[++i]));
        } else {
            return false;
        }
    }
    return (o->command == "connect" || o->command == "history" || o->command == "close") &&
           o->port >= 1 && o->port <= 256;
}

void PrintTexts(const e2e::Window& w) {
    printf("status:   %s\n", w.Text(e2e::id::kStatus).c_str());
    printf("firmware: %s\n", w.Text(e2e::id::kFirmware).c_str());
    printf("gear:     RA %s, Dec %s\n", w.Text(e2e::id::kRaGear).c_str(),
           w.Text(e2e::id::kDecGear).c_str());
}

int Connect(const e2e::Window& w, const Options& o) {
    if (!w.SetChecked(e2e::id::kBaud, o.baud115200) || !w.SelectRow(e2e::id::kPort, o.port - 1) ||
        !w.Click(e2e::id::kConnect)) {
        fprintf(stderr, "axistune_drive: the main window does not answer\n");
        return kFailed;
    }
    printf("pressed Connect on COM%d at %s baud\n", o.port, o.baud115200 ? "115200" : "9600");
    const std::vector<std::string> seen = w.WatchText(
        e2e::id::kStatus,
        [](const std::string& s) {
            return s == "Connection established." || s.rfind("Error:", 0) == 0;
        },
        o.timeoutMs);
    for (const std::string& s : seen) {
        if (!s.empty()) {
            printf("  status: %s\n", s.c_str());
        }
    }
    PrintTexts(w);
    fflush(stdout);
    if (seen.back() == "Connection established.") {
        return kConnected;
    }
    if (seen.back().rfind("Error:", 0) == 0) {
        return kErrorShown;
    }
    fprintf(stderr, "axistune_drive: no connection result within %u ms\n", o.timeoutMs);
    return kFailed;
}

int History(const e2e::Window& w, const Options& o) {
    constexpr WPARAM kHistoryCommand = 0x0130;
    constexpr int kHistoryList = 100;
    if (!w.Post(WM_SYSCOMMAND, kHistoryCommand, 0)) {
        return kFailed;
    }
    const e2e::Window history(e2e::WaitForTopLevel(0, "Settings history", o.timeoutMs));
    if (!history.Exists() ||
        !e2e::Window::SendTo(history.Item(kHistoryList), WM_KEYDOWN, VK_HOME, 0)) {
        fprintf(stderr, "axistune_drive: no settings history within %u ms\n", o.timeoutMs);
        return kFailed;
    }
    printf("settings history open\n");
    fflush(stdout);
    return 0;
}

int Close(const e2e::Window& w, const Options& o) {
    if (!w.Post(WM_SYSCOMMAND, SC_CLOSE, 0)) {
        return kFailed;
    }
    if (!e2e::WaitUntil(o.timeoutMs, [&] { return !w.Exists(); })) {
        fprintf(stderr, "axistune_drive: the window is still open after %u ms\n", o.timeoutMs);
        return kFailed;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!Parse(argc, argv, &o)) {
        fprintf(stderr,
                "usage: axistune_drive connect [--port N] [--baud 115200|9600] "
                "[--timeout-ms MS]\n"
                "       axistune_drive history [--timeout-ms MS]\n"
                "       axistune_drive close [--timeout-ms MS]\n");
        return kUsage;
    }
    const e2e::Window w(e2e::WaitForTopLevel(0, e2e::kMainTitle, o.timeoutMs));
    if (!w.Exists()) {
        fprintf(stderr, "axistune_drive: no window \"%s\" within %u ms\n", e2e::kMainTitle,
                o.timeoutMs);
        return kFailed;
    }
    if (o.command == "history") {
        return History(w, o);
    }
    return o.command == "connect" ? Connect(w, o) : Close(w, o);
}
