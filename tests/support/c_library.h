#pragma once

// The rocks a game deals come from its C library's rand(), seeded with the
// second it starts in; each way of running the game has its own library. A
// program linked with c_library.cpp has rand() and srand() of its own, which
// draw the sequence of the library chosen here, so that the world built in
// the test is the one the game under test builds.
enum class CLibrary {
    Glibc,  // Linux: the desktop build, the installed game, the Linux archive
    Msvcrt, // Windows (under Wine too)
    Musl,   // the browser build's (emscripten's) C library
};

// While one exists, rand() and srand() are those of `library`.
class DealingLike {
public:
    explicit DealingLike(CLibrary library);
    ~DealingLike();
    DealingLike(const DealingLike&) = delete;
    DealingLike& operator=(const DealingLike&) = delete;

private:
    CLibrary before;
};
