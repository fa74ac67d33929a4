#pragma once

// Saves that survive a crash or a power cut: the file named afterwards holds
// either its old bytes or the new ones, never nothing and never a part. The one
// writer of every file the program saves: table files, backups and their
// sidecars, the fleet's plans and reports.

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "files/file_system_calls.h"

namespace mk843nb {

// Replaces (or creates) the file with exactly these bytes. They go to a
// temporary file beside the target, which is synced to the disk, then renamed
// over the target, and then the folder is synced so the new name lasts too. An
// existing target keeps its permissions; a symbolic link is followed to the file
// it names; a new file gets the mode the umask leaves of 0666. False, with the
// target untouched and no temporary left, when any step before the rename fails
// (including a target that exists but may not be written); false also when the
// folder cannot be synced after it.
// After a false, errno says why (EISDIR for a folder in the way, EINVAL for a
// target that is not a plain file); SaveFailureReason puts it in words.
bool WriteFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes,
                         FileSystemCalls& calls = SystemFileCalls());
// The same for text, written as it is.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view text,
                         FileSystemCalls& calls = SystemFileCalls());

// Syncs a folder, so that names created, renamed or removed in it last across a
// power cut. A file system that cannot sync folders counts as synced.
bool SyncFolder(const std::filesystem::path& folder, FileSystemCalls& calls = SystemFileCalls());

// Why a save to path failed, in the user's words, from the errno the writer
// left; a folder is named as in typed, the path as the user gave it: "the
// folder out does not exist".
std::string SaveFailureReason(const std::filesystem::path& path, const std::filesystem::path& typed,
                              int error);

// The folder a file's name lives in ("." for a bare name).
std::filesystem::path FolderOf(const std::filesystem::path& path);

}  // namespace mk843nb
