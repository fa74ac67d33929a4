#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cli_process.h"
#include "image/pager_image.h"
#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

using test::CliRun;
using test::RunCli;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliNewTest : public ::testing::Test {
protected:
    test::TempDir temp;
    fs::path dir{temp.Path()};
};

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

// What the window saves right after a fresh start: the default image with its
// model tag, as the start-up refresh leaves it.
std::string ExpectedFreshStart() {
    PagerImage image = DefaultImage();
    image[18] = 0x8B;  // call 1 is on: its second tone's decoder word is recomputed with 0x8000
    const std::uint8_t synthesizer[] = {0x00, 0x00, 0x80, 0x11,
                                        0x00, 0x0A, 0xC0, 0x00};  // Auto found 25 kHz
    std::copy(std::begin(synthesizer), std::end(synthesizer), image.begin() + 120);
    return {image.begin(), image.end()};
}

TEST_F(CliNewTest, WritesTheFreshStartImage) {
    const fs::path file = dir / "x.tbl";
    const CliRun run = RunCli({"new", file.string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const std::string bytes = Slurp(file);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes, ExpectedFreshStart());
    EXPECT_EQ(bytes[10], 32);                               // CSpace: Auto with 25 kHz
    EXPECT_EQ(static_cast<unsigned char>(bytes[70]), 240);  // Reminder 120 s
}

TEST_F(CliNewTest, RelativeNamesResolveAgainstTheWorkingDirectory) {
    fs::create_directory(dir / "sub");
    EXPECT_EQ(RunCli({"new", "sub/rel.tbl"}, dir).status, 0);
    EXPECT_EQ(Slurp(dir / "sub" / "rel.tbl"), ExpectedFreshStart());
    EXPECT_EQ(Listing(dir / "sub"), std::vector<std::string>{"rel.tbl"});
}

TEST_F(CliNewTest, ReplacesALongerFileWithExactly256Bytes) {
    const fs::path file = dir / "long.tbl";
    std::ofstream(file, std::ios::binary) << std::string(1000, 'z');
    EXPECT_EQ(RunCli({"new", file.string()}).status, 0);
    EXPECT_EQ(Slurp(file), ExpectedFreshStart());
}

// "Save Error!" stays the first words; the file and the reason follow, so a
// user knows what to fix.
TEST_F(CliNewTest, AFileThatCannotBeWrittenIsASaveErrorWithItsReason) {
    fs::create_directory(dir / "taken.tbl");
    std::ofstream(dir / "plain") << "a file, not a folder";
    struct Case {
        std::string file;
        std::string reason;
    };
    const Case cases[] = {
        {(dir / "missing" / "x.tbl").string(),
         "the folder " + (dir / "missing").string() + " does not exist"},
        {(dir / "taken.tbl").string(), "a folder of that name is in the way"},
        {(dir / "plain" / "x.tbl").string(), (dir / "plain").string() + " is not a folder"},
        // Not even root may make files here.
        {"/sys/mk843nb-test.tbl", "permission denied"},
    };
    for (const Case& c : cases) {
        const CliRun run = RunCli({"new", c.file});
        EXPECT_EQ(run.status, 1) << c.file;
        EXPECT_EQ(run.err, "Save Error! " + c.file + ": " + c.reason + "\n");
    }
    EXPECT_TRUE(fs::is_empty(dir / "taken.tbl"));
    EXPECT_EQ(Listing(dir).size(), 2u) << "nothing left beside the files";
}

TEST_F(CliNewTest, UsageErrorsHelpAndVersion) {
    const std::vector<std::vector<std::string>> usageErrors = {
        {}, {"new"}, {"new", "a.tbl", "b.tbl"}, {"--frobnicate"}, {"frobnicate"}};
    for (const auto& args : usageErrors) {
        const CliRun run = RunCli(args);
        EXPECT_EQ(run.status, 2) << (args.empty() ? "" : args.front());
        EXPECT_FALSE(run.err.empty());
    }
    const CliRun help = RunCli({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("new"), std::string::npos);
    const CliRun version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "mk843nb-cli 3.8.5\n");
    EXPECT_TRUE(fs::is_empty(dir));
}

}  // namespace
}  // namespace mk843nb
