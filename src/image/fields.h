#pragma once

// The one table of the pager image's fields: every offset, width, codec, valid
// range and editing control lives here, and everything else reads fields
// through it. Field names are the editing control's name less its three-letter
// prefix (edtBS_Period edits BS_Period).

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "image/pager_image.h"

namespace mk843nb {

enum class Codec : std::uint8_t {
    Byte,          // one byte, shown as a decimal integer
    Word,          // two bytes, big-endian, decimal integer
    Long,          // four bytes, big-endian, eight upper-case hex digits (PLLR, PLLN)
    HalfSeconds,   // byte = seconds x 2, "%01.1f"
    Voltage,       // byte = volts x 255 / 3, "%01.2f"
    Tone,          // word = tenths of a hertz, "%04.1f"
    DecoderWord,   // word computed from a tone (ToneDecoderWord), four hex digits
    Bit,           // one bit of a byte (GetBits/SetBits width 1), "0" or "1"
    AlertType,     // bits 0 to 5 written, the byte AND 0x7F read, items "0" to "8"
    ListIndex,     // byte = list item index (RecordMax, BandWidth)
    ResetCon,      // byte = reset method code, mapped to its list index
    Reminder,      // byte = half seconds 0, 60, 120, 240, mapped to its list index
    BatteryLow,    // byte = threshold code, five codes mapped to list items
    ChannelSpace,  // CSpace: 0 to 3, or 32 + k for Auto spacing k
    FreqDigits,    // seven bytes, one decimal digit each, units of 100 Hz
    Band,          // derived from byte 3: 1 is "135-174 MHz", anything else "400-499 MHz"
    Mutl,          // derived from byte 3: frequency multiplier 1 or 2
    Version,       // bytes 1 and 2: major "." minor
    Text,          // zero-terminated characters (ModelTag)
    Checksum,      // word: sum of bytes 16 to 253
};

struct Field {
    std::string_view name;
    std::uint16_t offset = 0;
    std::uint8_t size = 1;      // bytes
    std::int8_t firstBit = -1;  // Bit and AlertType: the lowest bit; -1 for whole bytes
    std::uint8_t bitWidth = 0;  // Bit and AlertType: the number of bits
    Codec codec = Codec::Byte;
    std::int64_t low = 0;  // the valid codes, as stored
    std::int64_t high = 0;
    std::string_view control;                 // the control that shows or edits it; "" for none
    std::span<const std::string_view> items;  // list items of list fields
};

// Every field, in the order of the image layout (derived fields next to the bytes they read).
std::span<const Field> FieldTable();
// nullptr for an unknown name.
const Field* FindField(std::string_view name);
// The field of a known name; throws std::out_of_range for an unknown one.
const Field& FieldNamed(std::string_view name);
// The field a control shows or edits (by its full control name), or nullptr.
const Field* FieldOfControl(std::string_view control);

// The field's code as stored: bytes, big-endian words and longs, the bits of a
// bit field, the 7-digit frequency number, major * 256 + minor for Version,
// the band index 0/1 for Band, 1/2 for Mutl. Text gives 0.
std::uint32_t GetFieldCode(const PagerImage& image, const Field& field);
// Stores a code (masked to the field's width). Band, Mutl and Text are derived
// or textual and are not written by code; the call leaves the image unchanged.
void SetFieldCode(PagerImage& image, const Field& field, std::uint32_t code);

// The field as the window shows a freshly loaded image, without running any
// rule: numbers with their formats, list fields as their item text ("" when the
// code is outside the list), bits as "0"/"1", the channel spacing as its item
// in the image's band ("Auto" for 32 and above).
std::string FieldText(const PagerImage& image, const Field& field);

}  // namespace mk843nb
