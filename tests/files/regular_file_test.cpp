// Reading a whole file the program only reads: what is no regular file, or is
// longer than its kind of file may be, is refused at once and said why.

#include "files/regular_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

TEST(ReadRegularFileTest, GivesTheWholeFileUpToTheLimitAndRefusesWhatIsNoRegularFile) {
    test::TempDir temp;
    constexpr std::size_t kLimit = 4096;
    std::ofstream(temp.File("empty"));
    std::ofstream(temp.File("at_limit"), std::ios::binary) << std::string(kLimit, 'x');
    std::ofstream(temp.File("over_limit"), std::ios::binary) << std::string(kLimit + 1, 'x');
    std::ofstream(temp.File("with_nul"), std::ios::binary) << std::string("a\0b", 3);
    ASSERT_EQ(::mkfifo(temp.File("pipe").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", temp.File("zero_link"));
    fs::create_directory(temp.File("folder"));
    struct Case {
        std::string name;
        std::string path;
        std::optional<std::string> text;
        std::string why;
    };
    for (const Case& c : {
             Case{"empty", temp.File("empty"), "", ""},
             Case{"exactly the limit", temp.File("at_limit"), std::string(kLimit, 'x'), ""},
             Case{"bytes of any value", temp.File("with_nul"), std::string("a\0b", 3), ""},
             Case{"one byte over", temp.File("over_limit"), std::nullopt, "larger than 4 KiB"},
             Case{"a named pipe with no writer", temp.File("pipe"), std::nullopt,
                  "a named pipe, not a regular file"},
             Case{"the endless device", "/dev/zero", std::nullopt, "a device, not a regular file"},
             Case{"a link to the endless device", temp.File("zero_link"), std::nullopt,
                  "a device, not a regular file"},
             Case{"a folder", temp.File("folder"), std::nullopt, "a folder, not a regular file"},
             Case{"missing", temp.File("missing"), std::nullopt, "No such file or directory"},
         }) {
        std::string why;
        EXPECT_EQ(ReadRegularFile(c.path, kLimit, why), c.text) << c.name;
        EXPECT_EQ(why, c.why) << c.name;
    }
}

TEST(ReadRegularFileTest, SaysTheLimitInTheUnitItIsGivenIn) {
    for (const auto& [bytes, text] : std::initializer_list<std::pair<std::size_t, std::string>>{
             {1, "1 byte"},
             {300, "300 bytes"},
             {1024, "1 KiB"},
             {1536, "1536 bytes"},
             {65536, "64 KiB"},
             {std::size_t{64} << 20, "64 MiB"},
         })
        EXPECT_EQ(SizeText(bytes), text);
}

}  // namespace
}  // namespace mk843nb
