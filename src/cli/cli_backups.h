#pragma once

// What the transfer commands share about backups and differences: every image
// taken from or sent to a pager goes to the backup store, and a verify that
// found a difference says which fields differ.

#include <string>

#include "files/backup_store.h"
#include "image/pager_image.h"
#include "link/link_outcome.h"

namespace mk843nb::cli {

// Stores image in the backup store (BackupStore::DefaultFolder()), silently.
// When it cannot be stored: with required, throws CommandFailure with the
// reason; otherwise says why on stderr and returns false.
bool StoreBackup(const PagerImage& image, BackupKind kind, const std::string& port,
                 bool required = false);

// The outcome's message with, after a verify that found a difference, one
// line per differing field: "<page>  <caption>: <FILE's> | <pager's>".
LinkOutcome WithVerifyDetails(LinkOutcome outcome, const PagerImage& compared);

}  // namespace mk843nb::cli
