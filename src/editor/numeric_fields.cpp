#include "editor/numeric_fields.h"

#include <array>

#include "image/fields.h"

namespace mk843nb {
namespace {

using K = NumericKind;
using F = KeyFilter;

// GapMax is one byte: it takes 0 to 255, so nothing above can be stored corrupted.
// Offsets come from the image's field table (0 here).
constexpr std::array<NumericField, 21> kRows = {{
    {"edtDelay", "Delay", K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {"edtAutoMonitor", "AutoMonitor", K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {"edtAudioLock", "AudioLock", K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {"edtDelayFullTime", "DelayFullTime", K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {"edtBS_Period", "BS_Period", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtBS_Duty", "BS_Duty", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtTone1Len", "Tone1Len", K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {"edtTone2Len", "Tone2Len", K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {"edtRSSI", "RSSI", K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {"edtSSI", "SSI", K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {"edtRSSI2", "RSSI2", K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {"edtRFDelay", "RFDelay", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtTone1Limit", "Tone1Limit", K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {"edtTone2Limit", "Tone2Limit", K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {"edtNoiseLimit", "NoiseLimit", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtDecorderReset", "DecorderReset", K::HalfSecond, F::OneDecimal, 0, 0, 127.5, "0", "127.5"},
    {"edtGapMax", "GapMax", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtSquelch", "Squelch", K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {"edtTone3Len", "Tone3Len", K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {"edtNRSSIRpTM", "NRSSIRpTM", K::Byte, F::Digits, 0, 5, 100, "5", "100"},
    {"edtMiniRecTime", "MiniRecTime", K::Byte, F::Digits, 0, 0, 200, "0", "200"},
}};

const std::array<NumericField, 21>& Fields() {
    static const std::array<NumericField, 21> fields = [] {
        std::array<NumericField, 21> rows = kRows;
        for (NumericField& row : rows) row.offset = FieldNamed(row.field).offset;
        return rows;
    }();
    return fields;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const NumericField* FindNumericField(std::string_view control) {
    for (const NumericField& f : Fields())
        if (f.control == control) return &f;
    return nullptr;
}

bool FilterAccepts(KeyFilter filter, std::string_view text, char key) {
    const std::size_t point = text.find('.');
    switch (filter) {
        case KeyFilter::Digits:
            return IsDigit(key);
        case KeyFilter::OneDecimal:
            if (point == std::string_view::npos) {
                if (key == '.') return !text.empty();
                return IsDigit(key) || key == '\b';
            }
            if (point + 1 == text.size()) return IsDigit(key) || key == '\b';
            return key == '\b';
        case KeyFilter::TwoDecimals:
            if (point == std::string_view::npos) {
                if (key == '.') return !text.empty();
                return IsDigit(key) || key == '\b';
            }
            if (text.size() - (point + 1) < 2) return IsDigit(key) || key == '\b';
            return key == '\b';
    }
    return false;
}

}  // namespace mk843nb
