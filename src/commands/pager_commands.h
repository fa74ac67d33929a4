#pragma once

// The Pager commands as every front end runs them: the window's menu, the
// command-line tool and each board of a fleet run. One implementation each of
// Read, Write (the backup of the pager's memory before it, the image as sent
// kept once its verify has run), Verify (with the differing fields) and the
// read behind Compare with pager. The caller brings the link session (its
// channel, its clock, its hooks) and where backups go; while a command runs,
// the link's events show its progress, and its outcome reaches them, complete,
// before the closing.
//
//   LinkSession link(&TCommPort::Create, clock, hooks);
//   PagerCommands commands(link, KeepInStore(BackupStore::DefaultFolder()));
//   PagerImage image = model.Image();
//   CommandOutcome out = commands.Write(image, {.backupFirst = true});
//   if (!out.success()) Tell(out.link.message->text);

#include <functional>
#include <optional>
#include <string>

#include "commands/image_recording.h"
#include "files/backup_store.h"
#include "image/pager_image.h"
#include "link/link_messages.h"
#include "link/link_outcome.h"
#include "link/link_session.h"

namespace mk843nb {

// Stores a pager image as a backup. Boards of a fleet share one; the keeper
// they are given takes turns.
using BackupKeeper = std::function<BackupResult(const PagerImage&, const BackupInfo&)>;

// A keeper over the store in folder, keeping keep backups; safe to share between threads.
BackupKeeper KeepInStore(std::filesystem::path folder,
                         std::size_t keep = BackupStore::DefaultKeep());
// A keeper over the caller's store, which outlives it; safe to share between threads.
BackupKeeper KeepInStore(BackupStore& store);

// How a command ended, with what the layer added to the link's outcome.
struct CommandOutcome {
    // The link command that ended it: Read when a Write stopped at its pre-write read.
    LinkCommand command = LinkCommand::Read;
    // The link's outcome; link.message is what the user is told, link.details the
    // differing fields of a failed verify.
    LinkOutcome link;
    // The backup this command stored: the image read, or the image as sent.
    std::optional<StoredBackup> backup;
    // Write: what the pager held before it (a pre-write or, damaged, a damaged backup).
    std::optional<StoredBackup> before;
    // Write: the pre-write read found the pager's memory failing its checksum.
    bool damagedMemory = false;
    // Write: asked whether to write over a damaged memory, the user said no.
    bool cancelled = false;
    // A backup that should have been stored and was not (the command went on).
    std::string backupError;
    // A record the recorder could not store, the command having gone on (a
    // Read, the image as sent); a pre-write record that fails stops the Write.
    std::string recordError;

    bool success() const { return link.success; }
};

struct WriteRequest {
    // Read the pager first and keep what it holds; no backup, no write.
    bool backupFirst = false;
    // Asked, when the pager's memory failed its checksum and was kept, whether
    // to write over it. Unset: the Write goes on.
    std::function<bool(const StoredBackup& kept)> confirmOverDamaged;
    // Asked with what the pager holds once the pre-write read succeeded, before
    // its backup: false ends the command there (cancelled, nothing written or
    // kept). Unset: the Write goes on.
    std::function<bool(const PagerImage& held)> proceed;
    // With backupFirst, after the pre-write backup and before the Write: held is
    // what the pager holds (the damaged bytes when its memory failed its
    // checksum); image may be changed, and is then what is written and verified.
    std::function<void(const PagerImage& held, PagerImage& image)> adjust{};
    // Carried by every backup this Write stores (a fleet run's pager).
    PagerTags tags{};
};

class PagerCommands {
public:
    // record, when given, is told of every image read or written and of every
    // attempt that got none; a Write whose pre-write read it cannot store
    // writes nothing.
    PagerCommands(LinkSession& link, BackupKeeper keep, ImageRecorder record = {});

    LinkSession& Link() { return link_; }

    // Read: image takes the pager's 256 bytes when the whole read succeeded,
    // and they go to the backups as read. The outcome is announced.
    CommandOutcome Read(PagerImage& image);
    // Write: the pre-write read and its backup when asked, then the Write
    // (image prepared in place and sent, then verified); the image as sent is
    // kept once the verify has run, whatever it found, before the outcome is
    // announced. A Write broken after frames went out says how many.
    CommandOutcome Write(PagerImage& image, const WriteRequest& request);
    // Verify: a difference is told field by field in link.details.
    CommandOutcome Verify(const PagerImage& image);
    // The read behind a comparison with the pager: not announced (the caller
    // shows the comparison or the failure); the bytes read go to the backups.
    CommandOutcome ReadForComparison(PagerImage& pager);

private:
    // Stores image as kind; a failure goes to outcome.backupError.
    void KeepBackup(const PagerImage& image, BackupInfo info, CommandOutcome& outcome,
                    std::optional<StoredBackup>& into);
    // Tells the recorder; its failure goes to outcome.recordError and is returned.
    std::string Record(RecordedKind kind, const std::optional<PagerImage>& image,
                       const std::string& result, const std::optional<Message>& message,
                       const PagerTags& tags, CommandOutcome& outcome);
    void RecordRead(const LinkOutcome& done, const PagerImage& image, CommandOutcome& outcome);
    void RecordWrite(const LinkOutcome& done, const PagerImage& image, const PagerTags& tags,
                     CommandOutcome& outcome);
    BackupInfo InfoFor(BackupKind kind, const PagerImage& image, const PagerTags& tags = {});
    // The pre-write read: false when the Write must not go on (outcome says why).
    // held takes what the pager holds.
    bool BackUpBeforeWrite(const PagerImage& image, const WriteRequest& request,
                           CommandOutcome& outcome, PagerImage& held);

    LinkSession& link_;
    BackupKeeper keep_;
    ImageRecorder record_;
};

}  // namespace mk843nb
