#pragma once

// What the inventory tests share: Qt started (its SQLite driver is a plugin
// found through the application object), a fresh folder per test, and pager
// images with a chosen call 1 address and levels.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "image/pager_image.h"
#include "inventory/inventory.h"

namespace mk843nb::inventory::test {

void StartQt();

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it.
class Folder {
public:
    Folder();
    ~Folder();
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// The default image with call 1 answering to tone1/tone2 (tenths of a hertz),
// its levels set and a good checksum; salt changes a byte no key reads.
PagerImage ImageOf(std::uint32_t tone1, std::uint32_t tone2, std::uint32_t rssi, std::uint32_t ssi,
                   std::uint32_t rssi2, std::uint8_t salt = 0);

std::vector<std::uint8_t> FileBytes(const std::string& path);

// Opens the inventory or fails the test, saying why.
std::unique_ptr<Inventory> OpenOrFail(const std::string& path);

class InventoryTest : public ::testing::Test {
protected:
    void SetUp() override;
    Folder folder_;
    std::string path_;
    std::unique_ptr<Inventory> inventory_;
};

}  // namespace mk843nb::inventory::test
