#pragma once

// Many files saved into a folder nobody sees yet (it is renamed into place once
// whole): syncing each file and the folder after each save costs a disk flush a
// file (a plan of 10,000 pagers spent minutes on them). These calls leave every
// sync out; SyncAll then makes the whole file system's data last at once, before
// the rename shows the folder. Every other call goes to the calls given.

#include <filesystem>

#include "files/file_system_calls.h"

namespace mk843nb {

class DeferredSyncCalls : public FileSystemCalls {
public:
    explicit DeferredSyncCalls(FileSystemCalls& inner) : inner_(inner) {}

    int Open(const char* path, int flags, mode_t mode) override {
        return inner_.Open(path, flags, mode);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return inner_.Write(fd, data, size);
    }
    int FileSync(int) override { return 0; }
    int ChangeMode(int fd, mode_t mode) override { return inner_.ChangeMode(fd, mode); }
    int Close(int fd) override { return inner_.Close(fd); }
    int Rename(const char* from, const char* to) override { return inner_.Rename(from, to); }
    int Link(const char* existing, const char* name) override {
        return inner_.Link(existing, name);
    }
    int Unlink(const char* path) override { return inner_.Unlink(path); }

    // Everything written so far on the file system that holds folder, to the
    // disk; false with errno set when it cannot be.
    bool SyncAll(const std::filesystem::path& folder);

private:
    FileSystemCalls& inner_;
};

}  // namespace mk843nb
