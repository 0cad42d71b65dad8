// The browser: the images are files of the page's in-memory file system,
// packed into rockdrift.data and unpacked before main runs.
#include <cstdio>

#include "platform.h"

bool read_image_file(const char* filename, std::vector<unsigned char>& buffer, std::size_t largest)
{
    // No pipes or devices among the page's files: a plain read is safe.
    std::FILE* file = std::fopen(filename, "rb");
    if (file == nullptr) {
        return false;
    }
    bool whole = std::fseek(file, 0, SEEK_END) == 0;
    const long size = whole ? std::ftell(file) : -1;
    whole = size >= 0 && static_cast<std::size_t>(size) <= largest && std::fseek(file, 0, SEEK_SET) == 0;
    if (whole) {
        buffer.resize(static_cast<std::size_t>(size));
        whole = std::fread(buffer.data(), 1, buffer.size(), file) == buffer.size();
    }
    std::fclose(file);
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
