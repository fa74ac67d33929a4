#include "files/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace mk843nb
