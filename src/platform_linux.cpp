// Linux: POSIX files and descriptors.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform.h"

bool read_image_file(const char* filename, std::vector<unsigned char>& buffer, std::size_t largest)
{
    // Non-blocking, or opening a pipe would wait for a writer.
    const int fd = open(filename, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    struct stat info {};
    bool whole = fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) <= largest;
    if (whole) {
        buffer.resize(static_cast<std::size_t>(info.st_size));
        std::size_t done = 0;
        while (whole && done < buffer.size()) {
            const ssize_t got = read(fd, buffer.data() + done, buffer.size() - done);
            whole = got > 0;
            done += whole ? static_cast<std::size_t>(got) : 0;
        }
    }
    close(fd);
    return whole;
}

// libpng writes its warnings straight to standard error, so standard error
// points at /dev/null while the images load.
QuietDecoder::QuietDecoder() : saved(dup(STDERR_FILENO))
{
    std::fflush(stderr);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        dup2(null, STDERR_FILENO);
        close(null);
    }
}

QuietDecoder::~QuietDecoder()
{
    if (saved >= 0) {
        std::fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}

// A Linux player who starts the game from a desktop sees no console either,
// but the desktop keeps what programs write in its log; that is where such
// lines are looked for.
void show_error(const std::string&) {}
