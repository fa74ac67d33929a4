#include "files/table_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "files/table_file_messages.h"
#include "files/table_io.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

// Answers the dialogs from a script and records what was asked and shown.
class ScriptedUi : public TableFileUi {
public:
    std::deque<std::optional<std::string>> openAnswers;
    std::deque<std::optional<std::string>> saveAnswers;
    std::deque<bool> yesNoAnswers;
    std::vector<FileDialogRequest> requests;
    std::vector<Message> questions;
    std::vector<Message> shown;

    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override {
        requests.push_back(request);
        return Next(openAnswers);
    }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override {
        requests.push_back(request);
        return Next(saveAnswers);
    }
    bool AskYesNo(const Message& question) override {
        questions.push_back(question);
        if (yesNoAnswers.empty()) ADD_FAILURE() << "unexpected question";
        const bool answer = !yesNoAnswers.empty() && yesNoAnswers.front();
        if (!yesNoAnswers.empty()) yesNoAnswers.pop_front();
        return answer;
    }
    void Show(const Message& message) override { shown.push_back(message); }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers) {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected dialog";
            return std::nullopt;
        }
        auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

std::vector<std::uint8_t> Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::uint8_t> ImageBytes(const PagerImage& image) {
    return {image.begin(), image.end()};
}

PagerImage Patterned(std::uint8_t seed) {
    PagerImage image{};
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 7 + seed);
    return image;
}

const fs::path kFixtures = MK843NB_FIXTURES;

class TableFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "tblXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        start = pattern;
        other = start / "other";
        fs::create_directory(other);
    }
    void TearDown() override { fs::remove_all(start); }

    // Everything in a folder but sub-folders; no temporary may be left behind.
    std::vector<std::string> Listing(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (!entry.is_directory()) names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path start;
    fs::path other;
    ScriptedUi ui;
};

TEST_F(TableFileTest, OpenReplacesAsManyBytesAsTheFileHolds) {
    struct Case {
        std::size_t fileSize;
        std::size_t replaced;
    };
    for (const Case c : {Case{256, 256}, Case{300, 256}, Case{10, 10}, Case{0, 0}}) {
        std::vector<std::uint8_t> content(c.fileSize);
        for (std::size_t i = 0; i < content.size(); ++i)
            content[i] = static_cast<std::uint8_t>(0xA0 + i);
        const fs::path file = other / "t.tbl";
        WriteBytes(file, content);
        TableFile tables(ui, start);
        PagerImage image = DefaultImage();
        ui.openAnswers.push_back(file.string());
        const auto outcome = tables.OpenTable(image);
        EXPECT_TRUE(outcome.imageReplaced);
        for (std::size_t i = 0; i < kImageSize; ++i)
            ASSERT_EQ(image[i], i < c.replaced ? content[i] : DefaultImage()[i])
                << c.fileSize << " at " << i;
        EXPECT_EQ(tables.CurrentDirectory(), other);
    }
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_TRUE(ui.requests.front().fileMustExist);
    EXPECT_EQ(ui.requests.front().fileName, "");
    EXPECT_EQ(ui.requests.front().initialDir, start.string());
    EXPECT_EQ(ui.requests.front().filter, "Table files (*.tbl)|*.tbl");
    EXPECT_EQ(ui.requests.front().defaultExt, "tbl");
}

TEST_F(TableFileTest, OpenShortFixtureChangesOnlyItsBytes) {
    TableFile tables(ui, start);
    PagerImage image = DefaultImage();
    ui.openAnswers.push_back((kFixtures / "short_10_bytes.tbl").string());
    ASSERT_TRUE(tables.OpenTable(image).imageReplaced);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(image[i], 0xA0 + i);
    EXPECT_TRUE(std::equal(image.begin() + 10, image.end(), DefaultImage().begin() + 10));
}

TEST_F(TableFileTest, OpenFailuresLeaveTheImageAlone) {
    // A named pipe with no writer would keep a read waiting for ever: it is
    // refused before anything waits, like a folder or a device.
    ASSERT_EQ(::mkfifo((other / "pipe.tbl").c_str(), 0600), 0);
    fs::create_symlink(other / "pipe.tbl", other / "link.tbl");
    struct Case {
        fs::path bad;
        const char* why;
    };
    for (const Case& c : {
             Case{other / "missing.tbl", "No such file or directory"},
             Case{other, "a folder, not a regular file"},
             Case{other / "pipe.tbl", "a named pipe, not a regular file"},
             Case{other / "link.tbl", "a named pipe, not a regular file"},
             Case{"/dev/null", "a device, not a regular file"},
         }) {
        TableFile tables(ui, start);
        PagerImage image = DefaultImage();
        ui.shown.clear();
        ui.openAnswers.push_back(c.bad.string());
        EXPECT_FALSE(tables.OpenTable(image).imageReplaced) << c.bad;
        EXPECT_EQ(image, DefaultImage());
        EXPECT_EQ(ui.shown, std::vector<Message>{kOpenErrorMessage}) << c.bad;
        EXPECT_EQ(tables.OpenFailure(), c.why) << c.bad;
    }
    TableFile tables(ui, start);
    PagerImage image = DefaultImage();
    ui.openAnswers.push_back(std::nullopt);  // cancelled
    EXPECT_FALSE(tables.OpenTable(image).imageReplaced);
    EXPECT_EQ(image, DefaultImage());
}

TEST_F(TableFileTest, SaveOfTheDefaultTableAsksFirst) {
    TableFile tables(ui, start);
    ui.yesNoAnswers = {false};
    tables.SaveTable(Patterned(1));
    EXPECT_EQ(ui.questions, std::vector<Message>{kSaveDefaultQuestion});
    EXPECT_TRUE(Listing(start).empty());

    ui.yesNoAnswers = {true};
    tables.SaveTable(Patterned(1));
    EXPECT_EQ(Listing(start), std::vector<std::string>{"default.tbl"});
    EXPECT_EQ(Bytes(start / "default.tbl"), ImageBytes(Patterned(1)));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TableFileTest, SaveKeepsTheFirstBackup) {
    TableFile tables(ui, start);
    ui.yesNoAnswers = {true, true, true};
    tables.SaveTable(Patterned(1));
    tables.SaveTable(Patterned(2));
    EXPECT_EQ(Listing(start), (std::vector<std::string>{"default.BAK", "default.tbl"}));
    EXPECT_EQ(Bytes(start / "default.BAK"), ImageBytes(Patterned(1)));
    tables.SaveTable(Patterned(3));
    EXPECT_EQ(Bytes(start / "default.BAK"), ImageBytes(Patterned(1)));  // the old backup stays
    EXPECT_EQ(Bytes(start / "default.tbl"), ImageBytes(Patterned(3)));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TableFileTest, SaveAfterSaveAsWritesThatFileWithoutAsking) {
    TableFile tables(ui, start);
    const fs::path chosen = other / "pager7.tbl";
    ui.saveAnswers.push_back(chosen.string());
    tables.SaveTableAs(Patterned(1));
    EXPECT_EQ(tables.SaveFileName(), chosen.string());
    tables.SaveTable(Patterned(2));
    EXPECT_TRUE(ui.questions.empty());
    // The dialog moved the current directory to the chosen file's folder; the backup goes there.
    EXPECT_EQ(Bytes(other / "pager7.BAK"), ImageBytes(Patterned(1)));
    EXPECT_EQ(Bytes(chosen), ImageBytes(Patterned(2)));
    EXPECT_EQ(ui.requests.back().fileName, "default.tbl");
    EXPECT_TRUE(ui.requests.back().confirmOverwrite);
}

TEST_F(TableFileTest, RelativeNamesResolveAgainstTheCurrentDirectoryOnce) {
    TableFile tables(ui, start);
    ui.saveAnswers.push_back("other/rel.tbl");
    EXPECT_EQ(tables.SaveTableAs(Patterned(1)).statusText, "File Name:other/rel.tbl");
    EXPECT_EQ(Bytes(other / "rel.tbl"), ImageBytes(Patterned(1)));
    EXPECT_EQ(tables.CurrentDirectory(), other);
    ui.openAnswers.push_back("rel.tbl");  // now relative to other/
    PagerImage image{};
    EXPECT_TRUE(tables.OpenTable(image).imageReplaced);
    EXPECT_EQ(image, Patterned(1));
    tables.SaveTable(Patterned(2));
    EXPECT_EQ(Bytes(other / "rel.tbl"), ImageBytes(Patterned(2)));
    EXPECT_EQ(Bytes(other / "rel.BAK"), ImageBytes(Patterned(1)));
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TableFileTest, BackupGoesToTheCurrentDirectoryNotTheFilesFolder) {
    TableFile tables(ui, start);
    ui.saveAnswers.push_back((other / "p.tbl").string());
    tables.SaveTableAs(Patterned(1));
    WriteBytes(start / "q.tbl", ImageBytes(Patterned(7)));
    ui.openAnswers.push_back(
        (start / "q.tbl").string());  // the open dialog moves back to the start folder
    PagerImage image{};
    ASSERT_TRUE(tables.OpenTable(image).imageReplaced);
    tables.SaveTable(Patterned(2));
    EXPECT_EQ(Bytes(other / "p.tbl"), ImageBytes(Patterned(2)));
    EXPECT_EQ(Bytes(start / "p.BAK"), ImageBytes(Patterned(1)));
    EXPECT_FALSE(fs::exists(other / "p.BAK"));
}

TEST_F(TableFileTest, SaveReportsAFailedWrite) {
    TableFile tables(ui, start);
    ui.saveAnswers.push_back((other / "gone" / "x.tbl").string());
    tables.SaveTableAs(Patterned(1));
    ui.shown.clear();
    tables.SaveTable(Patterned(2));
    EXPECT_EQ(ui.shown, std::vector<Message>{kSaveErrorMessage});
}

TEST_F(TableFileTest, SaveAsWritesExactly256BytesOverALongerFile) {
    const fs::path file = start / "long.tbl";
    WriteBytes(file, std::vector<std::uint8_t>(300, 0xEE));
    TableFile tables(ui, start);
    ui.saveAnswers.push_back(file.string());
    const auto outcome = tables.SaveTableAs(Patterned(4));
    EXPECT_EQ(Bytes(file), ImageBytes(Patterned(4)));
    EXPECT_EQ(outcome.statusText, "File Name:long.tbl");
    EXPECT_EQ(Listing(start), std::vector<std::string>{"long.tbl"});
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(TableFileTest, SaveAsStatusNamesTheFileRelativeToTheStartDirectoryOrWhole) {
    TableFile tables(ui, start);
    // A folder beside the start directory whose name starts the same: only a
    // real subfolder counts as inside it.
    const fs::path sibling = start.string() + "x";
    fs::create_directory(sibling);
    const fs::path outside = fs::path(::testing::TempDir()) / "elsewhere.tbl";
    struct Case {
        fs::path chosen;
        std::string status;
    };
    for (const Case& c :
         {Case{start / "a.tbl", "File Name:a.tbl"}, Case{other / "b.tbl", "File Name:other/b.tbl"},
          Case{sibling / "c.tbl", "File Name:" + (sibling / "c.tbl").string()},
          Case{outside, "File Name:" + outside.string()}}) {
        ui.saveAnswers.push_back(c.chosen.string());
        EXPECT_EQ(tables.SaveTableAs(Patterned(5)).statusText, c.status) << c.chosen;
    }
    fs::remove_all(sibling);
    fs::remove(outside);
}

TEST_F(TableFileTest, SaveAsFailureLeavesNothingBehind) {
    const fs::path folderAsTarget = other;  // a folder cannot become a table file
    TableFile tables(ui, start);
    ui.saveAnswers = {(start / "nowhere" / "x.tbl").string(), folderAsTarget.string(),
                      std::nullopt};
    EXPECT_FALSE(tables.SaveTableAs(Patterned(1)).statusText);
    EXPECT_FALSE(tables.SaveTableAs(Patterned(1)).statusText);
    EXPECT_EQ(ui.shown, (std::vector<Message>{kSaveErrorMessage, kSaveErrorMessage}));
    EXPECT_TRUE(fs::is_directory(other));
    EXPECT_FALSE(tables.SaveTableAs(Patterned(1)).statusText);  // cancelled: no message
    EXPECT_EQ(ui.shown.size(), 2u);
    EXPECT_TRUE(Listing(start).empty());
}

TEST_F(TableFileTest, SaveAsFollowsASymbolicLinkAndKeepsPermissions) {
    const fs::path real = other / "real.tbl";
    WriteBytes(real, std::vector<std::uint8_t>(10, 0));
    fs::permissions(real, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::path link = start / "link.tbl";
    fs::create_symlink(real, link);
    TableFile tables(ui, start);
    ui.saveAnswers.push_back(link.string());
    tables.SaveTableAs(Patterned(5));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Bytes(real), ImageBytes(Patterned(5)));
    EXPECT_EQ(fs::status(real).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST_F(TableFileTest, LoadDefaultTable) {
    struct Case {
        const char* fixture;  // nullptr: no default.tbl
        bool replaced;
        std::vector<Message> shown;
    };
    const Case cases[] = {
        {nullptr, false, {}},
        {"shipped_default.tbl", true, {}},
        {"other_model.tbl", false, {kNotMk842DefaultMessage}},
        {"mk842_short_250.tbl", true, {}},
    };
    for (const Case& c : cases) {
        fs::remove(start / "default.tbl");
        if (c.fixture) fs::copy_file(kFixtures / c.fixture, start / "default.tbl");
        ui.shown.clear();
        TableFile tables(ui, start);
        PagerImage image = Patterned(9);
        const auto outcome = tables.LoadDefaultTable(image);
        EXPECT_EQ(outcome.imageReplaced, c.replaced) << (c.fixture ? c.fixture : "none");
        EXPECT_EQ(ui.shown, c.shown) << (c.fixture ? c.fixture : "none");
        EXPECT_EQ(tables.OpenFileName(), "default.tbl");
        if (!c.replaced) {
            EXPECT_EQ(image, Patterned(9));
            continue;
        }
        std::vector<std::uint8_t> expected = Bytes(kFixtures / c.fixture);
        expected.resize(kImageSize, 0);  // a short default table leaves zeros at the end
        EXPECT_EQ(ImageBytes(image), expected);
    }
}

TEST_F(TableFileTest, LoadDefaultTableThatCannotBeRead) {
    for (const bool pipe : {false, true}) {
        fs::remove(start / "default.tbl");
        if (pipe)
            ASSERT_EQ(::mkfifo((start / "default.tbl").c_str(), 0600), 0);
        else
            fs::create_directory(start / "default.tbl");
        ui.shown.clear();
        TableFile tables(ui, start);
        PagerImage image = DefaultImage();
        EXPECT_FALSE(tables.LoadDefaultTable(image).imageReplaced) << pipe;
        EXPECT_EQ(ui.shown, std::vector<Message>{kOpenDefaultErrorMessage}) << pipe;
        EXPECT_EQ(image, DefaultImage());
    }
}

TEST_F(TableFileTest, RegularFilesOfAnySizeAreReadOnlyTo256Bytes) {
    std::vector<std::uint8_t> big(70000, 0x5A);
    WriteBytes(other / "big.tbl", big);
    std::string why;
    const auto table = ReadTableBytes(other / "big.tbl", why);
    ASSERT_TRUE(table.has_value()) << why;
    EXPECT_EQ(table->count, kImageSize);
    EXPECT_EQ(table->bytes[255], 0x5A);
}

TEST(TableFileMessages, ExactTextsAndKinds) {
    EXPECT_EQ(kOpenErrorMessage.text, "Open Error!");
    EXPECT_EQ(kSaveErrorMessage.kind, MessageKind::Exclamation);
    EXPECT_EQ(kNotMk842DefaultMessage.kind, MessageKind::Plain);
    EXPECT_EQ(CaptionOf(kNotMk842DefaultMessage.kind), "MK843_NB V3.8.5");
    EXPECT_EQ(kSaveDefaultQuestion.text,
              "Click OK will save all changes to the default file.\nThis will change all the "
              "default values and "
              "automatically loaded up by MK842 programming software in the future.");
}

}  // namespace
}  // namespace mk843nb
