#pragma once

// Every programming of one pager of a fleet, from the backup store: a fleet
// run tags each backup it takes with the pager's label, asset and note. A
// programming is the pre-write (or damaged) backup of the pager's memory and,
// once frames went out, the Write backup of the image as sent, whose sidecar
// says what its verify found. The store is the one record every run leaves,
// whichever plan folder it ran from; a pager whose pre-write read failed was
// not programmed and has no backup (its plan's report says why).

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "files/backup_store.h"

namespace mk843nb::fleet {

struct Programming {
    std::chrono::system_clock::time_point time;  // of the backup that began it
    PagerTags tags;
    std::string port;
    // "written" (verified), "verify failed", "write failed" (frames went out,
    // the verify did not end), "no write recorded" (backed up, and no Write
    // backup follows: nothing sent, or the image sent could not be kept; the
    // plan's report tells which), "unknown" (a Write backup from before results
    // were recorded).
    std::string result;
    std::vector<std::string> tones;  // of the image sent: "1: 669.9/707.3", "G1: 1000.0"
    std::filesystem::path before;    // the pre-write or damaged backup; empty when pruned
    std::filesystem::path sent;      // the Write backup; empty when nothing was sent
};

// The programmings of the pager whose label or asset is key, oldest first.
std::vector<Programming> PagerHistory(const std::vector<StoredBackup>& backups,
                                      const std::string& key);

// The switched-on calls and group calls of an image.
std::vector<std::string> CallTones(const PagerImage& image);

}  // namespace mk843nb::fleet
