#include "inventory_fixture.h"

#include <stdlib.h>

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "image/fields.h"

namespace mk843nb::inventory::test {

void StartQt() {
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "inventory_tests";
    static char* argv[] = {name, nullptr};
    // Left standing to the end: Qt's own globals would otherwise go first.
    new QCoreApplication(argc, argv);
}

Folder::Folder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern =
        std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/mk843nb-inventory-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error(std::string("cannot make a temporary folder: ") +
                                 std::strerror(errno));
    path_ = pattern;
}

Folder::~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

PagerImage ImageOf(std::uint32_t tone1, std::uint32_t tone2, std::uint32_t rssi, std::uint32_t ssi,
                   std::uint32_t rssi2, std::uint8_t salt) {
    PagerImage image = DefaultImage();
    SetFieldCode(image, FieldNamed("T11"), tone1);
    SetFieldCode(image, FieldNamed("T21"), tone2);
    SetFieldCode(image, FieldNamed("RSSI"), rssi);
    SetFieldCode(image, FieldNamed("SSI"), ssi);
    SetFieldCode(image, FieldNamed("RSSI2"), rssi2);
    SetFieldCode(image, FieldNamed("MiniRecTime"), salt);
    StoreChecksum(image);
    return image;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::unique_ptr<Inventory> OpenOrFail(const std::string& path) {
    auto open = Inventory::Open(path);
    EXPECT_TRUE(open.ok()) << open.error;
    return open.ok() ? std::move(*open.value) : nullptr;
}

void InventoryTest::SetUp() {
    StartQt();
    path_ = folder_.File("inventory.sqlite");
    inventory_ = OpenOrFail(path_);
    ASSERT_NE(inventory_, nullptr);
}

}  // namespace mk843nb::inventory::test
