#pragma once

// The folder of automatic pager backups: every image read from a pager, every
// image written to one and the pager's image taken just before a write, each as
// a table file with a small JSON sidecar saying what it is.
//
//   BackupStore store(BackupStore::DefaultFolder());
//   BackupInfo info{.kind = BackupKind::Read, .port = "/dev/ttyUSB0", ...};
//   BackupResult result = store.Store(image, info);
//   if (!result.stored) ShowError(result.error);
//
// Names sort by time and say what they hold:
//   20261210-142233-read-MK842_V3.8.5-v1.86.tbl   (+ .json beside it)
// The time in the name is UTC. Both files are written beside and renamed, so a
// backup is never half written; the table is written first and a table without
// its sidecar still lists (with what its name says).

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "image/pager_image.h"

namespace mk843nb {

enum class BackupKind {
    Read,      // a successful Read: the 256 bytes as read
    Write,     // a Write: the image exactly as sent, whatever its verify said
    PreWrite,  // the pager's image read just before a Write
    Damaged,   // what the pager held before a Write when its bytes failed their checksum
};

inline constexpr BackupKind kBackupKinds[] = {BackupKind::PreWrite, BackupKind::Read,
                                              BackupKind::Write, BackupKind::Damaged};

// "read", "write", "pre-write", "damaged": the word in file names and sidecars.
std::string_view BackupKindText(BackupKind kind);
std::optional<BackupKind> BackupKindFromText(std::string_view text);

inline constexpr std::size_t kDefaultBackupKeep = 500;
// However many backups there are, the newest ones of each model and port stay.
inline constexpr std::size_t kBackupsKeptPerPager = 3;

// Which pager of a fleet a backup belongs to, when a fleet run took it.
struct PagerTags {
    std::string label;  // the roster's label
    std::string asset;  // the roster's asset tag or serial number
    std::string note;

    bool empty() const { return label.empty() && asset.empty() && note.empty(); }
};

struct BackupInfo {
    std::chrono::system_clock::time_point time = std::chrono::system_clock::now();
    BackupKind kind = BackupKind::Read;
    std::string port;             // the port as the user named it ("/dev/ttyUSB0")
    std::string portById;         // its /dev/serial/by-id alias, "" when it has none
    std::string firmwareVersion;  // "1.86"; "" when the pager did not say
    std::string modelText;        // the model text of image bytes 240 to 253
    bool checksumOk = false;      // the stored checksum is the sum of bytes 16 to 253
    std::string programVersion;   // the program that took it; "" stores this program's
    std::string reason;           // why it was kept, when its kind alone does not say ("" if none)
    PagerTags tags{};             // empty outside a fleet run
    // A Write backup: what its verify found ("verified", "verify failed", "not verified");
    // "" for other kinds and for backups that predate it.
    std::string result{};
};

struct StoredBackup {
    std::filesystem::path table;    // the .tbl
    std::filesystem::path sidecar;  // the .json beside it (may be missing)
    BackupInfo info;
};

struct BackupResult {
    bool stored = false;
    std::string error;  // why not, for the user: "Cannot write the backup /x/y.tbl: ..."
    std::optional<StoredBackup> backup;
};

class BackupStore {
public:
    explicit BackupStore(std::filesystem::path folder, std::size_t keep = kDefaultBackupKeep);

    // $MK843NB_BACKUP_DIR when set and not empty, else $XDG_DATA_HOME/mk843nb/backups,
    // else $HOME/.local/share/mk843nb/backups.
    static std::filesystem::path DefaultFolder();
    // $MK843NB_BACKUP_KEEP when it is a whole number of at least 1, else kDefaultBackupKeep.
    static std::size_t DefaultKeep();

    const std::filesystem::path& Folder() const { return folder_; }
    std::size_t Keep() const { return keep_; }

    // Creates the folder when needed, writes the table and then its sidecar,
    // then drops the backups retention no longer keeps. A failure leaves no
    // part of the new backup behind and says why.
    BackupResult Store(const PagerImage& image, const BackupInfo& info);

    // Every backup of the folder, newest first. Files that are not backups are ignored.
    std::vector<StoredBackup> List() const;

    // Keeps the newest Keep() backups, and beyond them the newest
    // kBackupsKeptPerPager of each model and port; removes the rest (table and sidecar).
    void ApplyRetention() const;

private:
    std::filesystem::path folder_;
    std::size_t keep_;
};

// What a backup of image, taken from or sent to the pager on port, says of
// itself now: the version of bytes 1 and 2, the model text, the checksum state,
// the port (a bare name is taken under /dev) and the by-id alias its caller found.
BackupInfo PagerBackupInfo(BackupKind kind, const PagerImage& image, const std::string& port,
                           const std::string& portById = "");

// The file name a backup gets (without a uniqueness suffix): time (UTC), kind,
// model text and firmware version, unsafe characters as '_'.
std::string BackupFileStem(const BackupInfo& info);

// What a backup's name says (time to the second, kind, model, version), for a
// table whose sidecar is missing or unreadable; nullopt for other names.
std::optional<BackupInfo> BackupInfoFromName(std::string_view stem);
// The longest sidecar, in bytes: the store writes none longer (a note too
// long for it is cut short) and reads every one up to it; a longer file is no
// sidecar. Earlier versions wrote notes of any length; a spreadsheet cell holds
// at most 32,767 characters, which even as JSON escapes stay well within it.
inline constexpr std::size_t kSidecarLimit = 1024 * 1024;

// A sidecar's content; nullopt when it is no JSON object with a known kind and a time.
std::optional<BackupInfo> ParseBackupSidecar(std::string_view text);

// The model text of an image (bytes 240 to 253 up to the first zero), printable characters only.
std::string ImageModelText(const PagerImage& image);

}  // namespace mk843nb
