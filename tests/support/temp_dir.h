#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

// A fresh directory of its own under the system's temporary one, removed with
// everything in it when the object goes.
class TempDir {
public:
    explicit TempDir(const std::string& what)
    {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("rockdrift-" + what + "-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};
