// Starts a window program on the X display in DISPLAY and times it from just before the spawn to
// the moment the X server maps its first top-level window, and to the first Expose of that
// window (the program may paint from then on). Event-driven: the X server tells this watcher,
// nothing is polled. Leaves the program running and prints its process id, so that the caller
// can go on measuring it and end it. Prints figures; never fails on a timing.
//
//   axistune_window_shown [--timeout-ms N] [--log FILE] PROGRAM [ARGS...]
//   -> "pid P mapped_ms M exposed_ms E window 0xW"   (exit 0; 1 when no window came)
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_clock.h"

extern char** environ;

namespace {

constexpr int64_t kNsPerMs = 1000000;

struct Shown {
    xcb_window_t window = XCB_WINDOW_NONE;
    int64_t mappedNs = -1;
    int64_t exposedNs = -1;
};

// The program's output goes to `log`: it outlives this watcher, and a caller that reads this
// watcher's output until its end must not wait for the program's end too.
pid_t Spawn(char** argv, const char* log) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log, O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed != 0 ? -1 : pid;
}

// Waits for the next event, at most until deadlineNs; null at the deadline or on a broken
// connection.
xcb_generic_event_t* NextEvent(xcb_connection_t* x, int64_t deadlineNs) {
    for (;;) {
        if (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
            return event;
        }
        if (xcb_connection_has_error(x) != 0) {
            return nullptr;
        }
        const int64_t leftNs = deadlineNs - bench::NowNs();
        if (leftNs <= 0) {
            return nullptr;
        }
        pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
        poll(&fd, 1, static_cast<int>(leftNs / kNsPerMs) + 1);
    }
}

// Follows the root's children from the spawn until the first top-level window of the program
// is mapped and exposed.
bool Watch(xcb_connection_t* x, xcb_window_t root, int64_t deadlineNs, Shown* shown) {
    while (shown->exposedNs < 0) {
        std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(NextEvent(x, deadlineNs),
                                                                    &free);
        if (!event) {
            return shown->mappedNs >= 0;
        }
        const int64_t now = bench::NowNs();
        switch (event->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                auto* e = reinterpret_cast<xcb_create_notify_event_t*>(event.get());
                if (e->parent == root && e->override_redirect == 0) {
                    // Selected before the program can map it: its requests come after ours
                    // only if it maps later, and Qt maps a window well after creating it.
                    const uint32_t mask = XCB_EVENT_MASK_EXPOSURE;
                    xcb_change_window_attributes(x, e->window, XCB_CW_EVENT_MASK, &mask);
                    xcb_flush(x);
                }
                break;
            }
            case XCB_MAP_NOTIFY: {
                auto* e = reinterpret_cast<xcb_map_notify_event_t*>(event.get());
                if (e->event == root && e->override_redirect == 0 && shown->mappedNs < 0) {
                    shown->window = e->window;
                    shown->mappedNs = now;
                }
                break;
            }
            case XCB_EXPOSE: {
                auto* e = reinterpret_cast<xcb_expose_event_t*>(event.get());
                if (e->window == shown->window && shown->mappedNs >= 0) {
                    shown->exposedNs = now;
                }
                break;
            }
            default:
                break;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    int64_t timeoutMs = 30000;
    const char* log = "/dev/null";
    for (; first + 1 < argc && argv[first][0] == '-'; first += 2) {
        if (std::strcmp(argv[first], "--timeout-ms") == 0) {
            timeoutMs = std::atoll(argv[first + 1]);
        } else if (std::strcmp(argv[first], "--log") == 0) {
            log = argv[first + 1];
        }
    }
    if (first >= argc) {
        std::fprintf(
            stderr,
            "usage: axistune_window_shown [--timeout-ms N] [--log FILE] PROGRAM [ARGS...]\n");
        return 2;
    }
    xcb_connection_t* x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(x) != 0) {
        std::fprintf(stderr, "cannot open the display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(x)).data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_void_cookie_t selected =
        xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &mask);
    if (xcb_generic_error_t* error = xcb_request_check(x, selected)) {
        std::free(error);
        std::fprintf(stderr, "cannot watch the root window\n");
        return 2;
    }

    const int64_t startNs = bench::NowNs();
    const pid_t pid = Spawn(argv + first, log);
    if (pid < 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[first]);
        return 2;
    }
    Shown shown;
    const bool mapped = Watch(x, root, startNs + timeoutMs * kNsPerMs, &shown);
    xcb_disconnect(x);
    if (!mapped) {
        std::fprintf(stderr, "no window within %lld ms\n", static_cast<long long>(timeoutMs));
        kill(pid, SIGTERM);
        return 1;
    }
    const double mappedMs = static_cast<double>(shown.mappedNs - startNs) / kNsPerMs;
    const double exposedMs =
        shown.exposedNs < 0 ? -1.0 : static_cast<double>(shown.exposedNs - startNs) / kNsPerMs;
    std::printf("pid %d mapped_ms %.1f exposed_ms %.1f window 0x%x\n", static_cast<int>(pid),
                mappedMs, exposedMs, shown.window);
    return 0;
}
