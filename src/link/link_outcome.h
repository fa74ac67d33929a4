#pragma once

#include <optional>
#include <string>

#include "image/message.h"
#include "link/firmware_version.h"
#include "link/link_hooks.h"
#include "link/link_messages.h"
#include "link/programmer_link.h"

namespace mk843nb {

// How a Read, Write or Verify ended: what the window shows once it returns.
// The same values reached the LinkHooks as the command ran.
struct LinkOutcome {
    LinkCommand command = LinkCommand::Read;
    bool success = false;
    // The one message box the command ends with (every path has one).
    std::optional<Message> message;
    // Read succeeded: the image holds the pager's 256 bytes; refresh the window.
    bool imageReplaced = false;
    // The pager's firmware version, when it was asked for and answered.
    std::optional<FirmwareVersion> version;
    // A serial error stopped the command after the port was open.
    bool serialFailure = false;
    // Write: every frame was acknowledged and the verify read-back ran, whatever it found.
    bool imageSent = false;
    // Write and Verify: what the verify read back from the pager (a verify
    // stops at the first block that fails, so it may be 128 bytes or none).
    VerifyReadBack readBack;

    // The window's state at the end.
    std::string statusText;
    std::optional<PagerMenuItems> menuItems;  // empty: left as they were
    bool windowEnabled = true;
    int progress = 0;
};

}  // namespace mk843nb
