#include "inventory/inventory.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <thread>
#include <utility>

#include "inventory/call_key.h"
#include "inventory/schema.h"
#include "inventory/sql_failure.h"
#include "inventory/thread_connections.h"

namespace mk843nb::inventory {
namespace {

constexpr std::array kKindTexts{
    std::pair{ImageKind::Read, "read"},       std::pair{ImageKind::PreWrite, "pre-write"},
    std::pair{ImageKind::Write, "write"},     std::pair{ImageKind::Damaged, "damaged"},
    std::pair{ImageKind::Attempt, "attempt"},
};

// A refusal that is no database failure (an unknown pager, a claim not held): said as it is.
struct Refusal : std::runtime_error {
    using std::runtime_error::runtime_error;
};

std::int64_t Millis(Clock::time_point time) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

Clock::time_point TimeOf(std::int64_t millis) {
    return Clock::time_point(
        std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(millis)));
}

QString Q(const std::string& text) { return QString::fromStdString(text); }
std::string S(const QVariant& value) { return value.toString().toStdString(); }

std::string Sha256Of(const PagerImage& image) {
    const QByteArray bytes(reinterpret_cast<const char*>(image.data()),
                           static_cast<qsizetype>(image.size()));
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex().toStdString();
}

QVariant NullableId(std::int64_t id) {
    return id == 0 ? QVariant(QMetaType(QMetaType::LongLong))
                   : QVariant(static_cast<qlonglong>(id));
}

bool ProcessGone(std::int64_t pid) {
    if (pid <= 0) return true;
    return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// One statement with its values bound in order; throws SqlFailure when it fails.
class Statement {
public:
    Statement(QSqlDatabase& db, const std::string& text) : query_(db) {
        query_.setForwardOnly(true);
        if (!query_.prepare(QString::fromStdString(text)))
            throw SqlFailure(SqlReason(query_.lastError()), IsBusy(query_.lastError()));
    }
    Statement& Run(std::initializer_list<QVariant> values = {}) {
        return Run(std::vector<QVariant>(values));
    }
    Statement& Run(const std::vector<QVariant>& values) {
        for (const QVariant& value : values) query_.addBindValue(value);
        if (!query_.exec())
            throw SqlFailure(SqlReason(query_.lastError()), IsBusy(query_.lastError()));
        return *this;
    }
    bool Next() { return query_.next(); }
    QVariant At(int column) const { return query_.value(column); }
    std::int64_t Int(int column) const { return query_.value(column).toLongLong(); }
    std::string Text(int column) const { return S(query_.value(column)); }
    int Affected() const { return query_.numRowsAffected(); }
    QVariant LastId() const { return query_.lastInsertId(); }

private:
    QSqlQuery query_;
};

void Exec(QSqlDatabase& db, const std::string& text) { Statement(db, text).Run(); }

constexpr const char* kRecordColumns =
    "id, pager_id, kind, bytes, sha256, result, message, time, bench, operator, port, board, plan, "
    "row";

ImageRecord RecordAt(const Statement& row, int first) {
    ImageRecord record;
    record.id = row.Int(first);
    record.pagerId = row.Int(first + 1);
    record.kind = ImageKindFromText(row.Text(first + 2)).value_or(ImageKind::Read);
    const QVariant bytes = row.At(first + 3);
    if (!bytes.isNull()) {
        const QByteArray blob = bytes.toByteArray();
        if (blob.size() == static_cast<qsizetype>(kImageSize)) {
            PagerImage image{};
            std::memcpy(image.data(), blob.constData(), kImageSize);
            record.image = image;
        }
    }
    record.sha256 = row.Text(first + 4);
    record.result = row.Text(first + 5);
    record.message = row.Text(first + 6);
    record.time = TimeOf(row.Int(first + 7));
    record.origin.bench = row.Text(first + 8);
    record.origin.operatorName = row.Text(first + 9);
    record.origin.port = row.Text(first + 10);
    record.origin.board = row.Text(first + 11);
    record.origin.plan = row.Text(first + 12);
    record.origin.row = static_cast<int>(row.Int(first + 13));
    return record;
}

constexpr const char* kPagerColumns = "id, asset, label, plan, note";

Pager PagerAt(const Statement& row, int first) {
    return {.id = row.Int(first),
            .asset = row.Text(first + 1),
            .label = row.Text(first + 2),
            .plan = row.Text(first + 3),
            .note = row.Text(first + 4)};
}

std::optional<ImageRecord> RecordById(QSqlDatabase& db, const QVariant& id) {
    if (id.isNull()) return std::nullopt;
    const std::string text = std::string("SELECT ") + kRecordColumns + " FROM records WHERE id = ?";
    Statement query(db, text);
    query.Run({id});
    if (!query.Next()) return std::nullopt;
    return RecordAt(query, 0);
}

std::optional<Pager> PagerById(QSqlDatabase& db, std::int64_t id) {
    const std::string text = std::string("SELECT ") + kPagerColumns + " FROM pagers WHERE id = ?";
    Statement query(db, text);
    query.Run({static_cast<qlonglong>(id)});
    if (!query.Next()) return std::nullopt;
    return PagerAt(query, 0);
}

int UserVersion(QSqlDatabase& db) {
    Statement query(db, "PRAGMA user_version");
    query.Run();
    return query.Next() ? static_cast<int>(query.Int(0)) : 0;
}

// Makes the file with mode 0600 (SQLite would follow the umask), its folder too.
std::string CreateFile(const std::filesystem::path& path) {
    std::error_code error;
    const auto folder = path.parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, error);
    if (error) return "its folder cannot be made (" + error.message() + ")";
    const int fd = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return "";
}

// What the first 100 bytes of an existing file say of it, before SQLite opens it:
// "" when it may be an inventory, else why not. SQLite would take a file cut
// short for a smaller database and lose what was cut off without a word.
std::string HeaderProblem(const std::filesystem::path& path, std::uintmax_t size) {
    if (size == 0) return "";  // made empty: SQLite starts it
    std::array<unsigned char, 100> header{};
    {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return std::string("it cannot be read (") + std::strerror(errno) + ")";
        const ssize_t got = ::read(fd, header.data(), header.size());
        ::close(fd);
        constexpr std::string_view kMagic("SQLite format 3\0", 16);
        if (got < static_cast<ssize_t>(header.size()) ||
            std::string_view(reinterpret_cast<const char*>(header.data()), kMagic.size()) != kMagic)
            return "it is not an inventory database (file is not a database)";
    }
    auto word = [&](std::size_t at) { return std::uint32_t{header[at]} << 8 | header[at + 1]; };
    auto longWord = [&](std::size_t at) { return word(at) << 16 | word(at + 2); };
    const std::uintmax_t pageSize = word(16) == 1 ? 65536 : word(16);
    // The page count is good only when it was written with the current change counter.
    if (longWord(92) != longWord(24)) return "";
    // A write-ahead log beside it holds pages the file may not have yet (a
    // checkpoint that a full disk or a power cut broke off): SQLite reads them from there.
    std::error_code error;
    std::filesystem::path wal = path;
    wal += "-wal";
    if (std::filesystem::file_size(wal, error) > 0 && !error) return "";
    const std::uintmax_t expected = pageSize * longWord(28);
    if (size < expected)
        return "it is not a whole inventory database: it was cut short (" + std::to_string(size) +
               " of " + std::to_string(expected) + " bytes)";
    return "";
}

}  // namespace

std::string ImageKindText(ImageKind kind) {
    for (const auto& [each, text] : kKindTexts)
        if (each == kind) return text;
    return "read";
}

std::optional<ImageKind> ImageKindFromText(const std::string& text) {
    for (const auto& [kind, each] : kKindTexts)
        if (text == each) return kind;
    return std::nullopt;
}

bool Identity::HoldsLastWrite() const {
    if (by != By::ExactImage || pagers.size() != 1 || !latestWrite || !latestWrite->image)
        return false;
    const std::string& held = heldSha256.empty() && latest ? latest->sha256 : heldSha256;
    return !held.empty() && latestWrite->sha256 == held;
}

struct Inventory::Impl {
    std::string path;
    ThreadConnections connections;

    Impl(std::string file, ThreadConnections::Access access)
        : path(std::move(file)), connections(Q(path), access) {}

    QSqlDatabase Connection() {
        QSqlDatabase db = connections.ForThisThread();
        if (!db.isOpen()) throw SqlFailure(SqlReason(db.lastError()), IsBusy(db.lastError()));
        return db;
    }

    // Runs body in one transaction; writes take the file's write lock at once
    // (IMMEDIATE), so two processes never both read and then both write. A
    // failure rolls everything back and is said as "Cannot <action> ...".
    template <typename T>
    Result<T> Call(const std::string& action, bool write,
                   const std::function<T(QSqlDatabase&)>& body) {
        try {
            QSqlDatabase db = Connection();
            Exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN");
            try {
                T value = body(db);
                Exec(db, "COMMIT");
                return {std::move(value), ""};
            } catch (...) {
                QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
                throw;
            }
        } catch (const SqlFailure& failure) {
            return {std::nullopt, CannotText(action, path, failure.what())};
        } catch (const Refusal& refusal) {
            return {std::nullopt, CannotText(action, path, refusal.what())};
        }
    }

    std::optional<std::int64_t> Insert(QSqlDatabase& db, const ImageRecord& record,
                                       const std::string& importKey) {
        if (record.pagerId != 0 && !PagerById(db, record.pagerId))
            throw Refusal("it holds no pager numbered " + std::to_string(record.pagerId));
        QVariant bytes(QMetaType(QMetaType::QByteArray));
        std::string sha256 = record.sha256;
        std::optional<CallKey> key;
        if (record.image) {
            bytes = QByteArray(reinterpret_cast<const char*>(record.image->data()),
                               static_cast<qsizetype>(kImageSize));
            sha256 = Sha256Of(*record.image);
            key = CallKeyOf(*record.image);
        }
        const QVariant none(QMetaType(QMetaType::LongLong));
        auto code = [&](std::uint32_t CallKey::*member) {
            return key ? QVariant(static_cast<qlonglong>((*key).*member)) : none;
        };
        const std::int64_t time = Millis(record.time);
        Statement insert(
            db,
            importKey.empty()
                ? "INSERT INTO records (pager_id, kind, bytes, sha256, result, message, time, "
                  "bench, "
                  "operator, port, board, plan, row, tone1, tone2, rssi, ssi, rssi2, imported) "
                  "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"
                : "INSERT OR IGNORE INTO records (pager_id, kind, bytes, sha256, result, message, "
                  "time, bench, operator, port, board, plan, row, tone1, tone2, rssi, ssi, rssi2, "
                  "imported) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        insert.Run(
            {NullableId(record.pagerId), Q(ImageKindText(record.kind)), bytes, Q(sha256),
             Q(record.result), Q(record.message), static_cast<qlonglong>(time),
             Q(record.origin.bench), Q(record.origin.operatorName), Q(record.origin.port),
             Q(record.origin.board), Q(record.origin.plan), record.origin.row,
             code(&CallKey::tone1), code(&CallKey::tone2), code(&CallKey::rssi),
             code(&CallKey::ssi), code(&CallKey::rssi2),
             importKey.empty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(Q(importKey))});
        if (insert.Affected() == 0) return std::nullopt;  // imported before
        const QVariant id = insert.LastId();
        if (record.pagerId != 0) {
            // A record older than the pager's latest (an import) leaves the latest as it is.
            Statement(db,
                      "UPDATE pagers SET latest_record = ?, latest_time = ? "
                      "WHERE id = ? AND (latest_time IS NULL OR latest_time <= ?)")
                .Run({id, static_cast<qlonglong>(time), static_cast<qlonglong>(record.pagerId),
                      static_cast<qlonglong>(time)});
            if (record.image)
                Statement(
                    db,
                    "UPDATE pagers SET latest_image = ?, latest_image_time = ?, latest_sha256 = ?, "
                    "tone1 = ?, tone2 = ?, rssi = ?, ssi = ?, rssi2 = ? "
                    "WHERE id = ? AND (latest_image_time IS NULL OR latest_image_time <= ?)")
                    .Run({id, static_cast<qlonglong>(time), Q(sha256), code(&CallKey::tone1),
                          code(&CallKey::tone2), code(&CallKey::rssi), code(&CallKey::ssi),
                          code(&CallKey::rssi2), static_cast<qlonglong>(record.pagerId),
                          static_cast<qlonglong>(time)});
        }
        return id.toLongLong();
    }
};

Inventory::Inventory(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Inventory::~Inventory() = default;

std::string Inventory::DefaultLocation() {
    if (const char* named = std::getenv("MK843NB_INVENTORY"); named != nullptr && *named != '\0')
        return named;
    std::filesystem::path data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0')
        data = xdg;
    else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        data = std::filesystem::path(home) / ".local" / "share";
    else
        data = ".";
    return (data / "mk843nb" / "inventory.sqlite").string();
}

Result<std::unique_ptr<Inventory>> Inventory::Open(const std::string& location) {
    auto fail = [&](const std::string& reason) -> Result<std::unique_ptr<Inventory>> {
        return {std::nullopt, "Cannot open the inventory " + location + ": " + reason + "."};
    };
    if (location.empty()) return {std::nullopt, "Cannot open the inventory: no file is named."};
    // Qt finds its SQLite driver through the application object.
    if (QCoreApplication::instance() == nullptr) return fail("the program has not started Qt");
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail("Qt's SQLite driver is not installed (package libqt6sql6-sqlite)");
    std::error_code error;
    const std::filesystem::path path = std::filesystem::absolute(location, error);
    if (error) return fail(error.message());
    struct stat status {};
    if (::stat(path.c_str(), &status) == 0) {
        if (!S_ISREG(status.st_mode)) return fail("it is not a file");
        if (const std::string problem =
                HeaderProblem(path, static_cast<std::uintmax_t>(status.st_size));
            !problem.empty())
            return fail(problem + ". It was left unchanged");
    } else if (const std::string why = CreateFile(path); !why.empty()) {
        return fail("it cannot be made (" + why + ")");
    }

    using Access = ThreadConnections::Access;
    Access access = Access::Write;
    if (::access(path.c_str(), W_OK) != 0)
        access = errno == EROFS ? Access::ReadOnlyDisk : Access::Read;
    const bool readOnly = access != Access::Write;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    for (;;) {
        auto impl = std::make_unique<Impl>(path.string(), access);
        try {
            QSqlDatabase db = impl->Connection();
            // Looked at before anything is written: a newer program's file, or
            // another program's database, stays exactly as it is.
            // One snapshot: another process may be making the schema of a new file meanwhile.
            Exec(db, "BEGIN");
            const int version = UserVersion(db);
            std::int64_t tableCount = 0;
            {
                Statement tables(db, "SELECT count(*) FROM sqlite_master");
                tables.Run();
                if (tables.Next()) tableCount = tables.Int(0);
            }
            Exec(db, "COMMIT");
            if (version > ProgramSchema())
                return fail("it was made by a newer version of mk843nb (schema " +
                            std::to_string(version) + "; this program knows schema " +
                            std::to_string(ProgramSchema()) +
                            " and older). It was left unchanged: use the newer program, or name "
                            "another inventory");
            if (version == 0 && tableCount > 0)
                return fail(
                    "it is not an inventory database (it holds other tables). It was left "
                    "unchanged");
            if (readOnly && version < ProgramSchema())
                return fail(
                    "the file is read-only and was made by an older version of mk843nb. Open it "
                    "once "
                    "where it may be written");
            bool wal = readOnly;  // left as it is: nothing may be written
            {
                Statement journal(db, "PRAGMA journal_mode");
                journal.Run();
                wal = journal.Next() && journal.Text(0) == "wal";
            }
            // Readers and one writer at a time, across processes.
            if (!wal) Exec(db, "PRAGMA journal_mode = WAL");
            if (version < ProgramSchema()) {
                Exec(db, "BEGIN IMMEDIATE");
                try {
                    // Another process may have migrated it meanwhile.
                    const int now = UserVersion(db);
                    for (const Migration& migration : Migrations()) {
                        if (migration.version <= now) continue;
                        for (std::string_view statement : migration.statements)
                            Statement(db, std::string(statement)).Run();
                        Exec(db, ("PRAGMA user_version = " + std::to_string(migration.version)));
                    }
                    Exec(db, "COMMIT");
                } catch (...) {
                    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
                    throw;
                }
            }
        } catch (const SqlFailure& failure) {
            // A new file being made by another program at the same moment: SQLite
            // does not wait on its own for the change of journal mode, so wait here.
            if (failure.busy && std::chrono::steady_clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                continue;
            }
            return fail(failure.what());
        }
        return {std::unique_ptr<Inventory>(new Inventory(std::move(impl))), ""};
    }
}

std::string Inventory::Where() const {
    return "SQLite " + impl_->path + " (schema " + std::to_string(SchemaVersion()) + ")";
}

int Inventory::SchemaVersion() const {
    try {
        QSqlDatabase db = impl_->Connection();
        return UserVersion(db);
    } catch (const SqlFailure&) {
        return 0;
    }
}

Result<Pager> Inventory::EnsurePager(const Pager& wanted) {
    return impl_->Call<Pager>(
        "keep the pager '" + (wanted.asset.empty() ? wanted.label : wanted.asset) + "'", true,
        [&](QSqlDatabase& db) {
            const std::string select = std::string("SELECT ") + kPagerColumns + " FROM pagers ";
            std::optional<Pager> found;
            if (!wanted.asset.empty()) {
                Statement query(db, (select + "WHERE asset = ? AND asset <> ''"));
                query.Run({Q(wanted.asset)});
                if (query.Next()) found = PagerAt(query, 0);
            } else {
                Statement query(db, (select + "WHERE label = ? AND plan = ? AND asset = '' "
                                              "ORDER BY latest_time DESC, id DESC LIMIT 1"));
                query.Run({Q(wanted.label), Q(wanted.plan)});
                if (query.Next()) found = PagerAt(query, 0);
            }
            if (!found) {
                Statement insert(
                    db, "INSERT INTO pagers (asset, label, plan, note) VALUES (?, ?, ?, ?)");
                insert.Run({Q(wanted.asset), Q(wanted.label), Q(wanted.plan), Q(wanted.note)});
                Pager made = wanted;
                made.id = insert.LastId().toLongLong();
                return made;
            }
            // What is given replaces what was known; what is not given stays.
            Pager kept = *found;
            if (!wanted.label.empty()) kept.label = wanted.label;
            if (!wanted.plan.empty()) kept.plan = wanted.plan;
            if (!wanted.note.empty()) kept.note = wanted.note;
            Statement(db, "UPDATE pagers SET label = ?, plan = ?, note = ? WHERE id = ?")
                .Run({Q(kept.label), Q(kept.plan), Q(kept.note), static_cast<qlonglong>(kept.id)});
            return kept;
        });
}

Result<std::optional<Pager>> Inventory::FindPager(const std::string& labelOrAsset) {
    return impl_->Call<std::optional<
        Pager>>("find the pager '" + labelOrAsset + "'", false, [&](QSqlDatabase& db) {
        if (labelOrAsset.empty()) return std::optional<Pager>();
        const std::string select = std::string("SELECT ") + kPagerColumns + " FROM pagers ";
        {
            Statement query(db, (select + "WHERE asset = ? AND asset <> ''"));
            query.Run({Q(labelOrAsset)});
            if (query.Next()) return std::optional<Pager>(PagerAt(query, 0));
        }
        Statement query(
            db,
            (select +
             "WHERE label = ? ORDER BY latest_time IS NULL, latest_time DESC, id DESC LIMIT 1"));
        query.Run({Q(labelOrAsset)});
        if (query.Next()) return std::optional<Pager>(PagerAt(query, 0));
        return std::optional<Pager>();
    });
}

Result<std::int64_t> Inventory::Record(const ImageRecord& record) {
    return impl_->Call<std::int64_t>(
        "record an image", true, [&](QSqlDatabase& db) { return *impl_->Insert(db, record, ""); });
}

Result<std::vector<std::int64_t>> Inventory::RecordAll(const std::vector<ImageRecord>& records) {
    return impl_->Call<std::vector<std::int64_t>>("record images", true, [&](QSqlDatabase& db) {
        std::vector<std::int64_t> ids;
        ids.reserve(records.size());
        for (const ImageRecord& record : records) ids.push_back(*impl_->Insert(db, record, ""));
        return ids;
    });
}

Result<std::optional<std::int64_t>> Inventory::RecordImported(const ImageRecord& record,
                                                              const std::string& importKey) {
    return impl_->Call<std::optional<std::int64_t>>("record an image", true, [&](QSqlDatabase& db) {
        return impl_->Insert(db, record, importKey);
    });
}

Result<std::vector<ImageRecord>> Inventory::History(std::int64_t pagerId) {
    return impl_->Call<std::vector<ImageRecord>>(
        "read a pager's history", false, [&](QSqlDatabase& db) {
            const std::string text = std::string("SELECT ") + kRecordColumns +
                                     " FROM records WHERE pager_id = ? ORDER BY time DESC, id DESC";
            Statement query(db, text);
            query.Run({static_cast<qlonglong>(pagerId)});
            std::vector<ImageRecord> records;
            while (query.Next()) records.push_back(RecordAt(query, 0));
            return records;
        });
}

Result<std::vector<ImageRecord>> Inventory::PlanRecords(const std::string& plan) {
    return impl_->Call<std::vector<ImageRecord>>(
        "read the records of a plan", false, [&](QSqlDatabase& db) {
            const std::string text = std::string("SELECT ") + kRecordColumns +
                                     " FROM records WHERE plan = ? ORDER BY time, id";
            Statement query(db, text);
            query.Run({Q(plan)});
            std::vector<ImageRecord> records;
            while (query.Next()) records.push_back(RecordAt(query, 0));
            return records;
        });
}

Result<Identity> Inventory::Identify(const PagerImage& held) {
    return impl_->Call<Identity>("identify the pager", false, [&](QSqlDatabase& db) {
        Identity identity;
        identity.heldSha256 = Sha256Of(held);
        const std::string select =
            std::string("SELECT ") + kPagerColumns + ", latest_record FROM pagers ";
        std::vector<QVariant> latestIds;
        auto collect = [&](Statement& query) {
            while (query.Next()) {
                identity.pagers.push_back(PagerAt(query, 0));
                latestIds.push_back(query.At(5));
            }
        };
        {
            Statement query(db, (select + "WHERE latest_sha256 = ? ORDER BY id"));
            query.Run({Q(identity.heldSha256)});
            collect(query);
        }
        if (!identity.pagers.empty()) {
            identity.by = Identity::By::ExactImage;
        } else if (const auto key = CallKeyOf(held)) {
            Statement query(
                db,
                (select + "WHERE tone1 = ? AND tone2 = ? AND rssi = ? AND ssi = ? AND rssi2 = ? "
                          "ORDER BY id"));
            query.Run({key->tone1, key->tone2, key->rssi, key->ssi, key->rssi2});
            collect(query);
            if (!identity.pagers.empty()) identity.by = Identity::By::AddressLevels;
        }
        auto latestWriteOf = [&](std::int64_t pagerId) -> std::optional<ImageRecord> {
            const std::string text =
                std::string("SELECT ") + kRecordColumns +
                " FROM records WHERE pager_id = ? AND kind = 'write' AND bytes IS NOT NULL "
                "ORDER BY time DESC, id DESC LIMIT 1";
            Statement query(db, text);
            query.Run({static_cast<qlonglong>(pagerId)});
            if (!query.Next()) return std::nullopt;
            return RecordAt(query, 0);
        };
        if (identity.pagers.size() > 1 && identity.by == Identity::By::ExactImage) {
            // The bytes are several pagers' latest image, and one of them was last written
            // with them: that is the pager. The others only had them read (a pre-write read
            // filed under the pager the row wanted, before anyone knew who was placed).
            Statement written(db,
                              "SELECT DISTINCT pager_id FROM records WHERE sha256 = ? AND kind = "
                              "'write' AND bytes IS NOT NULL");
            written.Run({Q(identity.heldSha256)});
            std::vector<std::size_t> holders;
            while (written.Next())
                for (std::size_t i = 0; i < identity.pagers.size(); ++i)
                    if (identity.pagers[i].id == written.Int(0)) holders.push_back(i);
            std::erase_if(holders, [&](std::size_t i) {
                const auto write = latestWriteOf(identity.pagers[i].id);
                return !write || write->sha256 != identity.heldSha256;
            });
            if (holders.size() == 1) {
                identity.pagers = {identity.pagers[holders.front()]};
                latestIds = {latestIds[holders.front()]};
            }
        }
        if (identity.pagers.size() == 1) {
            identity.latest = RecordById(db, latestIds.front());
            identity.latestWrite = latestWriteOf(identity.pagers.front().id);
        }
        return identity;
    });
}

Result<Done> Inventory::PutPlanRows(const std::vector<PlanRow>& rows) {
    return impl_->Call<Done>("keep the rows of a plan", true, [&](QSqlDatabase& db) {
        Statement upsert(
            db,
            "INSERT INTO plan_rows (plan, row, label, asset, pager_id, state) VALUES (?, ?, ?, ?, "
            "?, ?) "
            "ON CONFLICT (plan, row) DO UPDATE SET label = excluded.label, asset = excluded.asset, "
            "pager_id = excluded.pager_id, "
            "state = CASE WHEN plan_rows.state = 'pending' THEN excluded.state ELSE "
            "plan_rows.state END");
        for (const PlanRow& row : rows)
            upsert.Run({Q(row.plan), row.row, Q(row.label), Q(row.asset), NullableId(row.pagerId),
                        Q(row.state)});
        return Done{};
    });
}

Result<std::vector<PlanRow>> Inventory::PlanRows(const std::string& plan) {
    return impl_->Call<std::vector<PlanRow>>(
        "read the rows of a plan", false, [&](QSqlDatabase& db) {
            Statement query(db,
                            "SELECT plan, row, label, asset, pager_id, state FROM plan_rows WHERE "
                            "plan = ? ORDER BY row");
            query.Run({Q(plan)});
            std::vector<PlanRow> rows;
            while (query.Next())
                rows.push_back({.plan = query.Text(0),
                                .row = static_cast<int>(query.Int(1)),
                                .label = query.Text(2),
                                .asset = query.Text(3),
                                .pagerId = query.Int(4),
                                .state = query.Text(5)});
            return rows;
        });
}

Result<ClaimAnswer> Inventory::ClaimRow(const std::string& plan, int row, const std::string& bench,
                                        std::int64_t pid) {
    return impl_->Call<ClaimAnswer>(
        "claim row " + std::to_string(row), true, [&](QSqlDatabase& db) {
            const qlonglong now = Millis(Clock::now());
            Statement query(
                db, "SELECT bench, pid, since, heartbeat FROM claims WHERE plan = ? AND row = ?");
            query.Run({Q(plan), row});
            if (query.Next()) {
                const Claim holder{.bench = query.Text(0),
                                   .pid = query.Int(1),
                                   .since = TimeOf(query.Int(2)),
                                   .heartbeat = TimeOf(query.Int(3))};
                const bool ours = holder.bench == bench && holder.pid == pid;
                const bool dead = holder.bench == bench && ProcessGone(holder.pid);
                const bool lapsed = Clock::now() - holder.heartbeat > kClaimLapse;
                if (ours) {
                    Statement(db, "UPDATE claims SET heartbeat = ? WHERE plan = ? AND row = ?")
                        .Run({now, Q(plan), row});
                    return ClaimAnswer{.taken = true, .holder = std::nullopt};
                }
                if (!dead && !lapsed) return ClaimAnswer{.taken = false, .holder = holder};
                Statement(db, "DELETE FROM claims WHERE plan = ? AND row = ?").Run({Q(plan), row});
            }
            Statement(db,
                      "INSERT INTO claims (plan, row, bench, pid, since, heartbeat) VALUES (?, ?, "
                      "?, ?, ?, ?)")
                .Run({Q(plan), row, Q(bench), static_cast<qlonglong>(pid), now, now});
            return ClaimAnswer{.taken = true, .holder = std::nullopt};
        });
}

Result<Done> Inventory::Heartbeat(const std::string& plan, int row, const std::string& bench,
                                  std::int64_t pid) {
    return impl_->Call<
        Done>("keep the claim of row " + std::to_string(row), true, [&](QSqlDatabase& db) {
        Statement update(
            db,
            "UPDATE claims SET heartbeat = ? WHERE plan = ? AND row = ? AND bench = ? AND pid = ?");
        update.Run({static_cast<qlonglong>(Millis(Clock::now())), Q(plan), row, Q(bench),
                    static_cast<qlonglong>(pid)});
        if (update.Affected() == 0)
            throw Refusal("the row is no longer claimed by " + bench + " (pid " +
                          std::to_string(pid) + ")");
        return Done{};
    });
}

Result<Done> Inventory::ReleaseRow(const std::string& plan, int row, const std::string& bench,
                                   std::int64_t pid, const std::string& state) {
    return impl_->Call<Done>("release row " + std::to_string(row), true, [&](QSqlDatabase& db) {
        Statement(db, "DELETE FROM claims WHERE plan = ? AND row = ? AND bench = ? AND pid = ?")
            .Run({Q(plan), row, Q(bench), static_cast<qlonglong>(pid)});
        // The result stands even when the claim was taken over meanwhile: the pager was programmed.
        Statement(db,
                  "INSERT INTO plan_rows (plan, row, state) VALUES (?, ?, ?) "
                  "ON CONFLICT (plan, row) DO UPDATE SET state = excluded.state")
            .Run({Q(plan), row, Q(state)});
        return Done{};
    });
}

Result<std::vector<PagerSummary>> Inventory::List(const ListFilter& filter) {
    std::optional<CallAddress> address;
    if (!filter.address.empty()) {
        address = ParseCallAddress(filter.address);
        if (!address)
            return {std::nullopt,
                    "'" + filter.address +
                        "' is not a call address: two tones in hertz with one decimal at most, "
                        "such as 600.9/634.5."};
    }
    return impl_->Call<std::vector<PagerSummary>>("list the pagers", false, [&](QSqlDatabase& db) {
        std::string text =
            std::string("SELECT p.id, p.asset, p.label, p.plan, p.note, r.") +
            QString::fromUtf8(kRecordColumns).replace(", ", ", r.").toStdString() +
            " FROM pagers p LEFT JOIN records r ON r.id = p.latest_record WHERE 1 = 1";
        std::vector<QVariant> values;
        if (!filter.plan.empty()) {
            text += " AND (p.plan = ? OR p.id IN (SELECT pager_id FROM plan_rows WHERE plan = ?))";
            values.insert(values.end(), {Q(filter.plan), Q(filter.plan)});
        }
        if (!filter.label.empty()) {
            text += " AND p.label = ?";
            values.push_back(Q(filter.label));
        }
        if (!filter.asset.empty()) {
            text += " AND p.asset = ? AND p.asset <> ''";
            values.push_back(Q(filter.asset));
        }
        if (address) {
            text += " AND p.tone1 = ? AND p.tone2 = ?";
            values.insert(values.end(), {address->tone1, address->tone2});
        }
        text += " ORDER BY p.label, p.asset, p.id";
        Statement query(db, text);
        query.Run(values);
        std::vector<PagerSummary> pagers;
        while (query.Next()) {
            PagerSummary summary{.pager = PagerAt(query, 0), .latest = std::nullopt};
            // The latest record's columns follow the pager's; none for a pager without records.
            if (!query.At(5).isNull()) summary.latest = RecordAt(query, 5);
            pagers.push_back(std::move(summary));
        }
        return pagers;
    });
}

}  // namespace mk843nb::inventory
