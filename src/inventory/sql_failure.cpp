#include "inventory/sql_failure.h"

#include <QSqlError>

namespace mk843nb::inventory {
namespace {

// SQLite's primary result codes; the driver reports them as its native code.
enum : int {
    kBusy = 5,
    kLocked = 6,
    kReadOnly = 8,
    kIoError = 10,
    kCorrupt = 11,
    kFull = 13,
    kCantOpen = 14,
    kNotADatabase = 26,
};

int CodeOf(const QSqlError& error) { return error.nativeErrorCode().toInt() & 0xff; }

std::string Words(int code) {
    switch (code) {
        case kBusy:
        case kLocked:
            return "another program kept it busy for too long";
        case kReadOnly:
            return "the file is read-only";
        case kIoError:
            return "the disk could not read or write it";
        case kCorrupt:
            return "it is damaged: not a whole inventory database";
        case kFull:
            return "the disk is full";
        case kCantOpen:
            return "it cannot be opened";
        case kNotADatabase:
            return "it is not an inventory database";
        default:
            return "the database failed";
    }
}

}  // namespace

std::string SqlReason(const QSqlError& error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric) & 0xff;
    QString detail = error.databaseText();
    if (detail.isEmpty()) detail = error.driverText();
    std::string reason = Words(numeric ? code : -1);
    if (!detail.isEmpty()) reason += " (" + detail.toStdString() + ")";
    return reason;
}

std::string CannotText(const std::string& action, const std::string& path,
                       const std::string& reason) {
    return "Cannot " + action + " in the inventory " + path + ": " + reason + ".";
}

bool IsBusy(const QSqlError& error) {
    const int code = CodeOf(error);
    return code == kBusy || code == kLocked;
}

}  // namespace mk843nb::inventory
