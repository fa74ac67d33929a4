#pragma once

// The standard tone table and the tone rules that are pure functions of their
// inputs. Tones are in tenths of a hertz (330.5 Hz is 3305).

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace mk843nb {

struct ToneGroup {
    std::string_view name;  // the column head of the tone table window, blanks included
    std::array<std::uint16_t, 10> tones;
};

// 14 groups of 10 tones, in the tone table window's column order.
const std::array<ToneGroup, 14>& StandardToneTable();

inline constexpr std::int32_t kStandardToneLowest = 2885;    // 288.5 Hz
inline constexpr std::int32_t kStandardToneHighest = 24682;  // 2468.2 Hz
inline constexpr std::int32_t kUserToneLowest = 2800;        // 280.0 Hz
inline constexpr std::int32_t kUserToneHighest = 35000;      // 3500.0 Hz

// The standard tone nearest to q, searching the 140 values in ascending order
// with "distance <= best", so a tie goes to the higher tone. Only tones within
// 1000 tenths count: nullopt when none is (never for q from 2885 to 24682).
std::optional<std::uint16_t> NearestStandardTone(std::int32_t q);

// The ten call-plan tones are numbered 1 to 10: T11-T14, T21-T24, T31, T32.
inline constexpr int kToneCount = 10;

// The edited tone from the active-field markers: CurToneT1 = k > 0 gives k,
// else CurToneT2 = k > 0 gives 4 + k, else CurToneT3 = k > 0 gives 8 + k; 0 for none.
int EditedToneOfMarkers(int curToneT1, int curToneT2, int curToneT3);

struct ToneSpacingContext {
    int editedTone = 0;             // 1 to 10, from EditedToneOfMarkers; 0 compares with every tone
    std::uint8_t toneSpacing = 15;  // tenths of a percent
    std::array<std::int32_t, kToneCount> lastToneCodes{};  // tone s at index s - 1, as last shown
    std::array<bool, 4> callOn{};                          // chkDuty1..chkDuty4
    std::array<bool, 2> groupOn{};                         // chkGDuty1, chkGDuty2
};

// The tone spacing rule of User mode: false when q lies strictly inside
// v +/- v x ToneSpacing / 1000 of another switched-on tone v (and differs from
// it), computed in single precision as the pager software does.
bool ToneSpacingOk(std::int32_t q, const ToneSpacingContext& context);

// The text of the tone spacing message, with ToneSpacing / 10 written "%0.1f".
std::string ToneSpacingMessageText(std::uint8_t toneSpacing);

}  // namespace mk843nb
