#include "files/atomic_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/table_file.h"
#include "files/table_io.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

// The real file system, with every call written down as "<call> <what>", where
// <what> names the file by its role: "temp" for the temporary beside the
// target, the file name otherwise, "folder" for a folder. A call named in
// failing fails instead, with EIO, the first time it comes.
class RecordingCalls : public FileSystemCalls {
public:
    std::vector<std::string> log;
    std::string failing;
    // Checked at every call: a save must never leave this name without a file.
    fs::path mustExist;
    bool targetWentMissing = false;

    int Open(const char* path, int flags, mode_t mode) override {
        if (Fails("open")) return -1;
        const int fd = FileSystemCalls::Open(path, flags, mode);
        if (fd >= 0) names_[fd] = Role(path, (flags & O_DIRECTORY) != 0);
        Note("open " + Role(path, (flags & O_DIRECTORY) != 0));
        return fd;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        Note("write " + names_[fd]);
        if (Fails("write")) return -1;
        return FileSystemCalls::Write(fd, data, size);
    }
    int FileSync(int fd) override {
        Note("fsync " + names_[fd]);
        if (Fails("fsync " + names_[fd])) return -1;
        return FileSystemCalls::FileSync(fd);
    }
    int ChangeMode(int fd, mode_t mode) override {
        Note("chmod " + names_[fd]);
        return FileSystemCalls::ChangeMode(fd, mode);
    }
    int Close(int fd) override {
        Note("close " + names_[fd]);
        return FileSystemCalls::Close(fd);
    }
    int Rename(const char* from, const char* to) override {
        Note("rename " + Role(from, false) + " " + Role(to, false));
        if (Fails("rename")) return -1;
        return FileSystemCalls::Rename(from, to);
    }
    int Link(const char* existing, const char* name) override {
        Note("link " + Role(existing, false) + " " + Role(name, false));
        if (Fails("link")) return -1;
        return FileSystemCalls::Link(existing, name);
    }
    int Unlink(const char* path) override {
        Note("unlink " + Role(path, false));
        return FileSystemCalls::Unlink(path);
    }

private:
    static std::string Role(const char* path, bool folder) {
        if (folder) return "folder";
        const std::string name = fs::path(path).filename().string();
        return name.ends_with(".tmp") ? "temp" : name;
    }
    void Note(std::string entry) {
        if (!mustExist.empty() && !fs::exists(mustExist)) targetWentMissing = true;
        log.push_back(std::move(entry));
    }
    bool Fails(const std::string& call) {
        if (failing.empty() || failing != call) return false;
        failing.clear();
        errno = EIO;
        return true;
    }
    std::map<int, std::string> names_;
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

PagerImage Filled(std::uint8_t value) {
    PagerImage image;
    image.fill(value);
    return image;
}

std::vector<std::uint8_t> ImageBytes(const PagerImage& image) {
    return {image.begin(), image.end()};
}

class AtomicWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::path(::testing::TempDir()) / "atomicXXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder;
    RecordingCalls calls;
};

TEST_F(AtomicWriteTest, BytesReachTheDiskBeforeTheNameAndTheFolderAfterIt) {
    const fs::path target = folder / "pager.tbl";
    ASSERT_TRUE(WriteTableFile(target, Filled(0x11), calls));
    EXPECT_EQ(calls.log, (std::vector<std::string>{"open temp", "write temp", "fsync temp",
                                                   "close temp", "rename temp pager.tbl",
                                                   "open folder", "fsync folder", "close folder"}));
    EXPECT_EQ(Bytes(target), ImageBytes(Filled(0x11)));

    // Over an existing file its permissions are copied first; the order stays.
    calls.log.clear();
    calls.mustExist = target;
    ASSERT_TRUE(WriteTableFile(target, Filled(0x22), calls));
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{"open temp", "chmod temp", "write temp", "fsync temp",
                                        "close temp", "rename temp pager.tbl", "open folder",
                                        "fsync folder", "close folder"}));
    EXPECT_FALSE(calls.targetWentMissing);
    EXPECT_EQ(Bytes(target), ImageBytes(Filled(0x22)));
}

TEST_F(AtomicWriteTest, AFailedStepLeavesTheOldFileAndNoTemporary) {
    const fs::path target = folder / "pager.tbl";
    struct Case {
        std::string failing;
        bool replaced;  // the new bytes are in place although the save reports failure
    };
    for (const Case& c : {Case{"open", false}, Case{"write", false}, Case{"fsync temp", false},
                          Case{"rename", false}, Case{"fsync folder", true}}) {
        WriteBytes(target, std::vector<std::uint8_t>(300, 0xEE));
        calls.failing = c.failing;
        EXPECT_FALSE(WriteTableFile(target, Filled(0x33), calls)) << c.failing;
        EXPECT_EQ(Bytes(target),
                  c.replaced ? ImageBytes(Filled(0x33)) : std::vector<std::uint8_t>(300, 0xEE))
            << c.failing;
        EXPECT_EQ(Listing(), std::vector<std::string>{"pager.tbl"}) << c.failing;
    }
}

// Answers every dialog with one file name.
class OneFileUi : public TableFileUi {
public:
    explicit OneFileUi(std::string file) : file_(std::move(file)) {}
    std::optional<std::string> ChooseOpenFile(const FileDialogRequest&) override { return file_; }
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest&) override { return file_; }
    bool AskYesNo(const Message&) override { return true; }
    void Show(const Message& message) override { shown.push_back(message.text); }
    std::vector<std::string> shown;

private:
    std::string file_;
};

TEST_F(AtomicWriteTest, SaveKeepsTheBackupWithoutTheFileEverGoingMissing) {
    const fs::path target = folder / "pager.tbl";
    WriteBytes(target, ImageBytes(Filled(0x44)));
    OneFileUi ui(target.string());
    TableFile tables(ui, folder, calls);
    ASSERT_TRUE(tables.SaveTableAs(Filled(0x44)).statusText);
    calls.log.clear();
    calls.mustExist = target;

    tables.SaveTable(Filled(0x55));
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_FALSE(calls.targetWentMissing);
    EXPECT_EQ(calls.log,
              (std::vector<std::string>{"link pager.tbl pager.BAK", "open folder", "fsync folder",
                                        "close folder", "open temp", "chmod temp", "write temp",
                                        "fsync temp", "close temp", "rename temp pager.tbl",
                                        "open folder", "fsync folder", "close folder"}));
    EXPECT_EQ(Bytes(target), ImageBytes(Filled(0x55)));
    EXPECT_EQ(Bytes(folder / "pager.BAK"), ImageBytes(Filled(0x44)));

    // A failed write still leaves the file as it was, beside its backup.
    fs::remove(folder / "pager.BAK");
    calls.failing = "fsync temp";
    tables.SaveTable(Filled(0x66));
    EXPECT_EQ(ui.shown, std::vector<std::string>{"Save Error!"});
    EXPECT_EQ(Bytes(target), ImageBytes(Filled(0x55)));
    EXPECT_EQ(Bytes(folder / "pager.BAK"), ImageBytes(Filled(0x55)));
}

TEST_F(AtomicWriteTest, SaveMovesTheFileToTheBackupWhenItCannotTakeASecondName) {
    const fs::path target = folder / "pager.tbl";
    WriteBytes(target, ImageBytes(Filled(0x44)));
    OneFileUi ui(target.string());
    TableFile tables(ui, folder, calls);
    ASSERT_TRUE(tables.SaveTableAs(Filled(0x44)).statusText);
    calls.log.clear();
    calls.failing = "link";  // as on a backup folder on another file system

    tables.SaveTable(Filled(0x55));
    EXPECT_TRUE(ui.shown.empty());
    ASSERT_GE(calls.log.size(), 2u);
    EXPECT_EQ(calls.log[0], "link pager.tbl pager.BAK");
    EXPECT_EQ(calls.log[1], "rename pager.tbl pager.BAK");
    EXPECT_EQ(Bytes(target), ImageBytes(Filled(0x55)));
    EXPECT_EQ(Bytes(folder / "pager.BAK"), ImageBytes(Filled(0x44)));
}

// The one writer of table files and of the fleet's text files: an existing
// file keeps its mode, a new one gets what the umask leaves of 0666.
TEST_F(AtomicWriteTest, AnExistingFileKeepsItsModeAndANewOneFollowsTheUmask) {
    struct Case {
        const char* what;
        std::optional<mode_t> existing;  // nullopt: no file yet
        mode_t umask;
        mode_t expected;
    };
    const Case cases[] = {
        {"a private file stays private", 0600, 022, 0600},
        {"a group-readable file stays so", 0640, 077, 0640},
        {"a shared file stays shared", 0664, 022, 0664},
        {"a new file under umask 022", std::nullopt, 022, 0644},
        {"a new file under umask 077", std::nullopt, 077, 0600},
        {"a new file under umask 002", std::nullopt, 002, 0664},
    };
    const auto ModeOf = [](const fs::path& path) {
        struct stat status {};
        ::stat(path.c_str(), &status);
        return status.st_mode & 07777;
    };
    int number = 0;
    for (const Case& c : cases) {
        for (const bool text : {false, true}) {
            const fs::path target = folder / ("file" + std::to_string(++number));
            if (c.existing) {
                WriteBytes(target, {1, 2, 3});
                ASSERT_EQ(::chmod(target.c_str(), *c.existing), 0);
            }
            const mode_t previous = ::umask(c.umask);
            const bool written = text ? WriteFileAtomically(target, std::string_view("{}\n"))
                                      : WriteFileAtomically(target, ImageBytes(Filled(7)));
            ::umask(previous);
            ASSERT_TRUE(written) << c.what;
            EXPECT_EQ(ModeOf(target), c.expected) << c.what << (text ? " (text)" : " (bytes)");
            EXPECT_EQ(Bytes(target).size(), text ? 3u : 256u);
        }
    }
}

}  // namespace
}  // namespace mk843nb
