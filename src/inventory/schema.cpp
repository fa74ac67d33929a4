#include "inventory/schema.h"

#include <array>

namespace mk843nb::inventory {
namespace {

// Times are milliseconds since 1970 UTC. A pager carries its latest record and
// latest image (with the call address and levels of that image) so that
// identifying a placed pager is one indexed look-up however long its history.
constexpr std::array<std::string_view, 13> kSchema1{
    R"(CREATE TABLE pagers (
        id INTEGER PRIMARY KEY,
        asset TEXT NOT NULL DEFAULT '',
        label TEXT NOT NULL DEFAULT '',
        plan TEXT NOT NULL DEFAULT '',
        note TEXT NOT NULL DEFAULT '',
        latest_record INTEGER,
        latest_time INTEGER,
        latest_image INTEGER,
        latest_image_time INTEGER,
        latest_sha256 TEXT,
        tone1 INTEGER, tone2 INTEGER, rssi INTEGER, ssi INTEGER, rssi2 INTEGER))",
    "CREATE UNIQUE INDEX pagers_by_asset ON pagers (asset) WHERE asset <> ''",
    "CREATE INDEX pagers_by_label ON pagers (label, plan)",
    "CREATE INDEX pagers_by_image ON pagers (latest_sha256)",
    "CREATE INDEX pagers_by_call ON pagers (tone1, tone2, rssi, ssi, rssi2)",
    R"(CREATE TABLE records (
        id INTEGER PRIMARY KEY,
        pager_id INTEGER REFERENCES pagers (id),
        kind TEXT NOT NULL,
        bytes BLOB CHECK (bytes IS NULL OR length(bytes) = 256),
        sha256 TEXT NOT NULL DEFAULT '',
        result TEXT NOT NULL DEFAULT '',
        message TEXT NOT NULL DEFAULT '',
        time INTEGER NOT NULL,
        bench TEXT NOT NULL DEFAULT '',
        operator TEXT NOT NULL DEFAULT '',
        port TEXT NOT NULL DEFAULT '',
        board TEXT NOT NULL DEFAULT '',
        plan TEXT NOT NULL DEFAULT '',
        row INTEGER NOT NULL DEFAULT 0,
        tone1 INTEGER, tone2 INTEGER, rssi INTEGER, ssi INTEGER, rssi2 INTEGER,
        imported TEXT))",
    "CREATE INDEX records_by_image ON records (sha256)",
    "CREATE INDEX records_by_pager ON records (pager_id, time, id)",
    "CREATE INDEX records_by_plan ON records (plan, time, id)",
    "CREATE INDEX records_by_call ON records (tone1, tone2, rssi, ssi, rssi2)",
    // A backup or a report line imported twice is one record.
    "CREATE UNIQUE INDEX records_by_import ON records (imported) WHERE imported IS NOT NULL",
    R"(CREATE TABLE plan_rows (
        plan TEXT NOT NULL,
        row INTEGER NOT NULL,
        label TEXT NOT NULL DEFAULT '',
        asset TEXT NOT NULL DEFAULT '',
        pager_id INTEGER REFERENCES pagers (id),
        state TEXT NOT NULL DEFAULT 'pending',
        PRIMARY KEY (plan, row)))",
    R"(CREATE TABLE claims (
        plan TEXT NOT NULL,
        row INTEGER NOT NULL,
        bench TEXT NOT NULL,
        pid INTEGER NOT NULL,
        since INTEGER NOT NULL,
        heartbeat INTEGER NOT NULL,
        PRIMARY KEY (plan, row)))",
};

constexpr std::array kMigrations{
    Migration{1, kSchema1},
};

}  // namespace

std::span<const Migration> Migrations() { return kMigrations; }

int ProgramSchema() { return kMigrations.back().version; }

}  // namespace mk843nb::inventory
