#pragma once

#include <functional>
#include <optional>
#include <string>

#include "image/message.h"
#include "image/pager_image.h"
#include "link/link_events.h"
#include "link/link_messages.h"
#include "link/programmer_link.h"

namespace mk843nb {

// Why a command did not succeed, in the classes a script tells apart.
enum class LinkFailure {
    None,           // it succeeded
    PortOrBoard,    // the port could not be used, or the board did not answer its test
    Refused,        // the pager's firmware cannot take the image as it is (nothing written)
    Transfer,       // a block failed, a checksum was wrong, another model, or the port failed
    VerifyDiffers,  // the pager answered, and its bytes differ from the image
};

// How a Read, Write or Verify ended. What the window shows while the command
// runs and at its end (stages, PB1, the menu, the version) reached the
// LinkEvents as it ran; this outcome reaches them too, before the closing.
struct LinkOutcome {
    bool success = false;
    // The one message box the command ends with (every path has one).
    std::optional<Message> message;
    // The events showed message before the closing (LinkEvents::Outcome).
    bool messageShown = false;
    // Read succeeded: the image holds the pager's 256 bytes; refresh the window.
    bool imageReplaced = false;
    LinkFailure failure = LinkFailure::None;
    // Write: every frame was acknowledged and the verify read-back ran, whatever it found.
    bool imageSent = false;
    // Write and Verify: what the verify read back from the pager (a verify
    // stops at the first block that fails, so it may be 128 bytes or none).
    VerifyReadBack readBack;
    // Write: how many of the 32 write frames went out. A failed Write with any
    // of them sent may have left the pager holding part of the new image.
    int writeFramesSent = 0;
    // Read: every frame came back good from this model, but the bytes fail the
    // image checksum: the pager's memory is damaged, and these are its bytes.
    std::optional<PagerImage> damagedImage;
    // What a layer above the link adds before the message is shown: the
    // differing fields of a failed verify, one line each ("" when none).
    std::string details;
};

// How a command's outcome is handled before the closing. complete runs first
// and may add to the outcome (a backup, details); then, when announce is set,
// the hooks show it. A read the user did not ask for as such (before a Write,
// for a comparison) is not announced: its caller tells what it found.
struct OutcomeHandling {
    bool announce = true;
    std::function<void(LinkOutcome&)> complete;
};

}  // namespace mk843nb
