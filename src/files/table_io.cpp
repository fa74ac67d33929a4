#include "files/table_io.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "files/atomic_write.h"
#include "files/regular_file.h"

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

private:
    int fd_;
};

}  // namespace

std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path) {
    std::string why;
    return ReadTableBytes(path, why);
}

std::optional<TableBytes> ReadTableBytes(const std::filesystem::path& path, std::string& why) {
    FileDescriptor file(OpenRegularFile(path, why));
    if (file.get() < 0) return std::nullopt;
    TableBytes result;
    while (result.count < result.bytes.size()) {
        const ssize_t got = ::read(file.get(), result.bytes.data() + result.count,
                                   result.bytes.size() - result.count);
        if (got < 0) {
            if (errno == EINTR) continue;
            why = std::strerror(errno);
            return std::nullopt;  // a device error: nothing of it is used
        }
        if (got == 0) break;
        result.count += static_cast<std::size_t>(got);
    }
    return result;
}

bool WriteTableFile(const std::filesystem::path& path, const PagerImage& image,
                    FileSystemCalls& calls) {
    return WriteFileAtomically(path, image, calls);
}

}  // namespace mk843nb
