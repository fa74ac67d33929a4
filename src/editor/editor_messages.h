#pragma once

// Every message the editor shows, with its exact text and kind.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "image/frequency.h"
#include "image/message.h"
#include "image/tones.h"

namespace mk843nb::messages {

inline Message Exclaim(std::string text) { return {MessageKind::Exclamation, std::move(text)}; }

// Joins pieces by appending (chains of std::string + trip a false warning of gcc 12 at -O3).
inline std::string Concat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text.append(piece);
    return text;
}

// A refused key of the digits-only filter.
inline Message InsertNumeric() { return Exclaim("Please insert a numeric!"); }

// "Please insert a number between " lowest " to " highest.
inline Message Range(std::string_view lowest, std::string_view highest) {
    return Exclaim(Concat({"Please insert a number between ", lowest, " to ", highest}));
}

inline Message HalfSecondInterval() { return Exclaim("The interval is 0.5 second."); }

// Text that does not read as a number; only pasting can put one into a field.
inline Message NotANumber(std::string_view text) {
    return Exclaim(Concat({"'", text, "' is not a valid number"}));
}

// "Frequency setting error(1350000 < = Frequency < =1740000 )": a plain message box.
inline Message FrequencySetting(Band band) {
    return {MessageKind::Plain, FrequencyRangeMessageText(band)};
}

inline Message ChannelSpacing() { return Exclaim("Channel Spacing Error!"); }

inline Message StandardToneRange() { return Range("288.5", "2468.2"); }
inline Message UserToneRange() { return Range("280", "3500.0"); }

// One text for the same-call rule and the spacing rule; toneSpacing in tenths of a percent.
inline Message ToneSpacing(std::uint8_t toneSpacing) {
    return Exclaim(ToneSpacingMessageText(toneSpacing));
}

inline Message PasswordError() { return Exclaim("Password is Error !"); }

}  // namespace mk843nb::messages
