#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "link/link_messages.h"

namespace mk843nb {

// Where a Read, Write or Verify stands. Every stage comes with its status text,
// so a front end that shows the text and one that only wants the stage read the
// same event.
enum class LinkStage {
    BoardTesting,  // the command has started and pings the board
    Reading,
    Writing,
    Verifying,  // Verify, and Write's read-back
};

enum class FrameDirection { Sent, Received };

struct LinkOutcome;

// How a command ended, after its outcome was reported. Every command that
// started ends with one closing: the window is enabled again and PB1 stands at
// 0. What else comes back depends on how far the command got.
struct LinkClosing {
    LinkCommand command = LinkCommand::Read;
    // Status panel 1's last text: " Ready" (after Write "  Ready .....");
    // nothing when the port could not be reopened after the board test, which
    // leaves the testing text standing.
    std::optional<std::string_view> statusText;
    // The Pager menu items come back (Read1 and Verify1 enabled, Write1 by the
    // edit mode). False when the command ended before it took them, in its board
    // test or its reopening: the menu items are as they were.
    bool menuRestored = false;
};

// What the link reports while it works, as typed events. The window renders
// them on its widgets (status panels, PB1, the Pager menu, edtVersion, cboPort,
// its message box); the fleet follows a board's stage and firmware; the
// command-line tool prints the frames. Nobody reads a state out of a text.
// Every method has a do-nothing default.
//
// A command reports, in this order:
//   Started                     (board test; it may end here, or at the reopening)
//   Transferring                (the port is reopened for the transfer)
//   StageChanged, Progress ...  (the command's body)
//   Outcome                     (the window's message box, while the command still holds it)
//   Closed
// VersionKnown, Frame, RepaintProgress and ReplyTimedOut come whenever they happen.
//
//   struct StageWatcher : LinkEvents {
//       void Started(LinkCommand, std::string_view) override { stage = LinkStage::BoardTesting; }
//       void StageChanged(LinkStage s, std::string_view) override { stage = s; }
//       LinkStage stage = LinkStage::BoardTesting;
//   };
class LinkEvents {
public:
    virtual ~LinkEvents() = default;

    // A command begins in its board test: status panel 1 shows statusText (Write
    // also empties panel 2), then the whole window is disabled.
    virtual void Started(LinkCommand /*command*/, std::string_view /*statusText*/) {}
    // The command moved to stage; status panel 1 shows statusText.
    virtual void StageChanged(LinkStage /*stage*/, std::string_view /*statusText*/) {}
    // The board answered and the port was reopened: the Pager menu items are
    // disabled, and PB1 runs from 0 to 256.
    virtual void Transferring() {}
    // PB1 stands at position of 0 .. maximum (a maximum of 0 is an empty bar).
    virtual void Progress(int /*position*/, int /*maximum*/) {}
    // PB1 is repainted at once before each read, write and query frame.
    virtual void RepaintProgress() {}
    // A reply stayed silent for the silence limit: the queues were purged and
    // the exchange failed. PB1 returns to 0 (its maximum stays).
    virtual void ReplyTimedOut() {}
    // The pager told its firmware version (edtVersion shows it; edtVersion and
    // lblVersion become visible).
    virtual void VersionKnown(std::string_view /*text*/) {}
    // The board search found the board on port table entry index (cboPort selects it).
    virtual void BoardFound(int /*index*/) {}
    // The command's outcome, before its closing, so the user reads the message
    // beside the status and progress it refers to. Returns true when the
    // message was shown; otherwise the caller shows outcome.message itself.
    virtual bool Outcome(const LinkOutcome& /*outcome*/) { return false; }
    // The command has ended; see LinkClosing.
    virtual void Closed(const LinkClosing& /*closing*/) {}
    // Every frame sent and every reply received (also a partial one), with the
    // link clock's time in milliseconds.
    virtual void Frame(FrameDirection /*direction*/, std::span<const std::uint8_t> /*bytes*/,
                       std::int64_t /*timeMs*/) {}
    // The same frame with the port it went out on or came in from; the link
    // reports this one. A user that does not tell ports apart gets Frame.
    virtual void FrameOn(std::string_view /*port*/, FrameDirection direction,
                         std::span<const std::uint8_t> bytes, std::int64_t timeMs) {
        Frame(direction, bytes, timeMs);
    }
};

}  // namespace mk843nb
