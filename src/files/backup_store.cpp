#include "files/backup_store.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <nlohmann/json.hpp>
#include <system_error>
#include <utility>

#include "files/regular_file.h"
#include "files/safe_file_name.h"
#include "files/table_io.h"
#include "files/utc_time.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

constexpr std::string_view kTableExtension = ".tbl";
constexpr std::string_view kSidecarExtension = ".json";
// "20261210-142233": the time stamp every backup name starts with.
constexpr std::size_t kStampLength = 15;

std::optional<std::chrono::system_clock::time_point> ParseStamp(std::string_view stem) {
    if (stem.size() < kStampLength || stem[8] != '-') return std::nullopt;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const std::string stamp(stem.substr(0, kStampLength));
    if (std::sscanf(stamp.c_str(), "%4d%2d%2d-%2d%2d%2d", &year, &month, &day, &hour, &minute,
                    &second) != 6)
        return std::nullopt;
    return UtcTimePoint(year, month, day, hour, minute, second);
}

nlohmann::ordered_json SidecarJson(const BackupInfo& info) {
    nlohmann::ordered_json json{
        {"time", UtcTimeTextMs(info.time)},
        {"kind", BackupKindText(info.kind)},
        {"port", info.port},
        {"portById", info.portById},
        {"firmwareVersion", info.firmwareVersion},
        {"model", info.modelText},
        {"checksum", info.checksumOk ? "ok" : "wrong"},
        {"programVersion",
         info.programVersion.empty() ? MK843NB_PROGRAM_VERSION : info.programVersion},
    };
    if (!info.reason.empty()) json["reason"] = info.reason;
    if (!info.tags.label.empty()) json["label"] = info.tags.label;
    if (!info.tags.asset.empty()) json["asset"] = info.tags.asset;
    if (!info.tags.note.empty()) json["note"] = info.tags.note;
    if (!info.result.empty()) json["result"] = info.result;
    return json;
}

// The sidecar's text, never longer than kSidecarLimit, so every sidecar the
// program writes is one it reads back: a note too long for it loses its end
// (at a character's start) and ends in "...".
std::string SidecarText(BackupInfo info) {
    static constexpr std::string_view kCut = "...";
    for (;;) {
        std::string text = SidecarJson(info).dump(2) + "\n";
        std::string& note = info.tags.note;
        if (text.size() <= kSidecarLimit || note.empty()) return text;
        const std::size_t excess = text.size() - kSidecarLimit + kCut.size();
        std::size_t keep = note.size() > excess ? note.size() - excess : 0;
        while (keep > 0 && (static_cast<unsigned char>(note[keep]) & 0xC0) == 0x80) --keep;
        note = keep == 0 ? std::string() : note.substr(0, keep) + std::string(kCut);
    }
}

std::string Text(const nlohmann::json& json, const char* key) {
    const auto found = json.find(key);
    return found != json.end() && found->is_string() ? found->get<std::string>() : std::string();
}

}  // namespace

std::optional<BackupInfo> BackupInfoFromName(std::string_view stem) {
    const auto time = ParseStamp(stem);
    if (!time || stem.size() < kStampLength + 2 || stem[kStampLength] != '-') return std::nullopt;
    std::string_view rest = stem.substr(kStampLength + 1);
    for (const BackupKind kind : kBackupKinds) {
        const std::string prefix = std::string(BackupKindText(kind)) + "-";
        if (!rest.starts_with(prefix)) continue;
        BackupInfo info;
        info.time = *time;
        info.kind = kind;
        rest.remove_prefix(prefix.size());
        const auto version = rest.rfind("-v");
        info.modelText = std::string(rest.substr(0, version));
        if (version != std::string_view::npos) {
            std::string_view v = rest.substr(version + 2);
            info.firmwareVersion = std::string(v.substr(0, v.find('-')));
        }
        return info;
    }
    return std::nullopt;
}

std::optional<BackupInfo> ParseBackupSidecar(std::string_view text) {
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, false);
    if (!json.is_object()) return std::nullopt;
    const auto kind = BackupKindFromText(Text(json, "kind"));
    const auto time = ParseUtcTimeText(Text(json, "time"));
    if (!kind || !time) return std::nullopt;
    BackupInfo info;
    info.time = *time;
    info.kind = *kind;
    info.port = Text(json, "port");
    info.portById = Text(json, "portById");
    info.firmwareVersion = Text(json, "firmwareVersion");
    info.modelText = Text(json, "model");
    info.checksumOk = Text(json, "checksum") == "ok";
    info.programVersion = Text(json, "programVersion");
    info.reason = Text(json, "reason");
    info.tags = {Text(json, "label"), Text(json, "asset"), Text(json, "note")};
    info.result = Text(json, "result");
    return info;
}

namespace {

std::optional<BackupInfo> InfoFromSidecar(const std::filesystem::path& sidecar) {
    std::string why;
    const std::optional<std::string> text = ReadRegularFile(sidecar, kSidecarLimit, why);
    if (!text) return std::nullopt;
    return ParseBackupSidecar(*text);
}

std::string ErrorText(const std::filesystem::path& path, int error) {
    return "Cannot write the backup " + path.string() + ": " + std::strerror(error);
}

bool Newer(const StoredBackup& a, const StoredBackup& b) {
    if (a.info.time != b.info.time) return a.info.time > b.info.time;
    return a.table.filename() > b.table.filename();
}

}  // namespace

std::string_view BackupKindText(BackupKind kind) {
    switch (kind) {
        case BackupKind::Read:
            return "read";
        case BackupKind::Write:
            return "write";
        case BackupKind::PreWrite:
            return "pre-write";
        case BackupKind::Damaged:
            return "damaged";
    }
    return "read";
}

std::optional<BackupKind> BackupKindFromText(std::string_view text) {
    for (const BackupKind kind : kBackupKinds)
        if (BackupKindText(kind) == text) return kind;
    return std::nullopt;
}

std::string BackupFileStem(const BackupInfo& info) {
    return UtcTimeText(info.time, "%Y%m%d-%H%M%S") + "-" + std::string(BackupKindText(info.kind)) +
           "-" + SafeNamePart(info.modelText) + "-v" +
           SafeNamePart(info.firmwareVersion.empty() ? "unknown" : info.firmwareVersion);
}

std::string ImageModelText(const PagerImage& image) {
    std::string text;
    for (std::size_t i = kModelTagOffset; i < kModelTagOffset + kModelTagSize; ++i) {
        const auto c = static_cast<unsigned char>(image[i]);
        if (c == 0) break;
        text += std::isprint(c) ? static_cast<char>(c) : '?';
    }
    return text;
}

BackupInfo PagerBackupInfo(BackupKind kind, const PagerImage& image, const std::string& port,
                           const std::string& portById) {
    BackupInfo info;
    info.kind = kind;
    // A bare port name ("ttyUSB0") is a device under /dev.
    info.port = port.empty() || port.find('/') != std::string::npos ? port : "/dev/" + port;
    info.portById = portById;
    info.firmwareVersion = FieldText(image, FieldNamed("Version"));
    info.modelText = ImageModelText(image);
    info.checksumOk = ImageChecksum(image) == StoredChecksum(image);
    return info;
}

BackupStore::BackupStore(std::filesystem::path folder, std::size_t keep)
    : folder_(std::move(folder)), keep_(keep) {}

std::filesystem::path BackupStore::DefaultFolder() {
    const auto variable = [](const char* name) -> std::string {
        const char* value = std::getenv(name);
        return value ? value : "";
    };
    if (const std::string own = variable("MK843NB_BACKUP_DIR"); !own.empty()) return own;
    const std::string data = variable("XDG_DATA_HOME");
    // The XDG rules ignore a relative XDG_DATA_HOME.
    if (!data.empty() && data.front() == '/')
        return std::filesystem::path(data) / "mk843nb" / "backups";
    const std::string home = variable("HOME");
    return std::filesystem::path(home.empty() ? "." : home) / ".local" / "share" / "mk843nb" /
           "backups";
}

std::size_t BackupStore::DefaultKeep() {
    const char* value = std::getenv("MK843NB_BACKUP_KEEP");
    if (value == nullptr || *value == '\0') return kDefaultBackupKeep;
    char* end = nullptr;
    errno = 0;
    const unsigned long long keep = std::strtoull(value, &end, 10);
    if (errno != 0 || *end != '\0' || keep < 1 || value[0] == '-') return kDefaultBackupKeep;
    return static_cast<std::size_t>(keep);
}

BackupResult BackupStore::Store(const PagerImage& image, const BackupInfo& info) {
    BackupResult result;
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error) {
        result.error =
            "Cannot create the backup folder " + folder_.string() + ": " + error.message();
        return result;
    }
    const std::string stem = BackupFileStem(info);
    StoredBackup backup;
    backup.info = info;
    for (int n = 1;; ++n) {
        const std::string name = n == 1 ? stem : stem + "-" + std::to_string(n);
        backup.table = folder_ / (name + std::string(kTableExtension));
        backup.sidecar = folder_ / (name + std::string(kSidecarExtension));
        if (!std::filesystem::exists(backup.table, error) &&
            !std::filesystem::exists(backup.sidecar, error))
            break;
        if (n > 1000) {
            result.error = ErrorText(backup.table, EEXIST);
            return result;
        }
    }
    errno = 0;
    if (!WriteTableFile(backup.table, image)) {
        result.error = ErrorText(backup.table, errno ? errno : EIO);
        return result;
    }
    const std::string sidecar = SidecarText(info);
    errno = 0;
    if (sidecar.size() > kSidecarLimit) {
        result.error = "Cannot write the backup " + backup.sidecar.string() +
                       ": its port, label and asset are too long to record";
        std::filesystem::remove(backup.table, error);
        return result;
    }
    if (!WriteFileAtomically(
            backup.sidecar,
            std::span(reinterpret_cast<const std::uint8_t*>(sidecar.data()), sidecar.size()))) {
        result.error = ErrorText(backup.sidecar, errno ? errno : EIO);
        std::filesystem::remove(backup.table, error);
        return result;
    }
    result.stored = true;
    result.backup = backup;
    if (result.backup->info.programVersion.empty())
        result.backup->info.programVersion = MK843NB_PROGRAM_VERSION;
    ApplyRetention();
    return result;
}

std::vector<StoredBackup> BackupStore::List() const {
    std::vector<StoredBackup> backups;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder_, error);
    if (error) return backups;
    for (const auto& entry : entries) {
        const std::filesystem::path& path = entry.path();
        std::error_code ignored;
        if (path.extension() != kTableExtension || !entry.is_regular_file(ignored)) continue;
        StoredBackup backup;
        backup.table = path;
        backup.sidecar = std::filesystem::path(path).replace_extension(kSidecarExtension);
        auto info = InfoFromSidecar(backup.sidecar);
        if (!info) info = BackupInfoFromName(path.stem().string());
        if (!info) continue;
        backup.info = std::move(*info);
        backups.push_back(std::move(backup));
    }
    std::sort(backups.begin(), backups.end(), Newer);
    return backups;
}

void BackupStore::ApplyRetention() const {
    const std::vector<StoredBackup> backups = List();
    std::map<std::pair<std::string, std::string>, std::size_t> keptPerPager;
    for (std::size_t i = 0; i < backups.size(); ++i) {
        const BackupInfo& info = backups[i].info;
        const std::string& port = info.portById.empty() ? info.port : info.portById;
        std::size_t& kept = keptPerPager[{info.modelText, port}];
        if (i < keep_ || kept < kBackupsKeptPerPager) {
            ++kept;
            continue;
        }
        std::error_code ignored;
        std::filesystem::remove(backups[i].table, ignored);
        std::filesystem::remove(backups[i].sidecar, ignored);
    }
}

}  // namespace mk843nb
