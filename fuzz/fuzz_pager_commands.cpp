// The Pager commands (Read, Write with or without its backup first, Verify,
// the read behind Compare with pager) against a board that misbehaves in
// every way the input can choose, with a backup keeper that may fail. For
// each command the input's next byte says which command, whether the Write
// backs up first, whether the keeper fails and what the user answers over a
// damaged memory; then the board's replies follow. Whatever happens:
// - the port is closed and every failure says something;
// - a Write never sends a frame without the pager's image kept first when it
//   was asked to back up, nor after the user said no;
// - a Read keeps exactly the image it took, and only when it succeeded;
// - a Write keeps the image exactly as sent once it was sent, and on success
//   from an honest board the pager holds it;
// - a Verify changes nothing and keeps nothing.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "commands/pager_commands.h"
#include "frames.h"
#include "image/pager_image.h"
#include "link/link_events.h"
#include "link/link_session.h"
#include "pager_memory.h"
#include "played_board.h"

namespace {

using namespace mk843nb;

void Check(bool condition, const char* what) {
    if (condition) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

struct Kept {
    PagerImage image;
    BackupKind kind;
};

class QuietEvents : public LinkEvents {};

PagerImage ImageToWrite() {
    PagerImage image = DefaultImage();
    image[70] = 60;
    image[100] ^= 0x5A;
    return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::ReplyScript script({data, size});
    const int count = 1 + script.Next() % 3;

    fuzz::FakeClock clock;
    int openChannels = 0;
    fuzz::PlayedBoard board(sim::MakePagerMemory({}), script, clock);
    QuietEvents events;
    std::vector<Kept> kept;
    bool keeperFails = false;
    BackupKeeper keeper = [&](const PagerImage& image, const BackupInfo& info) {
        BackupResult result;
        if (keeperFails) {
            result.error = "Cannot write the backup: the disk is full";
            return result;
        }
        kept.push_back({image, info.kind});
        result.stored = true;
        result.backup = StoredBackup{"kept.tbl", "kept.json", info};
        return result;
    };

    LinkSession session(
        [&] { return std::make_unique<fuzz::PlayedChannel>(board, clock, openChannels); }, clock,
        events);
    session.SetPortTable({{{"/dev/played", ""}}, 0});
    PagerCommands commands(session, keeper);
    PagerImage window = ImageToWrite();

    for (int i = 0; i < count; ++i) {
        board.Restart();
        fuzz::PlayedChannel::waits = 0;
        const std::uint8_t choice = script.Next();
        const int kind = choice & 3;
        keeperFails = (choice & 4) != 0;
        const bool backupFirst = (choice & 8) != 0;
        const bool overDamaged = (choice & 16) != 0;
        kept.clear();
        const PagerImage before = window;
        const PagerImage pagerBefore = board.Memory();
        const std::size_t firstExchange = board.Exchanges().size();
        CommandOutcome outcome;

        if (kind == 0) {
            outcome = commands.Read(window);
            if (outcome.success() && !keeperFails) {
                Check(
                    kept.size() == 1 && kept[0].kind == BackupKind::Read && kept[0].image == window,
                    "a Read kept other than the image it took");
                Check(outcome.backup.has_value(), "a Read's backup is not in its outcome");
            } else {
                Check(kept.empty(), "a Read kept something it did not take");
            }
            Check(outcome.success() || outcome.backupError.empty(),
                  "a failed Read has a backup error");
        } else if (kind == 1) {
            bool asked = false;
            WriteRequest request;
            request.backupFirst = backupFirst;
            request.confirmOverDamaged = [&](const StoredBackup&) {
                asked = true;
                return overDamaged;
            };
            window = ImageToWrite();
            outcome = commands.Write(window, request);
            const bool anyWrite =
                std::any_of(board.Exchanges().begin() + static_cast<std::ptrdiff_t>(firstExchange),
                            board.Exchanges().end(), [](const fuzz::Exchange& e) {
                                return e.request.size() > 11 && e.request[11] == sim::kWriteSub;
                            });
            if (backupFirst) {
                const bool keptFirst = !kept.empty() && (kept[0].kind == BackupKind::PreWrite ||
                                                         kept[0].kind == BackupKind::Damaged);
                Check(!anyWrite || keptFirst, "a frame was written before the pager was kept");
                Check(!anyWrite || outcome.before.has_value(),
                      "a Write went on without what the pager held in its outcome");
                Check(!outcome.damagedMemory || asked, "written over a damaged memory unasked");
                Check(!(asked && !overDamaged) || !anyWrite,
                      "written over a damaged memory after the user said no");
                Check(!(asked && !overDamaged) || outcome.cancelled,
                      "a refused Write over a damaged memory is not cancelled");
            }
            if (!anyWrite) Check(board.Memory() == pagerBefore, "the pager changed unwritten");
            const auto sentKept = std::find_if(kept.begin(), kept.end(), [](const Kept& k) {
                return k.kind == BackupKind::Write;
            });
            if (outcome.link.imageSent && !keeperFails)
                Check(sentKept != kept.end() && sentKept->image == window,
                      "the image as sent was not kept as sent");
            if (!outcome.link.imageSent)
                Check(sentKept == kept.end(), "an image never sent was kept as sent");
            if (outcome.success() && board.Honest())
                Check(board.Memory() == window, "success, but the pager holds another image");
        } else if (kind == 2) {
            outcome = commands.Verify(window);
            Check(window == before, "a Verify changed the image");
            Check(kept.empty(), "a Verify kept a backup");
        } else {
            PagerImage pager{};
            outcome = commands.ReadForComparison(pager);
            Check(window == before, "the read for a comparison changed the window's image");
            if (outcome.success() && !keeperFails)
                Check(kept.size() == 1 && kept[0].image == pager,
                      "the read for a comparison kept other than what it read");
        }
        Check(openChannels == 0, "the port was left open");
        Check(outcome.success() || outcome.cancelled || outcome.link.message.has_value(),
              "a command failed without a message");
        if (outcome.success())
            Check(outcome.link.failure == LinkFailure::None, "success with a failure");
    }
    Check(openChannels == 0, "the port was left open at the end");
    return 0;
}
