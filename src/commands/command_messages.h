#pragma once

// What the Pager commands add to the link's own messages.

#include <string>

#include "files/backup_store.h"
#include "image/message.h"
#include "image/pager_image.h"

namespace mk843nb {

// Added to a failed pre-write read's message.
inline constexpr const char* kNotBackedUpNote =
    "The pager could not be backed up: nothing was written.";

// Added to the reason a pre-write read could not be recorded.
inline constexpr const char* kNotRecordedNote =
    "The pager's memory could not be recorded in the inventory: nothing was written.";

// Why a damaged memory was kept, for its sidecar: the stored and the computed sum.
std::string DamagedMemoryReason(const PagerImage& memory);

// The question before writing over a damaged memory (Yes writes).
Message DamagedMemoryQuestion(const StoredBackup& kept);

// What the command line and the fleet say when they write over a damaged memory.
std::string DamagedMemoryNote(const StoredBackup& kept);

}  // namespace mk843nb
