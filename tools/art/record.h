// What make_art squeezed: each folder it writes holds a record, SQUEEZED,
// with one line for each image in it as zopflipng left it: its fingerprint,
// its size in bytes and its path within the folder. The tests compare the
// committed images with it, so that the squeeze need not run in every test
// run to show that they are squeezed as the tool squeezes them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>

inline constexpr const char* SQUEEZED = "SQUEEZED";

// 64-bit FNV-1a: a different file has a different fingerprint, short of a
// deliberate collision.
inline std::uint64_t fingerprint(const std::string& bytes)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    }
    return hash;
}

// One line of the record for the file's bytes, without its path.
inline std::string record_of(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char line[64];
    std::snprintf(line, sizeof line, "%016llx %zu", static_cast<unsigned long long>(fingerprint(bytes)), bytes.size());
    return line;
}

// The record of a folder: each path's line, as record_of gives it.
inline std::map<std::string, std::string> read_record(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> record;
    std::ifstream in(folder / SQUEEZED);
    std::string hash;
    std::string size;
    std::string path;
    while (in >> hash >> size >> path) {
        record[path] = hash + " " + size;
    }
    return record;
}
