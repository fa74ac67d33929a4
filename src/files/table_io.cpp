#include "files/table_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <string>
#include <system_error>

namespace mk843nb {
namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

unsigned NextTemporaryNumber() {
    static std::atomic<unsigned> counter{0};
    return counter.fetch_add(1);
}

}  // namespace

std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() < 0) return std::nullopt;
    TableBytes result;
    while (result.count < result.bytes.size()) {
        const ssize_t got = ::read(file.get(), result.bytes.data() + result.count,
                                   result.bytes.size() - result.count);
        if (got < 0) {
            if (errno == EINTR) continue;
            return std::nullopt;  // a directory, a device error: nothing of it is used
        }
        if (got == 0) break;
        result.count += static_cast<std::size_t>(got);
    }
    return result;
}

bool WriteTableFile(const std::filesystem::path& path, const PagerImage& image) {
    return WriteFileAtomically(path, image);
}

bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::error_code error;
    std::filesystem::path target = path;
    if (std::filesystem::is_symlink(path, error)) {
        target = std::filesystem::weakly_canonical(path, error);
        if (error) return false;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) || ::access(target.c_str(), W_OK) != 0)) return false;

    // Created with 0666 so that the umask applies as it does to any new file.
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (folder / ("." + target.filename().string() + "." + std::to_string(::getpid()) +
                               "." + std::to_string(NextTemporaryNumber()) + ".tmp"))
                        .string();
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) return false;
    }
    FileDescriptor file(fd);
    if (file.get() < 0) return false;
    const bool written = (!exists || ::fchmod(file.get(), existing.st_mode & 07777) == 0) &&
                         WriteAll(file.get(), bytes.data(), bytes.size()) &&
                         ::fdatasync(file.get()) == 0;
    if (!file.Close() || !written || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace mk843nb
