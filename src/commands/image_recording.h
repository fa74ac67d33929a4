#pragma once

// What the Pager commands tell a record keeper (the inventory) of every image
// they read from or write to a pager, and of every attempt that got none. The
// commands layer knows no database: its caller hands it a recorder.

#include <functional>
#include <optional>
#include <string>

#include "files/backup_store.h"
#include "image/pager_image.h"

namespace mk843nb {

enum class RecordedKind {
    Read,      // a Read, or the read behind a comparison
    PreWrite,  // the pager's memory read just before a Write
    Write,     // the image as sent by a Write, whatever its verify found
    Damaged,   // a memory read whose bytes fail their checksum
    Attempt,   // a command that got no image at all (a failed read)
};

// The results as the record keeps them.
inline constexpr const char* kResultRead = "read";
inline constexpr const char* kResultWritten = "written";
inline constexpr const char* kResultVerifyFailed = "verify failed";
inline constexpr const char* kResultWriteFailed = "write failed";
inline constexpr const char* kResultReadFailed = "read failed";
inline constexpr const char* kResultCancelled = "cancelled";
inline constexpr const char* kResultRefused = "refused";

struct RecordedImage {
    RecordedKind kind = RecordedKind::Read;
    std::optional<PagerImage> image;  // the whole 256 bytes; none for an Attempt
    std::string result;               // one of the kResult words
    std::string message;              // what the user is told, "" when nothing
    std::string port;                 // as the user named it
    // The pager the command was asked to program (a fleet run's row). Empty
    // outside a fleet, and for a pre-write read the caller declined: that
    // pager's identity is not known.
    PagerTags tags;
};

// Stores a record; returns why it could not, "" when it was stored. Called on
// the command's thread; a recorder shared by boards must take turns itself.
using ImageRecorder = std::function<std::string(const RecordedImage&)>;

}  // namespace mk843nb
