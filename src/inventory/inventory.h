#pragma once

// The inventory: every pager the shop programs and every image the program
// read from or wrote to one, in a database that the window, the command line
// and several fleet runs share (an SQLite file in the data folder by default).
// It outlives the backup folder's retention: the backups are copies of images,
// the inventory is the record.
//
//   InventoryOpen open = Inventory::Open(Inventory::DefaultLocation());
//   if (!open.inventory) Fail(open.error);
//   Inventory& inventory = *open.inventory;
//   const auto pager = inventory.EnsurePager({.label = "Ladder 3", .plan = "north"});
//   inventory.Record({.pagerId = pager.value->id, .kind = ImageKind::Write, ...});
//
// Every call may fail (a read-only or full disk, a damaged file): it says why
// in words for the user, and a failed call changes nothing. Calls are safe
// from any thread; each thread gets its own connection.

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"

namespace mk843nb::inventory {

using Clock = std::chrono::system_clock;

// A value or why there is none; error is empty exactly when value is set.
template <typename T>
struct Result {
    std::optional<T> value{};
    std::string error{};
    bool ok() const { return value.has_value(); }
};
struct Done {};

struct Pager {
    std::int64_t id = 0;
    std::string asset{};  // unique when not empty
    std::string label{};
    std::string plan{};  // the plan (department) it was last planned in; "" when none
    std::string note{};
};

// What an image record is of: the words used in the database and in output.
enum class ImageKind {
    Read,      // a Read (or an identify) of the pager
    PreWrite,  // the pager's memory read just before a Write
    Write,     // the image as sent by a Write, whatever its verify found
    Damaged,   // the pager's memory before a Write, failing its checksum
    Attempt,   // a command that got no image at all (a pre-write read that failed)
};
std::string ImageKindText(ImageKind kind);  // "read", "pre-write", "write", "damaged", "attempt"
std::optional<ImageKind> ImageKindFromText(const std::string& text);

// Where and by whom a record was made.
struct Origin {
    std::string bench{};         // the host name, or --bench
    std::string operatorName{};  // the login name, or --operator / the window's setting
    std::string port{};
    std::string board{};  // the board's name in a fleet run ("" outside one)
    std::string plan{};   // the plan key ("" outside a plan)
    int row = 0;          // the plan's roster line (0 outside a plan)
};

struct ImageRecord {
    std::int64_t id = 0;       // set by the inventory
    std::int64_t pagerId = 0;  // 0: no known pager
    ImageKind kind = ImageKind::Read;
    std::optional<PagerImage> image{};  // the whole 256 bytes; none for an Attempt
    std::string sha256{};               // of the image; set by the inventory
    // "read", "written" (verified), "verify failed", "write failed", "read failed",
    // "refused" (not the pager the row wants), "cancelled"; as the program says them.
    std::string result{};
    std::string message{};  // what the user was told, "" when nothing
    Clock::time_point time = Clock::now();
    Origin origin{};
};

// Who a pager placed on a board is, from the image read from it.
struct Identity {
    enum class By {
        Nobody,        // unknown: a new pager
        ExactImage,    // its bytes are the latest image recorded for the pager(s)
        AddressLevels  // call 1's address and its own RSSI, SSI and RSSI2 codes
    };
    By by = By::Nobody;
    std::vector<Pager> pagers{};          // one, or several (say which)
    std::optional<ImageRecord> latest{};  // with one pager: its latest record
    // With one pager: its latest Write record that holds an image.
    std::optional<ImageRecord> latestWrite{};
    std::string heldSha256{};  // of the image identified
    // One pager, found by its exact image, whose latest Write is that image:
    // the pager holds what was last written to it (reads of it since then,
    // the same bytes again, do not change that).
    bool HoldsLastWrite() const;
};

struct PlanRow {
    std::string plan{};  // the plan key
    int row = 0;         // the roster line
    std::string label{};
    std::string asset{};
    std::int64_t pagerId = 0;
    // "pending", "written", "verify failed", "write failed", ... (the last result)
    std::string state = "pending";
};

struct Claim {
    std::string bench{};
    std::int64_t pid = 0;
    Clock::time_point since{};
    Clock::time_point heartbeat{};
};

// A claim asked for: taken, or held by someone else (who).
struct ClaimAnswer {
    bool taken = false;
    std::optional<Claim> holder{};  // when not taken and another holds it
};

struct ListFilter {
    std::string plan{};
    std::string label{};
    std::string asset{};
    std::string address{};  // "600.9/634.5": pagers whose latest image answers to it
};

struct PagerSummary {
    Pager pager{};
    std::optional<ImageRecord> latest{};  // its latest record
};

class Inventory {
public:
    // $MK843NB_INVENTORY when set and not empty, else
    // $XDG_DATA_HOME/mk843nb/inventory.sqlite, else ~/.local/share/mk843nb/inventory.sqlite.
    static std::string DefaultLocation();
    // An SQLite file's path (made with mode 0600 when missing, WAL). A file whose
    // schema is newer than this program's is refused, unchanged; an older one is
    // migrated in one transaction.
    static Result<std::unique_ptr<Inventory>> Open(const std::string& location);

    ~Inventory();
    Inventory(const Inventory&) = delete;
    Inventory& operator=(const Inventory&) = delete;

    // "SQLite /home/ann/.local/share/mk843nb/inventory.sqlite (schema 1)".
    std::string Where() const;
    int SchemaVersion() const;

    // The pager of asset when given, else of label within plan; made when missing,
    // its label, plan and note brought up to date.
    Result<Pager> EnsurePager(const Pager& wanted);
    // By asset, else by label (several: the most recently recorded one).
    Result<std::optional<Pager>> FindPager(const std::string& labelOrAsset);

    // Stores a record (its sha256 and id filled in); returns its id. A record
    // without an image keeps the sha256 it is given (a report line's planned table).
    Result<std::int64_t> Record(const ImageRecord& record);
    // The same for a record brought in from elsewhere (a backup, a report line),
    // once per key: nullopt when a record of that key was imported before.
    Result<std::optional<std::int64_t>> RecordImported(const ImageRecord& record,
                                                       const std::string& importKey);
    // Every record of a pager, newest first.
    Result<std::vector<ImageRecord>> History(std::int64_t pagerId);
    // Every record made for a plan, in the order they were made (its report's lines).
    Result<std::vector<ImageRecord>> PlanRecords(const std::string& plan);

    Result<Identity> Identify(const PagerImage& held);

    // The rows of a plan, added or brought up to date (a row already done keeps its state).
    Result<Done> PutPlanRows(const std::vector<PlanRow>& rows);
    Result<std::vector<PlanRow>> PlanRows(const std::string& plan);
    // In one transaction: the row is taken for (bench, pid) unless another live
    // claim holds it. A claim whose process is gone (same bench, no such pid) or
    // whose heartbeat is older than kClaimLapse is taken over.
    Result<ClaimAnswer> ClaimRow(const std::string& plan, int row, const std::string& bench,
                                 std::int64_t pid);
    Result<Done> Heartbeat(const std::string& plan, int row, const std::string& bench,
                           std::int64_t pid);
    // Releases the claim, the row taking state as its result.
    Result<Done> ReleaseRow(const std::string& plan, int row, const std::string& bench,
                            std::int64_t pid, const std::string& state);

    Result<std::vector<PagerSummary>> List(const ListFilter& filter);

private:
    struct Impl;
    explicit Inventory(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

inline constexpr std::chrono::seconds kClaimLapse{30};

}  // namespace mk843nb::inventory
