#pragma once

#include <string>
#include <string_view>

namespace mk843nb {

// How a message box looks: its icon and buttons, and so its caption.
enum class MessageKind {
    Plain,        // no icon, captioned with the window caption
    Exclamation,  // refused input and warnings
    Stop,         // failed transfers
    Information,  // success
    Question,     // exclamation icon with Yes and No
};

inline constexpr std::string_view kProgramCaption = "MK843_NB";
inline constexpr std::string_view kWindowCaption = "MK843_NB V3.8.5";

struct Message {
    MessageKind kind = MessageKind::Plain;
    std::string text;

    bool operator==(const Message&) const = default;
};

inline std::string_view CaptionOf(MessageKind kind) {
    return kind == MessageKind::Plain ? kWindowCaption : kProgramCaption;
}

}  // namespace mk843nb
