#pragma once

// The file-system calls a save makes, behind one small interface so a test can
// watch their order (the data reaches the disk before the new name does) without
// cutting the power. Every method defaults to the system call of the same name.

#include <sys/types.h>

#include <cstddef>

namespace mk843nb {

class FileSystemCalls {
public:
    virtual ~FileSystemCalls() = default;

    virtual int Open(const char* path, int flags, mode_t mode);
    virtual ssize_t Write(int fd, const void* data, std::size_t size);
    virtual int FileSync(int fd);
    virtual int ChangeMode(int fd, mode_t mode);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    virtual int Link(const char* existing, const char* name);
    virtual int Unlink(const char* path);
};

// The process's real file system.
FileSystemCalls& SystemFileCalls();

}  // namespace mk843nb
