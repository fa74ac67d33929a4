#include "link/link_messages.h"

namespace mk843nb {

std::string_view CommandName(LinkCommand command) {
    switch (command) {
        case LinkCommand::Read:
            return "Read";
        case LinkCommand::Write:
            return "Write";
        case LinkCommand::Verify:
            return "Verify";
    }
    return "";
}

Message BoardNotRespondingMessage(LinkCommand command) {
    if (command == LinkCommand::Read) {
        return {MessageKind::Exclamation,
                "The Board is not responding ! \nPlease check your programer ready\n and COM port "
                "connect properly !"};
    }
    return StartupBoardNotRespondingMessage();
}

Message StartupBoardNotRespondingMessage() {
    return {MessageKind::Exclamation,
            "The Board is not responding ! \nPlease check your programer ready \nand COM port "
            "connect properly !"};
}

Message CommPortOpenMessage(int errorCode) {
    return {MessageKind::Plain, errorCode == 8 ? "Error opening comm port. Port already in use?"
                                               : "Error opening comm port."};
}

Message NotThisModelMessage(std::string_view modelText) {
    return {MessageKind::Plain,
            "This model is not MK842. This model is " + std::string(modelText) + "."};
}

std::string PagerSilentNote() {
    return "The pager did not answer (no good reply to its model query). Is a pager on the "
           "board?";
}

Message WriteVersionUnknownMessage() {
    return {MessageKind::Stop,
            "The pager did not answer (no good reply to its version query): nothing was "
            "written. Is a pager on the board?"};
}

Message ReminderVersionMessage() {
    return {MessageKind::Exclamation,
            "The version before 1.83, Reminder function cannot be disabled. \nPlease select "
            "'Reminder' option again !"};
}

Message ReadErrorMessage() { return {MessageKind::Stop, "Read Error !"}; }
Message ChecksumErrorMessage() { return {MessageKind::Stop, "CheckSum error !"}; }
Message WriteErrorMessage() { return {MessageKind::Stop, "Write Error !"}; }
Message VerifyErrorMessage() { return {MessageKind::Stop, "Verify Error !"}; }
Message ReadSuccessMessage() { return {MessageKind::Information, "Read Success !"}; }
Message WriteSuccessMessage() { return {MessageKind::Information, "Write Sucess !"}; }
Message VerifySuccessMessage() { return {MessageKind::Information, "Verify Sucess !"}; }

Message SerialFailureMessage(LinkCommand command, std::string_view reason) {
    std::string text(CommandName(command));
    text += " stopped: the serial port failed";
    if (!reason.empty()) {
        text += " (";
        text += reason;
        text += ")";
    }
    text += ".";
    return {MessageKind::Stop, text};
}

std::string PartlyWrittenNote(int framesSent) {
    return "The pager may now hold part of the new image (" + std::to_string(framesSent) +
           " of 32 frames were sent): write it again before using the pager.";
}

}  // namespace mk843nb
