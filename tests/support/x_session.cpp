#include "x_session.h"

#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>

#include "process.h"

using namespace std::chrono_literals;

namespace {

// The server's display number is the first line it writes to descriptor 3.
struct Server {
    std::unique_ptr<Process> process;
    std::string name;

    Server()
    {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) != 0) {
            return;
        }
        process = std::make_unique<Process>(
            Command{{"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"},
                    {},
                    {},
                    {{ends[1], 3}}});
        close(ends[1]);
        std::string number;
        char c = 0;
        while (read(ends[0], &c, 1) == 1 && c != '\n') {
            number += c;
        }
        close(ends[0]);
        if (!number.empty()) {
            name = ":" + number;
            setenv("DISPLAY", name.c_str(), 1);
        }
    }
    ~Server()
    {
        if (process) {
            process->signal(SIGTERM);
            process->wait(5s);
        }
    }
};

// Windows come and go while the tests look at them: an error about one that
// has just gone is expected, not fatal.
int ignore_x_errors(Display*, XErrorEvent*)
{
    return 0;
}

} // namespace

const std::string& x_display()
{
    static const Server server;
    return server.name;
}

XClient& x_client()
{
    static XClient client;
    return client;
}

XClient::XClient()
{
    if (!x_display().empty()) {
        display = XOpenDisplay(x_display().c_str());
    }
    XSetErrorHandler(ignore_x_errors);
}

XClient::~XClient()
{
    if (display != nullptr) {
        XCloseDisplay(display);
    }
}

// WM_NAME, or the UTF-8 _NET_WM_NAME that some programs (Weston) set alone.
std::string XClient::title_of(Window w)
{
    std::string title;
    XTextProperty text{};
    if ((XGetWMName(display, w, &text) != 0 || XGetTextProperty(display, w, &text, atom("_NET_WM_NAME")) != 0) &&
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
    if (display != nullptr && XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count) != 0) {
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

// The server's 24-bit pixels come one 32-bit word each, red in the third
// byte: the screenshot's own layout but for the alpha.
Screenshot XClient::capture(Window w, Rows rows)
{
    XWindowAttributes attributes{};
    if (w == 0 || XGetWindowAttributes(display, w, &attributes) == 0) {
        return Screenshot{};
    }
    Screenshot shot{attributes.width, attributes.height, {}};
    if (!shot.whole()) {
        rows = {0, shot.height};
    }
    XImage* image =
        XGetImage(display, w, 0, rows.top, unsigned(shot.width), unsigned(rows.bottom - rows.top), AllPlanes, ZPixmap);
    if (image == nullptr || image->bits_per_pixel != 32 || image->byte_order != LSBFirst ||
        image->red_mask != 0xFF0000 || image->green_mask != 0xFF00 || image->blue_mask != 0xFF) {
        if (image != nullptr) {
            XDestroyImage(image);
        }
        return Screenshot{};
    }
    shot.pixels.resize(std::size_t(shot.width) * shot.height);
    for (int row = rows.top; row < rows.bottom; ++row) {
        const auto* line =
            reinterpret_cast<const std::uint32_t*>(image->data + std::size_t(row - rows.top) * image->bytes_per_line);
        for (int column = 0; column < shot.width; ++column) {
            shot.pixels[std::size_t(row) * shot.width + column] = 0xFF000000u | line[column];
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
    ev.xclient.message_type = atom("WM_PROTOCOLS");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(atom("WM_DELETE_WINDOW"));
    ev.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, w, False, NoEventMask, &ev);
    XFlush(display);
}

bool XClient::ping(Window w, std::chrono::milliseconds timeout)
{
    const long id = ++pings;
    // The answer goes to the root window, for whoever listens there.
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = w;
    ev.xclient.message_type = atom("WM_PROTOCOLS");
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(atom("_NET_WM_PING"));
    ev.xclient.data.l[1] = id;
    ev.xclient.data.l[2] = static_cast<long>(w);
    XSendEvent(display, w, False, NoEventMask, &ev);
    XFlush(display);
    const Atom protocols = atom("WM_PROTOCOLS");
    bool answered = false;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!answered && std::chrono::steady_clock::now() < deadline) {
        while (!answered && XPending(display) > 0) {
            XEvent answer{};
            XNextEvent(display, &answer);
            answered = answer.type == ClientMessage && answer.xclient.message_type == protocols &&
                       answer.xclient.data.l[1] == id;
        }
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, answered ? 0 : 10);
    }
    XSelectInput(display, root, NoEventMask);
    XSync(display, True);
    return answered;
}

bool xdotool(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "xdotool");
    // A key or a click takes a moment; a focus that no window takes, for ever.
    return run({arguments}, 10s) == 0;
}
