// Windows: Win32 files, and a message box for the player who started the game
// from the desktop, where a windowed program has no console.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>

#include "platform.h"

bool read_image_file(const char* filename, std::vector<unsigned char>& buffer, std::size_t largest)
{
    // Binary, as every Win32 handle is: a PNG's signature holds "\r\n" and
    // 0x1A, which a text-mode read would change or stop at.
    const HANDLE file =
        CreateFileA(filename, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    // A pipe or a device in place of an image is refused before it is read.
    LARGE_INTEGER size{};
    bool whole = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) != 0 && size.QuadPart >= 0 &&
                 static_cast<unsigned long long>(size.QuadPart) <= largest;
    if (whole) {
        buffer.resize(static_cast<std::size_t>(size.QuadPart));
        std::size_t done = 0;
        while (whole && done < buffer.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(buffer.size() - done, 1 << 30));
            whole = ReadFile(file, buffer.data() + done, want, &got, nullptr) != 0 && got > 0;
            done += got;
        }
    }
    CloseHandle(file);
    return whole;
}

// The stb decoder that SDL2_image uses here writes nothing to the console, so
// there is nothing to silence.
QuietDecoder::QuietDecoder() {}

QuietDecoder::~QuietDecoder() {}

namespace {

// A console window, a pipe or a file: something where a line can be read.
bool leads_somewhere(DWORD stream)
{
    const HANDLE handle = GetStdHandle(stream);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

} // namespace

// Explorer starts a windowed program with no standard output or error at all;
// started from a console or by a script, they lead somewhere and the line has
// been seen, or kept, there: no dialog then, which nobody might answer.
void show_error(const std::string& line)
{
    if (!leads_somewhere(STD_OUTPUT_HANDLE) && !leads_somewhere(STD_ERROR_HANDLE)) {
        MessageBoxA(nullptr, line.c_str(), "Rockdrift", MB_OK | MB_ICONERROR);
    }
}
