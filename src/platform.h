#pragma once

// What differs between Linux, Windows and the browser that SDL does not hide.
// Each platform has one source for it (platform_linux.cpp, and so on) and
// CMake builds the one that fits; nothing else in the game asks which
// platform it runs on.
#include <cstddef>
#include <string>
#include <vector>

// Reads a whole image file into the buffer; false if it cannot. Only an
// ordinary file of at most `largest` bytes is read: a pipe or a device in
// place of an image fails like a missing file instead of blocking.
bool read_image_file(const char* filename, std::vector<unsigned char>& buffer, std::size_t largest);

// While one exists, the image decoder's own complaints about a damaged file
// stay off the console, which carries only the game's own lines.
class QuietDecoder {
public:
    QuietDecoder();
    ~QuietDecoder();
    QuietDecoder(const QuietDecoder&) = delete;
    QuietDecoder& operator=(const QuietDecoder&) = delete;

private:
    int saved = -1;
};

// Shows a line the game has just written to its console to a player who
// cannot see that console (a program started from the Windows desktop has
// none). Where the console is seen, or captured, it does nothing.
void show_error(const std::string& line);
