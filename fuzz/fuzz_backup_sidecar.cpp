// Backups may sit on a share anyone writes to: any sidecar text and any file
// name must be read without fault, and whatever they say, the name a backup of
// that description would get stays one plain file name inside the folder.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "files/backup_store.h"

namespace {

void CheckName(const mk843nb::BackupInfo& info) {
    const std::string stem = mk843nb::BackupFileStem(info);
    if (stem.empty() || stem.find('/') != std::string::npos ||
        stem.find('\0') != std::string::npos || stem == "." || stem == "..")
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto info = mk843nb::ParseBackupSidecar(text)) CheckName(*info);
    if (const auto info = mk843nb::BackupInfoFromName(text)) CheckName(*info);
    return 0;
}
