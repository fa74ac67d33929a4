// The single-instance guard: its socket lives where only the user can reach
// it, and nothing another user puts in the way keeps the program from starting.

#include "ui/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QSignalSpy>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "test_files.h"

namespace mk843nb {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
    static int argc = 1;
    static char name[] = "single_instance_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string Folder(const test::TempDir& dir, const std::string& name, mode_t mode) {
    const std::string path = dir.File(name);
    fs::create_directory(path);
    ::chmod(path.c_str(), mode);
    return path;
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    ::stat(path.c_str(), &status);
    return status.st_mode & 07777;
}

// A process of another user listening on a local socket at path; it accepts
// whoever connects and says nothing. Ends with the object.
class ForeignListener {
public:
    explicit ForeignListener(const std::string& path) {
        int ready[2];
        if (::pipe(ready) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(ready[0]);
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
            ::unlink(path.c_str());
            // Bound by root where the test can reach, then listening as nobody:
            // the listener's credentials are those of the listen() call.
            if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
                ::chmod(path.c_str(), 0777) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
                ::setresuid(65534, 65534, 65534) != 0 || ::listen(fd, 8) != 0)
                ::_exit(1);
            (void)!::write(ready[1], "r", 1);
            for (;;) {
                const int peer = ::accept(fd, nullptr, nullptr);
                if (peer >= 0) ::close(peer);
            }
        }
        ::close(ready[1]);
        char byte = 0;
        listening_ = pid_ > 0 && ::read(ready[0], &byte, 1) == 1;
        ::close(ready[0]);
    }
    ~ForeignListener() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    bool Listening() const { return listening_; }

private:
    pid_t pid_ = -1;
    bool listening_ = false;
};

TEST(SingleInstanceFolder, OnlyAFolderNobodyElseMayEnter) {
    App();
    const test::TempDir dir;
    const std::string tmp = Folder(dir, "tmp", 0777);
    const ScopedEnv tmpdir("TMPDIR", tmp);
    const ScopedEnv cache("XDG_CACHE_HOME", dir.File("cache"));
    const std::string own = tmp + "/mk843nb-" + std::to_string(::geteuid());
    const std::string fallback = dir.File("cache") + "/mk843nb-run-" + std::to_string(::geteuid());
    struct Case {
        const char* what;
        std::string runtime;
        std::optional<mode_t> ownFolderBefore;  // the fallback folder as found
        std::string expected;                   // the folder the guard uses
    };
    const std::string privateRuntime = Folder(dir, "run-private", 0700);
    const std::string openRuntime = Folder(dir, "run-open", 0755);
    const std::string linked = dir.File("run-link");
    fs::create_symlink(privateRuntime, linked);
    const Case cases[] = {
        {"the runtime folder", privateRuntime, std::nullopt, privateRuntime},
        {"a runtime folder others may enter", openRuntime, std::nullopt, own},
        {"a runtime folder behind a link", linked, std::nullopt, own},
        {"no runtime folder", dir.File("missing"), std::nullopt, own},
        {"an own folder already there", openRuntime, 0700, own},
        {"an own folder others may enter", openRuntime, 0777, fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(own);
        if (c.ownFolderBefore) {
            fs::create_directory(own);
            ::chmod(own.c_str(), *c.ownFolderBefore);
        }
        const ScopedEnv runtime("XDG_RUNTIME_DIR", c.runtime);
        QString notice;
        EXPECT_EQ(SingleInstance::PrivateRuntimeFolder(&notice).toStdString(), c.expected);
        EXPECT_EQ(ModeOf(c.expected), 0700u);
        // Only a move away from the usual place is worth telling.
        EXPECT_EQ(notice.isEmpty(), c.expected != fallback) << notice.toStdString();
        fs::remove_all(fallback);
    }
}

// Another user made the program's folder in the shared temporary folder (a
// squatter, or a copy run once under another account): the guard says so and
// moves to the user's own cache folder, and still keeps a second copy out.
TEST(SingleInstanceGuard, AFolderOfAnotherUserInTmpIsSaidAndAvoided) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a folder to another user";
    App();
    const test::TempDir dir;
    const std::string tmp = Folder(dir, "tmp", 01777);
    const ScopedEnv tmpdir("TMPDIR", tmp);
    const ScopedEnv cache("XDG_CACHE_HOME", dir.File("cache"));
    const ScopedEnv runtime("XDG_RUNTIME_DIR", "");
    const std::string taken = tmp + "/mk843nb-" + std::to_string(::geteuid());
    fs::create_directory(taken);
    ASSERT_EQ(::chmod(taken.c_str(), 0700), 0);
    ASSERT_EQ(::chown(taken.c_str(), 65534, 65534), 0);  // nobody
    const std::string fallback = dir.File("cache") + "/mk843nb-run-" + std::to_string(::geteuid());
    const QString key = QStringLiteral("mk843nb-taken-%1").arg(::getpid());

    SingleInstance first(key);
    ASSERT_TRUE(first.Acquire());
    EXPECT_EQ(first.SocketPath().toStdString(), fallback + "/" + key.toStdString());
    EXPECT_EQ(ModeOf(fallback), 0700u);
    EXPECT_EQ(first.Notice().toStdString(), "The folder " + taken +
                                                " belongs to another user (uid 65534); using " +
                                                fallback + " instead.");
    QSignalSpy raised(&first, &SingleInstance::activationRequested);
    SingleInstance second(key);
    EXPECT_FALSE(second.Acquire()) << "two copies ran side by side";
    EXPECT_TRUE(raised.count() > 0 || raised.wait(2000));
    EXPECT_TRUE(fs::is_empty(taken)) << "nothing is put in the other user's folder";
}

TEST(SingleInstanceGuard, AnotherUsersSocketOrAStaleFileDoesNotStopTheStart) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to listen as another user";
    App();
    const test::TempDir dir;
    const std::string runtime = Folder(dir, "run", 0700);
    const ScopedEnv xdg("XDG_RUNTIME_DIR", runtime);
    const QString key = QStringLiteral("mk843nb-guard-%1").arg(::getpid());

    // At the old place in the shared temporary folder: a socket of another user
    // answering, and beside it under the same name nothing must matter either.
    const std::string oldPlace = (QDir::tempPath() + QLatin1Char('/') + key).toStdString();
    ForeignListener squatter(oldPlace);
    ASSERT_TRUE(squatter.Listening());
    {
        SingleInstance first(key);
        EXPECT_TRUE(first.Acquire());
        EXPECT_EQ(first.SocketPath().toStdString(), runtime + "/" + key.toStdString());
        EXPECT_TRUE(fs::exists(runtime + "/" + key.toStdString()));
    }

    // In the private folder itself: a socket whose listener is another user
    // (only root could put it there) is not obeyed, and a stale file is replaced.
    const std::string path = runtime + "/" + key.toStdString();
    {
        ForeignListener inside(path);
        ASSERT_TRUE(inside.Listening());
        SingleInstance first(key);
        EXPECT_TRUE(first.Acquire()) << "a socket of another user made the start give way";
        QSignalSpy raised(&first, &SingleInstance::activationRequested);
        SingleInstance second(key);
        EXPECT_FALSE(second.Acquire()) << "the new socket guards as before";
        EXPECT_TRUE(raised.count() > 0 || raised.wait(2000));
    }
    fs::remove(path);
    std::ofstream(path) << "left by a copy that crashed";
    SingleInstance afterCrash(key);
    EXPECT_TRUE(afterCrash.Acquire());
    fs::remove(oldPlace);
}

}  // namespace
}  // namespace mk843nb
