#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mk843nb::test {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    // Path() + "/" + name; the file is not created.
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// Points XDG_CONFIG_HOME at a folder of this process's own, removed at exit, so
// what a window test remembers (the last port, the backup option) reaches neither
// the user's settings nor another test running at the same time. Call it before
// the first QSettings is made: Qt keeps the folder it found then.
void IsolateSettings();

// The whole file; throws std::runtime_error when it cannot be read.
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
// The whole file as text; "" when it is missing (a child's output it never wrote).
std::string ReadFileText(const std::string& path);
// Creates or replaces the file; throws std::runtime_error.
void WriteFileBytes(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace mk843nb::test
