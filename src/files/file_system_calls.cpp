#include "files/file_system_calls.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

namespace mk843nb {

int FileSystemCalls::Open(const char* path, int flags, mode_t mode) {
    return ::open(path, flags, mode);
}
ssize_t FileSystemCalls::Write(int fd, const void* data, std::size_t size) {
    return ::write(fd, data, size);
}
int FileSystemCalls::FileSync(int fd) { return ::fsync(fd); }
int FileSystemCalls::ChangeMode(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileSystemCalls::Close(int fd) { return ::close(fd); }
int FileSystemCalls::Rename(const char* from, const char* to) { return std::rename(from, to); }
int FileSystemCalls::Link(const char* existing, const char* name) { return ::link(existing, name); }
int FileSystemCalls::Unlink(const char* path) { return ::unlink(path); }

FileSystemCalls& SystemFileCalls() {
    static FileSystemCalls calls;
    return calls;
}

}  // namespace mk843nb
