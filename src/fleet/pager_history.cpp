#include "fleet/pager_history.h"

#include <algorithm>
#include <map>
#include <optional>

#include "files/table_io.h"
#include "image/fields.h"

namespace mk843nb::fleet {
namespace {

// A pre-write backup with no Write backup after it: nothing may have been sent,
// or the Write backup could not be kept (a full disk), or the program ended
// mid-write. The store cannot tell, so it never claims "not written".
constexpr const char* kNoWriteRecorded = "no write recorded";

std::string ResultOfWrite(const std::string& result) {
    if (result == "verified") return "written";
    if (result == "verify failed") return "verify failed";
    if (result == "not verified") return "write failed";
    return "unknown";
}

std::string Shown(const PagerImage& image, const std::string& field) {
    return FieldText(image, FieldNamed(field));
}

}  // namespace

std::vector<std::string> CallTones(const PagerImage& image) {
    std::vector<std::string> tones;
    for (int k = 1; k <= 4; ++k) {
        const std::string n = std::to_string(k);
        if (Shown(image, "Duty" + n) == "1")
            tones.push_back(n + ": " + Shown(image, "T1" + n) + "/" + Shown(image, "T2" + n));
    }
    for (int g = 1; g <= 2; ++g) {
        const std::string n = std::to_string(g);
        if (Shown(image, "GDuty" + n) == "1")
            tones.push_back("G" + n + ": " + Shown(image, "T3" + n));
    }
    return tones;
}

std::vector<Programming> PagerHistory(const std::vector<StoredBackup>& backups,
                                      const std::string& key) {
    std::vector<const StoredBackup*> tagged;
    for (const StoredBackup& backup : backups)
        if (!key.empty() && (backup.info.tags.label == key || backup.info.tags.asset == key))
            tagged.push_back(&backup);
    std::sort(tagged.begin(), tagged.end(), [](const StoredBackup* a, const StoredBackup* b) {
        if (a->info.time != b->info.time) return a->info.time < b->info.time;
        return a->table.filename() < b->table.filename();
    });

    std::vector<Programming> history;
    // Per port, the programming whose pre-write backup waits for its Write.
    std::map<std::string, std::size_t> open;
    for (const StoredBackup* backup : tagged) {
        const BackupInfo& info = backup->info;
        if (info.kind == BackupKind::PreWrite || info.kind == BackupKind::Damaged) {
            open[info.port] = history.size();
            history.push_back(
                {info.time, info.tags, info.port, kNoWriteRecorded, {}, backup->table, {}});
        } else if (info.kind == BackupKind::Write) {
            const auto waiting = open.find(info.port);
            if (waiting == open.end())  // its pre-write backup was pruned
                history.push_back({info.time, info.tags, info.port, "", {}, {}, {}});
            Programming& programming =
                waiting == open.end() ? history.back() : history[waiting->second];
            if (waiting != open.end()) open.erase(waiting);
            programming.result = ResultOfWrite(info.result);
            programming.sent = backup->table;
            if (const std::optional<TableBytes> image = ReadTableBytes(backup->table))
                programming.tones = CallTones(image->bytes);
        }
    }
    return history;
}

}  // namespace mk843nb::fleet
