// Failing loudly with SDL's own reason, making surfaces and writing PNG files.
#include "sdl_resources.h"

#include "record.h"

#include <SDL_image.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <stdexcept>
#include <thread>

[[noreturn]] void failSdl(const std::string& what)
{
    throw std::runtime_error(what + ": " + SDL_GetError());
}

SurfacePtr makeRgbaSurface(int size)
{
    SurfacePtr s(SDL_CreateRGBSurfaceWithFormat(0, size, size, 32, SDL_PIXELFORMAT_RGBA32));
    if (!s)
        failSdl("cannot create a " + std::to_string(size) + "px surface");
    return s;
}

void savePng(SDL_Surface* s, const std::filesystem::path& path)
{
    if (IMG_SavePNG(s, path.string().c_str()) != 0) {
        throw std::runtime_error("cannot write " + path.string() + ": " + IMG_GetError());
    }
}

void squeezePngs(const std::vector<std::filesystem::path>& folders)
{
    std::vector<std::string> files;
    for (const std::filesystem::path& folder : folders) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().extension() == ".png") {
                files.push_back(entry.path().string());
            }
        }
    }
    // zopflipng -m spends a fifth of a second on each sprite: one process a
    // core at a time.
    std::atomic<std::size_t> next = 0;
    std::atomic<bool> failed = false;
    const auto squeeze = [&] {
        for (std::size_t i = next++; i < files.size(); i = next++) {
            const std::string command = "zopflipng -m -y '" + files[i] + "' '" + files[i] + "' >/dev/null";
            failed = failed || std::system(command.c_str()) != 0;
        }
    };
    std::vector<std::thread> workers(std::max(1u, std::thread::hardware_concurrency()));
    for (std::thread& worker : workers) {
        worker = std::thread(squeeze);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    if (failed) {
        throw std::runtime_error("zopflipng could not squeeze every image (Debian: zopfli)");
    }
    for (const std::filesystem::path& folder : folders) {
        std::map<std::string, std::string> record;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (entry.path().extension() == ".png") {
                record[entry.path().lexically_relative(folder).generic_string()] = record_of(entry.path());
            }
        }
        std::ofstream out(folder / SQUEEZED);
        for (const auto& [path, line] : record) {
            out << line << " " << path << "\n";
        }
    }
}
