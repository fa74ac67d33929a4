#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace mk843nb {
namespace {

std::string NotRegular(mode_t mode) {
    if (S_ISFIFO(mode)) return "a named pipe, not a regular file";
    if (S_ISDIR(mode)) return "a folder, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
    if (S_ISSOCK(mode)) return "a socket, not a regular file";
    return "not a regular file";
}

}  // namespace

int OpenRegularFile(const std::filesystem::path& path, std::string& why) {
    // Looked at before opening: opening a terminal or a modem line has effects of its own.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        why = std::strerror(errno);
        return -1;
    }
    if (!S_ISREG(status.st_mode)) {
        why = NotRegular(status.st_mode);
        return -1;
    }
    // O_NONBLOCK: the name may have been given to a pipe since it was looked at,
    // and opening a pipe for reading waits for a writer. It changes nothing for a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return -1;
    }
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        why = NotRegular(status.st_mode);
        ::close(fd);
        return -1;
    }
    return fd;
}

std::string SizeText(std::size_t bytes) {
    constexpr std::size_t kKiB = 1024;
    if (bytes >= kKiB * kKiB && bytes % (kKiB * kKiB) == 0)
        return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
    if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path, std::size_t limit,
                                           std::string& why) {
    const int fd = OpenRegularFile(path, why);
    if (fd < 0) return std::nullopt;
    std::string text;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && status.st_size > 0)
        text.reserve(std::min(static_cast<std::size_t>(status.st_size), limit) + 1);
    char buffer[65536];
    // One byte past the limit is asked for, to tell a file of exactly the limit from a longer one.
    while (text.size() <= limit) {
        const std::size_t wanted = std::min(sizeof buffer, limit + 1 - text.size());
        const ssize_t got = ::read(fd, buffer, wanted);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            why = std::strerror(errno);
            ::close(fd);
            return std::nullopt;
        }
        if (got == 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    if (text.size() > limit) {
        why = "larger than " + SizeText(limit);
        return std::nullopt;
    }
    return text;
}

}  // namespace mk843nb
