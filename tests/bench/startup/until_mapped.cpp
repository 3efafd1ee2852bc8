// SPDX-License-Identifier: GPL-3.0-or-later
// Times a program from exec until the X server maps its top-level window of
// the given title, as the window system sees it, then kills the program:
//   veltrin_startup_until_mapped TITLE PROGRAM [ARGUMENT...]
// Prints the microseconds. Exit status 1 when no such window appears in 10 s.
#include <xcb/xcb.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string windowTitle(xcb_connection_t *connection, xcb_window_t window)
{
    const xcb_get_property_cookie_t cookie = xcb_get_property(
        connection, 0, window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY, 0, 256);
    const std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply)
        return {};
    return {static_cast<const char *>(xcb_get_property_value(reply.get())),
            static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s TITLE PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "no X display\n");
        return 2;
    }
    xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen->root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    const std::string title = argv[1];
    const auto deadline = start + std::chrono::seconds(10);
    long long micros = -1;
    pollfd fd{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (micros < 0 && std::chrono::steady_clock::now() < deadline) {
        std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(
            xcb_poll_for_event(connection), &std::free);
        if (!event) {
            poll(&fd, 1, 100);
            continue;
        }
        if ((event->response_type & 0x7F) != XCB_MAP_NOTIFY)
            continue;
        const auto mapped = std::chrono::steady_clock::now();
        const auto *map = reinterpret_cast<const xcb_map_notify_event_t *>(event.get());
        if (windowTitle(connection, map->window) == title)
            micros = std::chrono::duration_cast<std::chrono::microseconds>(mapped - start).count();
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    xcb_disconnect(connection);
    if (micros < 0) {
        std::fprintf(stderr, "no window \"%s\" was mapped\n", title.c_str());
        return 1;
    }
    std::printf("%lld\n", micros);
    return 0;
}
