// Starts the program again and again and measures the time from the start of its process to the
// mapping of its first top-level window on the X server ($DISPLAY, normally Xvfb). Prints each run
// and the median. Usage: quilvar_startup_timer PROGRAM [RUNS]
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <spawn.h>
#include <sys/wait.h>
#include <vector>

extern char **environ;

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [RUNS]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        char *childArgv[] = {argv[1], nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        if (posix_spawn(&child, argv[1], nullptr, nullptr, childArgv, environ) != 0) {
            std::perror("posix_spawn");
            return 1;
        }
        xcb_window_t window = XCB_NONE;
        while (window == XCB_NONE) {
            xcb_generic_event_t *event = xcb_wait_for_event(connection);
            if (!event)
                break;
            if ((event->response_type & ~0x80) == XCB_MAP_NOTIFY)
                window = reinterpret_cast<xcb_map_notify_event_t *>(event)->window;
            std::free(event);
        }
        const double elapsed =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        // Name the window, so that a stray window of another client would show.
        const xcb_get_property_cookie_t cookie =
            xcb_get_property(connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 64);
        if (xcb_get_property_reply_t *reply = xcb_get_property_reply(connection, cookie, nullptr)) {
            std::printf("mapped: \"%.*s\"\n", xcb_get_property_value_length(reply),
                        static_cast<const char *>(xcb_get_property_value(reply)));
            std::free(reply);
        }
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
        // Drop the unmap and destroy notifications of the run that ended.
        xcb_flush(connection);
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection))
            std::free(event);
        ms.push_back(elapsed);
        std::printf("run %d: %.1f ms\n", run + 1, elapsed);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("process start to window shown: median %.1f ms of %zu runs\n", ms[ms.size() / 2], ms.size());
    xcb_disconnect(connection);
    return 0;
}
