#include "link/link_session.h"

#include <algorithm>
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "image/fields.h"
#include "image/write_preparation.h"
#include "link/frames.h"
#include "link/port_users.h"
#include "link/programmer_link.h"

namespace mk843nb {
namespace {

constexpr std::uint32_t kBaudRate = 9600;
constexpr int kEightNoneOne = 1;
constexpr int kBlockSize = 128;
constexpr int kWriteFrameSize = 8;
constexpr int kFullProgress = 256;
// The earliest firmware, in hundredths, that lets Reminder be disabled and
// always keeps the image checksum.
constexpr int kVersion183 = 183;
// The board's poll pace while the search waits on several ports: 3 x 10 ms.
constexpr int kSearchPollMs = 30;

}  // namespace

LinkSession::LinkSession(ChannelFactory factory, LinkClock& clock, LinkEvents& events)
    : factory_(std::move(factory)), port_(factory_()), clock_(clock), events_(events) {}

LinkSession::~LinkSession() { ClosePort(); }

void LinkSession::SetPortTable(PortTable table) { ports_ = std::move(table); }

void LinkSession::ClosePort() {
    try {
        port_->Close();
    } catch (const ECommError&) {
        // Nothing more can be done about a handle that will not close.
    }
}

void LinkSession::ConfigureEntry(ByteChannel& port, int index) {
    const bool listed = index >= 0 && index < static_cast<int>(ports_.entries.size());
    const std::string name =
        listed ? ports_.entries[static_cast<std::size_t>(index)].name : std::string();
    try {
        if (name.empty())
            throw ECommError{CommErrorCode::CannotOpen, 0, "no port is selected", false};
        port.Configure(kBaudRate, name, kEightNoneOne);
    } catch (const ECommError& error) {
        openFailures_.emplace_back(name, error);
        throw;
    }
}

Message LinkSession::WithDiagnosis(Message message) const {
    if (openFailures_.empty()) return message;
    const auto& [name, error] = openFailures_.back();
    if (name.empty()) return message;
    const PortDiagnosis diagnosis = diagnoser_(name);
    if (diagnosis.fault != PortFault::None) {
        message.text += "\n" + diagnosis.text;
    } else if (!error.reason.empty()) {
        // Whatever kept it closed has passed; say what the system said at the time.
        message.text += "\n" + DevicePathOf(name) + " could not be opened (" + error.reason + ").";
    }
    return message;
}

Message LinkSession::StartupWarning() const {
    Message warning = StartupBoardNotRespondingMessage();
    for (const auto& [name, error] : openFailures_) {
        // The serial layer reports a held port and a refused one alike as a
        // permission error; only those are worth looking into (a look costs a
        // walk through /proc, and the fallback list has sixteen names).
        if (name.empty() || !error.permissionDenied) continue;
        const PortDiagnosis diagnosis = diagnoser_(name);
        if (diagnosis.fault == PortFault::Busy || diagnosis.fault == PortFault::Permission) {
            warning.text += "\n" + diagnosis.text;
            break;
        }
    }
    return warning;
}

bool LinkSession::TestBoard() {
    events_.Progress(0, 0);
    progress_ = 0;
    openFailures_.clear();
    try {
        port_->Close();
        ConfigureEntry(*port_, ports_.selected);
        port_->Purge();
        return ProgrammerLink(*port_, clock_, events_).Ping();
    } catch (const ECommError&) {
        ClosePort();
        return false;
    }
}

LinkSession::Cradle LinkSession::ProbeCradle(int replyLimitMs) {
    try {
        if (!port_->IsOpen()) {
            ConfigureEntry(*port_, ports_.selected);
            port_->Purge();
        }
        ProgrammerLink link(*port_, clock_, events_);
        link.SetSilenceLimit(replyLimitMs);
        if (!link.Ping()) return Cradle::NoBoard;
        std::array<std::uint8_t, 2> version{};
        return link.ReadBytes(version, 1, 2) ? Cradle::PagerPresent : Cradle::Empty;
    } catch (const ECommError&) {
        ClosePort();
        return Cradle::NoBoard;
    }
}

namespace {

// One port of the board search: opened, pinged, and its reply collected as it comes.
struct Probe {
    std::unique_ptr<ByteChannel> port;
    std::array<std::uint8_t, kReplyOverhead> reply{};
    std::size_t received = 0;
    std::int64_t lastByteMs = 0;
    enum class State { Waiting, Answered, Failed } state = State::Failed;
};

}  // namespace

bool LinkSession::FindBoard(int alreadyTried) {
    events_.Progress(0, 0);
    progress_ = 0;
    if (alreadyTried < 0) openFailures_.clear();
    ClosePort();

    const int count = static_cast<int>(ports_.entries.size());
    std::vector<Probe> probes(static_cast<std::size_t>(count));
    // Every port is checked for other users against one walk through /proc.
    std::optional<SharedPortUsersScan> usersScan(std::in_place);
    for (int i = 0; i < count; ++i) {
        Probe& probe = probes[static_cast<std::size_t>(i)];
        if (i == alreadyTried) continue;  // stays Failed
        try {
            probe.port = i == 0 ? std::move(port_) : factory_();
            if (!probe.port) probe.port = factory_();
            ConfigureEntry(*probe.port, i);
            probe.port->Purge();
            events_.RepaintProgress();
            ProgrammerLink(*probe.port, clock_, events_).SendFrame(BuildReadRequest(0, 0));
            probe.lastByteMs = clock_.NowMs();
            probe.state = Probe::State::Waiting;
        } catch (const ECommError&) {
            if (probe.port) probe.port->Close();
            probe.state = Probe::State::Failed;
        }
    }

    usersScan.reset();

    // The lowest-index answering port wins, so the search ends as soon as every
    // port before the first answer has failed.
    auto winner = [&probes]() -> int {
        for (std::size_t i = 0; i < probes.size(); ++i) {
            if (probes[i].state == Probe::State::Waiting) return -2;
            if (probes[i].state == Probe::State::Answered) return static_cast<int>(i);
        }
        return -1;
    };
    int found = winner();
    while (found == -2) {
        bool progressed = false;
        for (auto& probe : probes) {
            if (probe.state != Probe::State::Waiting) continue;
            try {
                // The time is taken before the read: whatever arrived until then is read,
                // so a pause of this process never turns a waiting answer into silence.
                const std::int64_t now = clock_.NowMs();
                const std::size_t got =
                    probe.port->ReadNext(std::span(probe.reply).subspan(probe.received), 0);
                if (got > 0) {
                    probe.received += got;
                    probe.lastByteMs = now;
                    progressed = true;
                }
                if (probe.received == probe.reply.size()) {
                    events_.FrameOn(probe.port->PortName(), FrameDirection::Received, probe.reply,
                                    clock_.NowMs());
                    probe.state = ReadReplyChecksumOk(probe.reply, 0) ? Probe::State::Answered
                                                                      : Probe::State::Failed;
                } else if (now - probe.lastByteMs > kSilenceLimitMs) {
                    events_.FrameOn(probe.port->PortName(), FrameDirection::Received,
                                    std::span(probe.reply).first(probe.received), clock_.NowMs());
                    probe.port->Purge();
                    probe.state = Probe::State::Failed;
                }
            } catch (const ECommError&) {
                probe.state = Probe::State::Failed;
            }
        }
        found = winner();
        if (found == -2 && !progressed) clock_.Delay(kSearchPollMs);
    }

    for (int i = 0; i < count; ++i) {
        Probe& probe = probes[static_cast<std::size_t>(i)];
        if (i != found && probe.port) probe.port->Close();
    }
    if (found >= 0) {
        port_ = std::move(probes[static_cast<std::size_t>(found)].port);
        ports_.selected = found;
        events_.BoardFound(found);
    } else {
        if (!port_) port_ = probes[0].port ? std::move(probes[0].port) : factory_();
        events_.Progress(0, 0);
    }
    return found >= 0;
}

void LinkSession::Stage(LinkStage stage) {
    std::string_view text;
    switch (stage) {
        case LinkStage::BoardTesting:
            text = status_text::kBoardTesting;
            break;
        case LinkStage::Reading:
            text = status_text::kReading;
            break;
        case LinkStage::Writing:
            text = status_text::kWriting;
            break;
        case LinkStage::Verifying:
            text = status_text::kVerifying;
            break;
    }
    events_.StageChanged(stage, text);
}

void LinkSession::Announce(LinkOutcome& outcome, const OutcomeHandling& handling) {
    if (handling.complete) handling.complete(outcome);
    if (handling.announce && outcome.message) outcome.messageShown = events_.Outcome(outcome);
}

void LinkSession::Progress(int position) {
    progress_ = position;
    events_.Progress(position, kFullProgress);
}

bool LinkSession::Open(LinkCommand command, LinkOutcome& outcome, const OutcomeHandling& handling) {
    // The board test and the opening after it look for other programs on the port once.
    SharedPortUsersScan usersScan;
    events_.Started(command, status_text::kBoardTesting);
    if (!TestBoard()) {
        ClosePort();
        outcome.message = WithDiagnosis(BoardNotRespondingMessage(command));
        outcome.failure = LinkFailure::PortOrBoard;
        Announce(outcome, handling);
        events_.Closed({command, status_text::kReady, false});
        return false;
    }
    try {
        port_->Close();
        ConfigureEntry(*port_, ports_.selected);
        port_->Purge();
    } catch (const ECommError& error) {
        outcome.message = WithDiagnosis(CommPortOpenMessage(error.Code()));
        outcome.failure = LinkFailure::PortOrBoard;
        ClosePort();
        Announce(outcome, handling);
        // The testing text stays, and the menu was never taken.
        events_.Closed({command, std::nullopt, false});
        return false;
    }
    events_.Transferring();
    return true;
}

LinkOutcome LinkSession::Run(LinkCommand command, const OutcomeHandling& handling,
                             const std::function<void(LinkOutcome&)>& body) {
    LinkOutcome outcome;
    if (!Open(command, outcome, handling)) return outcome;
    try {
        body(outcome);
        // A body that ends without success and without naming a class failed in transfer.
        if (!outcome.success && outcome.failure == LinkFailure::None)
            outcome.failure = LinkFailure::Transfer;
    } catch (const ECommError& error) {
        outcome.success = false;
        outcome.failure = LinkFailure::Transfer;
        outcome.message = SerialFailureMessage(command, error.reason);
    }
    Announce(outcome, handling);
    progress_ = 0;
    ClosePort();
    events_.Closed(
        {command,
         command == LinkCommand::Write ? status_text::kReadyAfterWrite : status_text::kReady,
         true});
    return outcome;
}

LinkOutcome LinkSession::Read(PagerImage& image, const OutcomeHandling& handling) {
    return Run(LinkCommand::Read, handling,
               [&](LinkOutcome& outcome) { ReadBody(image, outcome); });
}

LinkOutcome LinkSession::Write(PagerImage& image, const OutcomeHandling& handling) {
    return Run(LinkCommand::Write, handling,
               [&](LinkOutcome& outcome) { WriteBody(image, outcome); });
}

LinkOutcome LinkSession::Verify(const PagerImage& image, const OutcomeHandling& handling) {
    return Run(LinkCommand::Verify, handling,
               [&](LinkOutcome& outcome) { VerifyBody(image, outcome); });
}

void LinkSession::ReadBody(PagerImage& image, LinkOutcome& outcome) {
    Stage(LinkStage::Reading);
    modelText_.clear();
    ProgrammerLink link(*port_, clock_, events_);
    const FirmwareVersion version = link.QueryFirmwareVersion(image);
    const ModelAnswer model = link.QueryModel(modelText_);
    if (model == ModelAnswer::OtherOrNone) {
        outcome.message = NotThisModelMessage(modelText_);
        // Another model always has a text; none means nothing answered.
        if (modelText_.empty()) outcome.message->text += "\n" + PagerSilentNote();
        return;
    }
    // Older firmware without a model text keeps no checksum.
    const bool checkSum = version.Hundredths() >= kVersion183 || model == ModelAnswer::ThisModel;

    PagerImage buffer{};
    port_->Purge();
    if (!link.ReadBlock(buffer, 0, kBlockSize)) {
        outcome.message = ReadErrorMessage();
        return;
    }
    Progress(kBlockSize);
    if (!link.ReadBlock(buffer, kBlockSize, kBlockSize)) {
        outcome.message = ReadErrorMessage();
        return;
    }
    Progress(kFullProgress);
    if (checkSum && ImageChecksum(buffer) != StoredChecksum(buffer)) {
        outcome.message = ChecksumErrorMessage();
        outcome.damagedImage = buffer;
        return;
    }
    image = buffer;
    outcome.imageReplaced = true;
    outcome.success = true;
    outcome.message = ReadSuccessMessage();
    events_.VersionKnown(FirmwareVersion::Of(image[1], image[2]).Text());
}

LinkFailure LinkSession::VerifyBoth(const PagerImage& image, VerifyReadBack& readBack) {
    ProgrammerLink link(*port_, clock_, events_);
    for (int address : {0, kBlockSize}) {
        switch (
            link.CompareBlock(image, static_cast<std::uint16_t>(address), kBlockSize, &readBack)) {
            case ProgrammerLink::Comparison::Same:
                break;
            case ProgrammerLink::Comparison::Differs:
                return LinkFailure::VerifyDiffers;
            case ProgrammerLink::Comparison::NoGoodReply:
                return LinkFailure::Transfer;
        }
        Progress(progress_ + kBlockSize);
    }
    return LinkFailure::None;
}

void LinkSession::WriteBody(PagerImage& image, LinkOutcome& outcome) {
    Stage(LinkStage::Writing);
    ProgrammerLink link(*port_, clock_, events_);
    const FirmwareVersion version = link.QueryFirmwareVersion(image);
    modelText_.clear();
    // Without the pager's version the image would go out with the table's
    // version bytes, and the pager would be taken for another firmware ever after.
    if (!version.answered) {
        outcome.message = WriteVersionUnknownMessage();
        outcome.failure = LinkFailure::Transfer;
        return;
    }
    if (version.Hundredths() < kVersion183 && image[FieldNamed("Reminder").offset] == 0) {
        outcome.message = ReminderVersionMessage();
        outcome.failure = LinkFailure::Refused;
        return;
    }
    link.QueryModel(modelText_);  // asked for, but whatever it says the write goes on
    PrepareImageForWrite(image, version.major, version.minor);

    port_->Purge();
    for (int address = 0; address < static_cast<int>(kImageSize); address += kWriteFrameSize) {
        ++outcome.writeFramesSent;
        if (!link.WriteBlock(image, static_cast<std::uint16_t>(address), kWriteFrameSize)) {
            outcome.message = WriteErrorMessage();
            return;
        }
        Progress(progress_ + kWriteFrameSize);
        link.PumpDelay(kWritePauseMs);
    }
    outcome.imageSent = true;
    Progress(0);
    Stage(LinkStage::Verifying);
    outcome.failure = VerifyBoth(image, outcome.readBack);
    if (outcome.failure != LinkFailure::None) {
        outcome.message = VerifyErrorMessage();
        return;
    }
    outcome.success = true;
    outcome.message = WriteSuccessMessage();
}

void LinkSession::VerifyBody(const PagerImage& image, LinkOutcome& outcome) {
    Stage(LinkStage::Verifying);
    port_->Purge();
    outcome.failure = VerifyBoth(image, outcome.readBack);
    if (outcome.failure != LinkFailure::None) {
        outcome.message = VerifyErrorMessage();
        return;
    }
    outcome.success = true;
    outcome.message = VerifySuccessMessage();
}

}  // namespace mk843nb
