#pragma once

// Every text the link shows: message boxes (with their kind) and status texts,
// kept verbatim, blanks and spellings included.

#include <string>
#include <string_view>

#include "image/message.h"

namespace mk843nb {

enum class LinkCommand { Read, Write, Verify };

std::string_view CommandName(LinkCommand command);  // "Read", "Write", "Verify"

namespace status_text {
inline constexpr std::string_view kBoardTesting = "  Target board testing ......";
inline constexpr std::string_view kReading = "  Reading Now ......";
inline constexpr std::string_view kWriting = "  Write Now ......";
inline constexpr std::string_view kVerifying = "  Verify Now ......";
inline constexpr std::string_view kReady = " Ready";
inline constexpr std::string_view kReadyAfterWrite = "  Ready .....";
inline constexpr std::string_view kStartup = "  Ready ......";
}  // namespace status_text

// The board did not answer the ping. Read's text puts the blank after the line
// break, Write's and Verify's (and the start-up warning's) before it.
Message BoardNotRespondingMessage(LinkCommand command);
Message StartupBoardNotRespondingMessage();
// The port could not be reopened after the board test: code 8 names the usual cause.
Message CommPortOpenMessage(int errorCode);
// "This model is not MK842. This model is " + model text + "."
Message NotThisModelMessage(std::string_view modelText);
// Added to that message when the model query got no good reply at all.
std::string PagerSilentNote();
// A Write whose version query got no good reply (silence, a late or damaged
// reply): the version bytes it would write are unknown, so nothing is sent.
Message WriteVersionUnknownMessage();
Message ReminderVersionMessage();
Message ReadErrorMessage();
Message ChecksumErrorMessage();
Message WriteErrorMessage();
Message VerifyErrorMessage();
Message ReadSuccessMessage();
Message WriteSuccessMessage();
Message VerifySuccessMessage();
// A serial error in the middle of a transfer: the command, what failed and the system's reason.
Message SerialFailureMessage(LinkCommand command, std::string_view reason);
// The line added to a failed Write's message once write frames went out.
std::string PartlyWrittenNote(int framesSent);

}  // namespace mk843nb
