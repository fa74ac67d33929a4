#include "files/deferred_sync_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace mk843nb {

bool DeferredSyncCalls::SyncAll(const std::filesystem::path& folder) {
    const int fd = inner_.Open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool synced = ::syncfs(fd) == 0;
    const int error = errno;
    inner_.Close(fd);
    errno = error;
    return synced;
}

}  // namespace mk843nb
