#include "commands/pager_commands.h"

#include <memory>
#include <mutex>
#include <utility>

#include "commands/command_messages.h"
#include "editor/image_compare.h"
#include "link/port_diagnosis.h"

namespace mk843nb {

namespace {

// The store names backups by the second and prunes old ones: boards take turns.
BackupKeeper TakingTurns(std::shared_ptr<BackupStore> store) {
    auto mutex = std::make_shared<std::mutex>();
    return [store, mutex](const PagerImage& image, const BackupInfo& info) {
        std::lock_guard lock(*mutex);
        return store->Store(image, info);
    };
}

}  // namespace

BackupKeeper KeepInStore(std::filesystem::path folder, std::size_t keep) {
    return TakingTurns(std::make_shared<BackupStore>(std::move(folder), keep));
}

BackupKeeper KeepInStore(BackupStore& store) {
    // Not owned: the caller's store outlives the keeper.
    return TakingTurns(std::shared_ptr<BackupStore>(std::shared_ptr<void>(), &store));
}

namespace {

// What a Write backup's sidecar says of the verify that followed the Write.
std::string WriteResultText(const LinkOutcome& done) {
    if (done.success) return "verified";
    if (done.failure == LinkFailure::VerifyDiffers) return "verify failed";
    return "not verified";
}

// The record's result of a Write that sent the whole image.
const char* WrittenResult(const LinkOutcome& done) {
    if (done.success) return kResultWritten;
    if (done.failure == LinkFailure::VerifyDiffers) return kResultVerifyFailed;
    return kResultWriteFailed;  // the verify did not end
}

}  // namespace

void PagerCommands::RecordWrite(const LinkOutcome& done, const PagerImage& image,
                                const PagerTags& tags, CommandOutcome& outcome) {
    if (done.imageSent)
        Record(RecordedKind::Write, image, WrittenResult(done), done.message, tags, outcome);
    else if (done.writeFramesSent > 0)  // part of it reached the pager
        Record(RecordedKind::Write, image, kResultWriteFailed, done.message, tags, outcome);
    else
        Record(RecordedKind::Attempt, std::nullopt, kResultWriteFailed, done.message, tags,
               outcome);
}

void PagerCommands::RecordRead(const LinkOutcome& done, const PagerImage& image,
                               CommandOutcome& outcome) {
    if (done.success)
        Record(RecordedKind::Read, image, kResultRead, done.message, {}, outcome);
    else if (done.damagedImage)
        Record(RecordedKind::Damaged, done.damagedImage, kResultReadFailed, done.message, {},
               outcome);
    else
        Record(RecordedKind::Attempt, std::nullopt, kResultReadFailed, done.message, {}, outcome);
}

PagerCommands::PagerCommands(LinkSession& link, BackupKeeper keep, ImageRecorder record)
    : link_(link), keep_(std::move(keep)), record_(std::move(record)) {}

std::string PagerCommands::Record(RecordedKind kind, const std::optional<PagerImage>& image,
                                  const std::string& result, const std::optional<Message>& message,
                                  const PagerTags& tags, CommandOutcome& outcome) {
    if (!record_) return {};
    const PortEntry* port = link_.Ports().Selected();
    RecordedImage recorded{.kind = kind,
                           .image = image,
                           .result = result,
                           .message = message ? message->text : std::string(),
                           .port = port ? port->name : std::string(),
                           .tags = tags};
    std::string error = record_(recorded);
    if (!error.empty()) outcome.recordError = error;
    return error;
}

BackupInfo PagerCommands::InfoFor(BackupKind kind, const PagerImage& image, const PagerTags& tags) {
    const PortEntry* port = link_.Ports().Selected();
    const std::string name = port ? port->name : std::string();
    BackupInfo info = PagerBackupInfo(kind, image, name, ByIdNameOf(name));
    info.tags = tags;
    return info;
}

void PagerCommands::KeepBackup(const PagerImage& image, BackupInfo info, CommandOutcome& outcome,
                               std::optional<StoredBackup>& into) {
    if (!keep_) return;
    BackupResult kept = keep_(image, info);
    if (kept.stored)
        into = std::move(kept.backup);
    else
        outcome.backupError = kept.error;
}

CommandOutcome PagerCommands::Read(PagerImage& image) {
    CommandOutcome outcome;
    outcome.command = LinkCommand::Read;
    // Kept before the box: the bytes as read, before the window's refresh touches them.
    outcome.link = link_.Read(image, {true, [&](LinkOutcome& done) {
                                          if (done.success)
                                              KeepBackup(image, InfoFor(BackupKind::Read, image),
                                                         outcome, outcome.backup);
                                          RecordRead(done, image, outcome);
                                      }});
    return outcome;
}

CommandOutcome PagerCommands::ReadForComparison(PagerImage& pager) {
    CommandOutcome outcome;
    outcome.command = LinkCommand::Read;
    outcome.link = link_.Read(pager, {false, {}});
    if (outcome.link.success)
        KeepBackup(pager, InfoFor(BackupKind::Read, pager), outcome, outcome.backup);
    RecordRead(outcome.link, pager, outcome);
    return outcome;
}

CommandOutcome PagerCommands::Verify(const PagerImage& image) {
    CommandOutcome outcome;
    outcome.command = LinkCommand::Verify;
    outcome.link =
        link_.Verify(image, {true, [&](LinkOutcome& done) {
                                 if (!done.success)
                                     done.details = VerifyDifferencesText(
                                         image, done.readBack.bytes, done.readBack.count);
                             }});
    return outcome;
}

bool PagerCommands::BackUpBeforeWrite(const PagerImage& image, const WriteRequest& request,
                                      CommandOutcome& outcome, PagerImage& held) {
    held = image;
    outcome.command = LinkCommand::Read;
    outcome.link = link_.Read(held, {false, {}});
    auto refuse = [&](const std::string& why) {
        outcome.link.success = false;
        if (outcome.link.failure == LinkFailure::None) outcome.link.failure = LinkFailure::Refused;
        Message message = outcome.link.message.value_or(Message{MessageKind::Stop, ""});
        if (!message.text.empty()) message.text += "\n";
        message.text += why;
        outcome.link.message = message;
        return false;
    };

    if (outcome.link.success) {
        if (request.proceed && !request.proceed(held)) {
            // Not known to be the pager asked for: recorded without its tags.
            Record(RecordedKind::PreWrite, held, kResultCancelled, std::nullopt, {}, outcome);
            outcome.cancelled = true;
            outcome.link.success = false;
            outcome.link.failure = LinkFailure::Refused;
            outcome.link.message.reset();
            return false;
        }
        KeepBackup(held, InfoFor(BackupKind::PreWrite, held, request.tags), outcome,
                   outcome.before);
        if (!outcome.before) {
            Record(RecordedKind::PreWrite, held, kResultRefused,
                   Message{MessageKind::Stop, outcome.backupError + "\n" + kNotBackedUpNote},
                   request.tags, outcome);
            outcome.link.success = false;
            outcome.link.failure = LinkFailure::Refused;
            outcome.link.message.reset();
            return refuse(outcome.backupError + "\n" + kNotBackedUpNote);
        }
        const std::string notRecorded = Record(RecordedKind::PreWrite, held, kResultRead,
                                               outcome.link.message, request.tags, outcome);
        if (!notRecorded.empty()) {
            outcome.link.success = false;
            outcome.link.failure = LinkFailure::Refused;
            outcome.link.message.reset();
            return refuse(notRecorded + "\n" + kNotRecordedNote);
        }
        return true;
    }
    // Good frames from this model whose bytes fail the checksum: a Write broken
    // off half-way, most likely. Keep what is there and write the whole image
    // over it; every other failure of the read leaves the pager alone.
    if (!outcome.link.damagedImage) {
        Record(RecordedKind::Attempt, std::nullopt, kResultReadFailed, outcome.link.message,
               request.tags, outcome);
        return refuse(kNotBackedUpNote);
    }
    held = *outcome.link.damagedImage;
    const PagerImage& damaged = held;
    BackupInfo info = InfoFor(BackupKind::Damaged, damaged, request.tags);
    info.reason = DamagedMemoryReason(damaged);
    KeepBackup(damaged, info, outcome, outcome.before);
    const std::string notRecorded =
        Record(RecordedKind::Damaged, damaged, kResultReadFailed,
               Message{MessageKind::Stop, info.reason}, request.tags, outcome);
    if (!outcome.before) return refuse(outcome.backupError + "\n" + kNotBackedUpNote);
    if (!notRecorded.empty()) {
        // The inventory's file failed, not the pager: said like any file that cannot be written.
        outcome.link.failure = LinkFailure::Refused;
        outcome.link.message.reset();
        return refuse(notRecorded + "\n" + kNotRecordedNote);
    }
    outcome.damagedMemory = true;
    if (request.confirmOverDamaged && !request.confirmOverDamaged(*outcome.before)) {
        outcome.cancelled = true;
        outcome.link.success = false;
        outcome.link.failure = LinkFailure::Refused;
        outcome.link.message.reset();  // the user has just said no: nothing more to tell
        return false;
    }
    return true;
}

CommandOutcome PagerCommands::Write(PagerImage& image, const WriteRequest& request) {
    CommandOutcome outcome;
    if (request.backupFirst) {
        PagerImage held{};
        if (!BackUpBeforeWrite(image, request, outcome, held)) return outcome;
        if (request.adjust) request.adjust(held, image);
    }

    outcome.command = LinkCommand::Write;
    const std::optional<StoredBackup> before = outcome.before;
    const bool damaged = outcome.damagedMemory;
    outcome.link = link_.Write(
        image, {true, [&](LinkOutcome& done) {
                    // As sent, whatever its verify found, and before the
                    // box, so quitting with the box open loses nothing.
                    if (done.imageSent) {
                        BackupInfo info = InfoFor(BackupKind::Write, image, request.tags);
                        info.result = WriteResultText(done);
                        KeepBackup(image, info, outcome, outcome.backup);
                    }
                    if (!done.success && done.message) {
                        if (done.imageSent)
                            done.details = VerifyDifferencesText(image, done.readBack.bytes,
                                                                 done.readBack.count);
                        if (done.writeFramesSent > 0)
                            done.message->text += "\n" + PartlyWrittenNote(done.writeFramesSent);
                    }
                    RecordWrite(done, image, request.tags, outcome);
                }});
    outcome.before = before;
    outcome.damagedMemory = damaged;
    return outcome;
}

}  // namespace mk843nb
