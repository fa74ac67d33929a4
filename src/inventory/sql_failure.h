#pragma once

// Why a call on the inventory failed, in the user's words: what could not be
// done, the file, and the reason (SQLite's own words in brackets).

#include <stdexcept>
#include <string>

class QSqlError;

namespace mk843nb::inventory {

// Thrown inside the inventory only, and turned into a Result's error at its edge.
struct SqlFailure : std::runtime_error {
    explicit SqlFailure(const std::string& reason, bool lockHeld = false)
        : std::runtime_error(reason), busy(lockHeld) {}
    // Another connection held the lock: trying again later may succeed.
    bool busy;
};

// Whether error is SQLite's "busy" or "locked".
bool IsBusy(const QSqlError& error);

// "it is not an inventory database (file is not a database)", "the disk is full (...)".
std::string SqlReason(const QSqlError& error);

// "Cannot record an image in the inventory /x/inventory.sqlite: the disk is full (...)."
std::string CannotText(const std::string& action, const std::string& path,
                       const std::string& reason);

}  // namespace mk843nb::inventory
