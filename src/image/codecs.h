#pragma once

// Conversions between the codes held in the pager image and the user units the
// window shows and accepts. Each reproduces the rounding and precision steps of
// the programming software exactly; formatting never depends on the C locale.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mk843nb {

// --- Text and numbers --------------------------------------------------------

// printf("%0<width>.<precision>f", value) in the "C" locale: zero-padded to
// width, ties as the C library breaks them (on the exact binary value).
std::string FormatFixed(long double value, int width, int precision);
// printf("%.<digits>g", value) in the "C" locale.
std::string FormatGeneral(long double value, int digits);

// A decimal number as the number reader accepts it: optional surrounding
// blanks, optional sign, digits with at most one ".", optional exponent.
// nullopt for anything else (empty text, a lone ".", letters).
std::optional<long double> ParseNumber(std::string_view text);
// A whole decimal number (optional blanks and sign); nullopt when it is not
// one or does not fit 64 bits.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// --- Rounding ----------------------------------------------------------------

// The rounding routine of the voltage codec: x written with "%.15g"; when
// that text has exactly one character after its point (or is one character
// without a point) the result is floor((x + 0.5) * 10^n) / 10^n, otherwise
// floor(x * 10^n + 0.5) / 10^n.
double RoundToDecimals(double x, int n);

// --- Half seconds (byte = seconds x 2) ---------------------------------------

// Truncation of x * 2 in single precision, low 8 bits.
std::uint8_t EncodeHalfSeconds(float seconds);
// code * 0.5 formatted "%01.1f": 6 -> "3.0", 255 -> "127.5".
std::string FormatHalfSeconds(std::uint8_t code);

// --- Voltage codes (volts x 255 / 3) -----------------------------------------

// code * 3 * (1/255) in extended precision, formatted "%01.2f": 60 -> "0.71".
std::string FormatVoltage(std::uint8_t code);
// The typed volts: x = V * 255 * (1/3) rounded to single precision,
// RoundToDecimals(x, 1), truncated, low 8 bits. 0.5 -> 43, 0.71 -> 60.
std::uint8_t EncodeVoltage(long double volts);

// --- Tones (tenths of a hertz) -----------------------------------------------

// code * 0.1 rounded to single precision, formatted "%04.1f": 3305 -> "330.5".
std::string FormatTone(std::uint16_t code);
// A typed frequency in hertz formatted back "%04.1f" (300 -> "300.0").
std::string FormatToneValue(long double hertz);
// The code of a tone text as the editor reads it: 10 x the whole number
// before the "." plus the one digit after it ("669.9" -> 6699). Text without
// "." gives 10 x its number. nullopt when the text does not read that way.
std::optional<std::int64_t> ToneCodeOfText(std::string_view text);

// The 16-bit decoder word of tone code q (the decoder's count of whole tone
// periods n and remainder m in a window of 118920 clocks of 3.579545 MHz):
// 0x8000 + n * 128 + m, low 16 bits.
std::uint16_t ToneDecoderWord(std::uint16_t q);

// --- Firmware version --------------------------------------------------------

// "1.89" for bytes 1 and 89; "0.0" for 0 and 0.
std::string VersionText(std::uint8_t major, std::uint8_t minor);
// The version as a number with two decimals, in hundredths: the text
// major "." minor rounded half up to two decimals (1,83 -> 183; 1,5 -> 150;
// 1,100 -> 110; 1,123 -> 112; 1,125 -> 113).
int FirmwareVersionHundredths(std::uint8_t major, std::uint8_t minor);

// --- List fields -------------------------------------------------------------

inline constexpr std::array<std::string_view, 6> kResetConItems = {
    "Auto Reset", "Delay N sec Auto Reset",  "Manual RESET", "Time-Out RESET",
    "Revert SQ",  "Delay AUTO N with Revert"};
// List index -> code: 0->0, 1->1, 2->3, 3->4, 4->2, 5->5. Other indexes map to themselves.
int ResetConCodeOfIndex(int index);
// Code -> list index: 2->4, 3->2, 4->3; every other code to itself (6 and
// above are outside the list: callers show no selection).
int ResetConIndexOfCode(int code);

inline constexpr std::array<std::string_view, 4> kReminderItems = {"Disable", "30  Second",
                                                                   "60  Second", "120 Second"};
// Index -> half seconds: 0, 60, 120, 240.
std::uint8_t ReminderCodeOfIndex(int index);
// 0 -> 0; 1 to 89 -> 1; 90 to 179 -> 2; 180 to 255 -> 3.
int ReminderIndexOfCode(std::uint8_t code);

inline constexpr std::array<std::string_view, 5> kBatteryLowItems = {"1.10 v", "1.12 v", "1.14 v",
                                                                     "1.17 v", "1.20 v"};
// 94->0, 96->1, 98->2, 100->3, 102->4; nullopt for any other code (the list keeps its selection).
std::optional<int> BatteryLowIndexOfCode(std::uint8_t code);
inline constexpr std::uint8_t kBatteryLowWritten = 103;

inline constexpr std::array<std::string_view, 3> kRecordMaxItems = {
    "1 section  (120 second)", "2 sections (60 second)", "4 sections (30 second)"};

// "0.1", "0.3", ... "3.1": percentage = 0.1 + 0.2 x index.
inline constexpr std::array<std::string_view, 16> kBandWidthItems = {
    "0.1", "0.3", "0.5", "0.7", "0.9", "1.1", "1.3", "1.5",
    "1.7", "1.9", "2.1", "2.3", "2.5", "2.7", "2.9", "3.1"};
// ToneSpacing (tenths of a percent) for a picked bandwidth item: 1, 3, ... 31.
constexpr std::uint8_t ToneSpacingOfBandWidthIndex(int index) {
    return static_cast<std::uint8_t>(2 * index + 1);
}
// The widest decoder bandwidth there is, in tenths of a percent (list item "3.1").
inline constexpr int kWidestBandwidth =
    ToneSpacingOfBandWidthIndex(static_cast<int>(kBandWidthItems.size()) - 1);

inline constexpr std::array<std::string_view, 9> kAlertTypeItems = {"0", "1", "2", "3", "4",
                                                                    "5", "6", "7", "8"};
// The list index shown for an alert byte: bits 0 to 6 (byte AND 0x7F).
int AlertTypeIndexOfByte(std::uint8_t byte);

// The item's index in a list, or nullopt.
template <std::size_t N>
std::optional<int> IndexOfItem(const std::array<std::string_view, N>& items,
                               std::string_view text) {
    for (std::size_t i = 0; i < N; ++i)
        if (items[i] == text) return static_cast<int>(i);
    return std::nullopt;
}

}  // namespace mk843nb
