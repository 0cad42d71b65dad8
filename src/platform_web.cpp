// The browser: the images are files of the page's in-memory file system,
// which the page unpacks from its package as its bytes arrive.
#include <emscripten.h>

#include <cstdio>

#include "platform.h"

namespace {

// How long the game may keep the browser from answering input while it
// loads: decoding and uploading the 378 images takes most of a second on a
// slow phone, so the reading of the next file waits for the browser's turn
// whenever this much time has passed. The images still load in order.
constexpr double SLICE_MS = 4;

} // namespace

// The browser's turn: what is waiting runs (input, a frame of the page's
// progress), then the game goes on. A message, unlike a timeout, is not held
// back when such turns follow each other closely.
EM_ASYNC_JS(void, give_the_browser_a_turn, (), {
    await new Promise(function(next) {
        var channel = new MessageChannel();
        channel.port1.onmessage = next;
        channel.port2.postMessage(0);
    });
});

// The page unpacks the images' package as its bytes arrive, so the game may
// ask for an image that is not yet here; the page answers at once for one it
// holds, or one it never will (then the file is missing, as anywhere).
EM_JS(int, image_is_here, (const char* filename), {
    return Module["imageArrival"] && Module["imageArrival"](UTF8ToString(filename)) ? 0 : 1;
});

EM_ASYNC_JS(void, wait_for_image, (const char* filename), {
    await Module["imageArrival"](UTF8ToString(filename));
});

// The page counts the images read into its loading bar.
EM_JS(void, tell_the_page_an_image_was_read, (), {
    if (Module["imageRead"]) {
        Module["imageRead"]();
    }
});

bool read_image_file(const char* filename, std::vector<unsigned char>& buffer, std::size_t largest)
{
    static double slice_began = 0;
    if (!image_is_here(filename)) {
        wait_for_image(filename);
        slice_began = emscripten_get_now();
    } else if (emscripten_get_now() - slice_began > SLICE_MS) {
        give_the_browser_a_turn();
        slice_began = emscripten_get_now();
    }
    // No pipes or devices among the page's files: a plain read is safe.
    std::FILE* file = std::fopen(filename, "rb");
    bool whole = file != nullptr && std::fseek(file, 0, SEEK_END) == 0;
    const long size = whole ? std::ftell(file) : -1;
    whole = size >= 0 && static_cast<std::size_t>(size) <= largest && std::fseek(file, 0, SEEK_SET) == 0;
    if (whole) {
        buffer.resize(static_cast<std::size_t>(size));
        whole = std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size();
    }
    if (file != nullptr) {
        std::fclose(file);
    }
    tell_the_page_an_image_was_read();
    return whole;
}

// stb, the browser build's PNG decoder, reports a damaged file only through
// SDL's error string: there is nothing to silence, and no saved standard
// error to put back.
QuietDecoder::QuietDecoder() {}

QuietDecoder::~QuietDecoder()
{
    (void)saved;
}

// The page shows every console line under the game itself.
void show_error(const std::string&) {}
