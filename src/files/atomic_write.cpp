#include "files/atomic_write.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace mk843nb {
namespace {

// Keeps errno through the clean-up after a failed step, so the caller learns
// why the save failed and not why the clean-up did.
class ErrnoKept {
public:
    ErrnoKept() : saved_(errno) {}
    ~ErrnoKept() { errno = saved_; }
    ErrnoKept(const ErrnoKept&) = delete;
    ErrnoKept& operator=(const ErrnoKept&) = delete;

private:
    int saved_;
};

bool Failed(int error) {
    errno = error;
    return false;
}

class FileDescriptor {
public:
    FileDescriptor(FileSystemCalls& calls, int fd) : calls_(calls), fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ < 0) return;
        const ErrnoKept kept;
        calls_.Close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return calls_.Close(fd) == 0;
    }

private:
    FileSystemCalls& calls_;
    int fd_;
};

bool WriteAll(FileSystemCalls& calls, int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = calls.Write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

unsigned NextTemporaryNumber() {
    static std::atomic<unsigned> counter{0};
    return counter.fetch_add(1);
}

}  // namespace

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

bool SyncFolder(const std::filesystem::path& folder, FileSystemCalls& calls) {
    FileDescriptor directory(calls,
                             calls.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (directory.get() < 0) return false;
    if (calls.FileSync(directory.get()) != 0 && errno != EINVAL && errno != ENOTSUP) return false;
    return directory.Close();
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         FileSystemCalls& calls) {
    std::error_code error;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, error)) {
        target = std::filesystem::weakly_canonical(path, error);
        if (error) return Failed(error.value());
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) return Failed(EISDIR);
    if (exists && !S_ISREG(existing.st_mode)) return Failed(EINVAL);
    if (exists && ::access(target.c_str(), W_OK) != 0) return false;

    // Created with 0666 so that the umask applies as it does to any new file.
    const std::filesystem::path folder = FolderOf(target);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) +
                               "." + std::to_string(NextTemporaryNumber()) + ".tmp"))
                        .string();
        fd = calls.Open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    FileDescriptor file(calls, fd);
    if (file.get() < 0) return false;
    // The bytes reach the disk before the new name can point at them: after a
    // crash the target holds the old bytes or the new ones, never an empty file.
    const bool written = (!exists || calls.ChangeMode(file.get(), existing.st_mode & 07777) == 0) &&
                         WriteAll(calls, file.get(), bytes) && calls.FileSync(file.get()) == 0;
    if (!file.Close() || !written || calls.Rename(temporary.c_str(), target.c_str()) != 0) {
        const ErrnoKept kept;
        calls.Unlink(temporary.c_str());
        return false;
    }
    return SyncFolder(folder, calls);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text,
                         FileSystemCalls& calls) {
    return WriteFileAtomically(path,
                               std::span<const std::uint8_t>(
                                   reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                               calls);
}

std::string SaveFailureReason(const std::filesystem::path& path, const std::filesystem::path& typed,
                              int error) {
    const std::filesystem::path folder = FolderOf(typed);
    switch (error) {
        case ENOENT: {
            std::error_code missing;
            if (!std::filesystem::exists(FolderOf(path), missing))
                return "the folder " + folder.string() + " does not exist";
            return "the place it would go cannot be reached";
        }
        case ENOTDIR:
            return folder.string() + " is not a folder";
        case EISDIR:
            return "a folder of that name is in the way";
        case EINVAL:
            return "it is not a plain file (a device, a pipe or a socket)";
        case EACCES:
        case EPERM:
            return "permission denied";
        case EROFS:
            return "the place is read-only";
        case ENOSPC:
        case EDQUOT:
            return "the disk is full";
        default:
            return std::generic_category().message(error);
    }
}

}  // namespace mk843nb
