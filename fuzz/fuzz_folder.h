#pragma once

// A folder of the fuzzer's own under the temporary folder, emptied for each
// input, that the loaders read as they read a user's.

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <string_view>

namespace mk843nb::fuzz {

class FuzzFolder {
public:
    explicit FuzzFolder(std::string_view name)
        : path_(std::filesystem::temp_directory_path() /
                (std::string(name) + "-" + std::to_string(::getpid()))) {}
    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    // The folder, empty.
    const std::filesystem::path& Fresh() {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        return path_;
    }
    void Put(const std::string& name, std::string_view bytes) const {
        std::ofstream(path_ / name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace mk843nb::fuzz
