// kestrune-bench-startup PROGRAM [RUNS]: starts the built program RUNS times on the X display
// in $DISPLAY and times each from the spawn to the X server mapping its window (the MapNotify
// event, seen at once rather than by polling), then closes the window as a user would.
// Prints the result as Markdown.

#include "bench/far_end.h"
#include "bench/stats.h"

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using kestrune::bench::monotonicNs;

constexpr char kTitle[] = "Kestrune Version";
constexpr int kDefaultRuns = 20;
constexpr int kMapTimeoutMs = 30000;
constexpr int kExitTimeoutMs = 10000;
constexpr int kBetweenRunsUs = 300'000;
constexpr double kNsPerMs = 1e6;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "kestrune-bench-startup: %s\n", what);
    std::exit(1);
}

xcb_atom_t atom(xcb_connection_t* x, const char* name) {
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(x, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(x, cookie, nullptr), &std::free);
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

std::string title(xcb_connection_t* x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type) {
    const xcb_get_property_cookie_t cookie = xcb_get_property(x, 0, window, property, type, 0, 256);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(x, cookie, nullptr), &std::free);
    if (!reply) {
        return {};
    }
    const auto* text = static_cast<const char*>(xcb_get_property_value(reply.get()));
    return std::string(text, static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

struct Display {
    xcb_connection_t* x = nullptr;
    xcb_window_t root = 0;
    xcb_atom_t netWmName = 0;
    xcb_atom_t utf8 = 0;
    xcb_atom_t protocols = 0;
    xcb_atom_t deleteWindow = 0;

    bool isOurs(xcb_window_t window) const {
        const std::string name =
            title(x, window, netWmName, utf8) + title(x, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        return name.find(kTitle) != std::string::npos;
    }

    // The time the window of the program was mapped, or 0.
    std::int64_t waitForMap(std::int64_t deadline, xcb_window_t& mapped) const {
        while (monotonicNs() < deadline) {
            pollfd fd{xcb_get_file_descriptor(x), POLLIN, 0};
            const auto left = static_cast<int>((deadline - monotonicNs()) / 1'000'000);
            if (poll(&fd, 1, std::max(left, 1)) < 0 && errno != EINTR) {
                return 0;
            }
            while (xcb_generic_event_t* event = xcb_poll_for_event(x)) {
                const std::int64_t at = monotonicNs();
                const bool map = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
                const xcb_window_t window =
                    map ? reinterpret_cast<xcb_map_notify_event_t*>(event)->window : 0;
                std::free(event);
                if (map && isOurs(window)) {
                    mapped = window;
                    return at;
                }
            }
            if (xcb_connection_has_error(x) != 0) {
                return 0;
            }
        }
        return 0;
    }

    // What the window manager's close button sends.
    void close(xcb_window_t window) const {
        xcb_client_message_event_t message{};
        message.response_type = XCB_CLIENT_MESSAGE;
        message.format = 32;
        message.window = window;
        message.type = protocols;
        message.data.data32[0] = deleteWindow;
        message.data.data32[1] = XCB_CURRENT_TIME;
        xcb_send_event(x, 0, window, XCB_EVENT_MASK_NO_EVENT,
                       reinterpret_cast<const char*>(&message));
        xcb_flush(x);
    }
};

bool exited(pid_t pid, int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            return true;
        }
        usleep(10'000);
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        fail("usage: kestrune-bench-startup PROGRAM [RUNS]");
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : kDefaultRuns;
    if (runs < 1) {
        fail("RUNS must be at least 1");
    }
    Display display;
    display.x = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(display.x) != 0) {
        fail("cannot open the display in $DISPLAY");
    }
    display.root = xcb_setup_roots_iterator(xcb_get_setup(display.x)).data->root;
    display.netWmName = atom(display.x, "_NET_WM_NAME");
    display.utf8 = atom(display.x, "UTF8_STRING");
    display.protocols = atom(display.x, "WM_PROTOCOLS");
    display.deleteWindow = atom(display.x, "WM_DELETE_WINDOW");
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(display.x, display.root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(display.x);

    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);

    std::vector<double> startMs;
    for (int run = 0; run < runs; ++run) {
        char* args[] = {argv[1], nullptr};
        pid_t pid = 0;
        const std::int64_t spawned = monotonicNs();
        if (posix_spawn(&pid, argv[1], &quiet, nullptr, args, environ) != 0) {
            fail("cannot start the program");
        }
        xcb_window_t window = 0;
        const std::int64_t mapped =
            display.waitForMap(spawned + std::int64_t{kMapTimeoutMs} * 1'000'000, window);
        if (mapped == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            fail("the window was not mapped in time");
        }
        startMs.push_back(static_cast<double>(mapped - spawned) / kNsPerMs);
        display.close(window);
        if (!exited(pid, kExitTimeoutMs)) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            fail("the program did not end when its window was closed");
        }
        usleep(kBetweenRunsUs);
    }
    posix_spawn_file_actions_destroy(&quiet);
    xcb_disconnect(display.x);

    std::string each;
    for (const double ms : startMs) {
        char text[32];
        std::snprintf(text, sizeof text, "%.0f ", ms);
        each += text;
    }
    if (!each.empty()) {
        each.pop_back();
    }
    std::printf("| Measure | Result | Target | |\n|---|---|---|---|\n");
    std::printf("| Start-up, spawn to window mapped, median of %d | %.1f ms (min %.1f, max %.1f; "
                "each in order: %s) | | |\n",
                runs, kestrune::bench::percentile(startMs, 50),
                kestrune::bench::percentile(startMs, 0), kestrune::bench::largest(startMs),
                each.c_str());
    return 0;
}
