#include "x_session.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

VirtualDisplay::VirtualDisplay()
{
    int pipe_fds[2];
    if (pipe(pipe_fds) != 0) {
        return;
    }
    server = fork();
    if (server == 0) {
        close(pipe_fds[0]);
        const std::string fd = std::to_string(pipe_fds[1]);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1280x1024x24", "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipe_fds[1]);
    if (server < 0) {
        close(pipe_fds[0]);
        return;
    }
    // Xvfb writes the display number once it accepts connections.
    std::string number;
    char c = 0;
    while (read(pipe_fds[0], &c, 1) == 1 && c != '\n') {
        number += c;
    }
    close(pipe_fds[0]);
    if (!number.empty()) {
        name = ":" + number;
        setenv("DISPLAY", name.c_str(), 1);
    }
}

VirtualDisplay::~VirtualDisplay()
{
    if (server > 0) {
        kill(server, SIGTERM);
        waitpid(server, nullptr, 0);
    }
}

namespace {

// Windows come and go while the tests look at them: an error about one that
// has just gone is expected, not fatal.
int ignore_x_errors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

XClient::XClient() : display(XOpenDisplay(nullptr))
{
    XSetErrorHandler(ignore_x_errors);
}

XClient::~XClient()
{
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

Window XClient::find(const std::string& title, std::chrono::milliseconds timeout)
{
    std::vector<Window> found;
    poll_until([&] { return !(found = find_all(title)).empty(); }, timeout, std::chrono::milliseconds(10));
    return found.empty() ? 0 : found.front();
}

// WM_NAME, or the UTF-8 _NET_WM_NAME that some programs (Weston) set alone.
std::string XClient::title_of(Window w)
{
    std::string title;
    XTextProperty text{};
    if ((XGetWMName(display, w, &text) != 0 ||
         XGetTextProperty(display, w, &text, XInternAtom(display, "_NET_WM_NAME", False)) != 0) &&
        text.value != nullptr) {
        title.assign(reinterpret_cast<const char*>(text.value), text.nitems);
        XFree(text.value);
    }
    return title;
}

std::vector<Window> XClient::find_all(const std::string& title)
{
    std::vector<Window> found;
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (title == title_of(children[i]) && XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable) {
                found.push_back(children[i]);
            }
        }
        XFree(children);
    }
    return found;
}

Screenshot XClient::capture(Window w)
{
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, w, &attributes) == 0) {
        return Screenshot{};
    }
    return capture(w, 0, 0, attributes.width, attributes.height);
}

Screenshot XClient::capture(Window w, int x, int y, int width, int height)
{
    Screenshot shot;
    XImage* image = XGetImage(display, w, x, y, unsigned(width), unsigned(height), AllPlanes, ZPixmap);
    if (image == nullptr) {
        return shot;
    }
    shot.width = width;
    shot.height = height;
    shot.pixels.resize(std::size_t(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int column = 0; column < width; ++column) {
            const unsigned long p = XGetPixel(image, column, row);
            const std::uint32_t r = (p & image->red_mask) >> 16;
            const std::uint32_t g = (p & image->green_mask) >> 8;
            const std::uint32_t b = p & image->blue_mask;
            shot.pixels[std::size_t(row) * width + column] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
    XDestroyImage(image);
    return shot;
}

void XClient::request_close(Window w)
{
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &ev);
    XFlush(display);
}

bool xdotool(const std::string& arguments)
{
    // A key or a click takes xdotool a moment; waiting for the focus of a
    // window that never takes it would take for ever.
    const std::string command = "timeout 10 xdotool " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}
