#include "editor/numeric_fields.h"

#include <array>

#include "editor/control_catalog.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

using enum ControlId;
using K = NumericKind;
using F = KeyFilter;

// GapMax is one byte: it takes 0 to 255, so nothing above can be stored corrupted.
// Offsets come from the image's field table (0 here).
constexpr std::array<NumericField, 21> kRows = {{
    {edtDelay, K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {edtAutoMonitor, K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {edtAudioLock, K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {edtDelayFullTime, K::HalfSecond, F::OneDecimal, 0, 1, 127.5, "1", "127.5"},
    {edtBS_Period, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtBS_Duty, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtTone1Len, K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {edtTone2Len, K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {edtRSSI, K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {edtSSI, K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {edtRSSI2, K::Voltage, F::TwoDecimals, 0, 0, 1, "0", "1"},
    {edtRFDelay, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtTone1Limit, K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {edtTone2Limit, K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {edtNoiseLimit, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtDecorderReset, K::HalfSecond, F::OneDecimal, 0, 0, 127.5, "0", "127.5"},
    {edtGapMax, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtSquelch, K::Byte, F::Digits, 0, 0, 255, "0", "255"},
    {edtTone3Len, K::Word, F::Digits, 0, 0, 65535, "0", "65535"},
    {edtNRSSIRpTM, K::Byte, F::Digits, 0, 5, 100, "5", "100"},
    {edtMiniRecTime, K::Byte, F::Digits, 0, 0, 200, "0", "200"},
}};

// The rows with their offsets, and each control's row number by id (-1 for none).
struct Rows {
    std::array<NumericField, 21> rows = kRows;
    std::array<int, kControlCount> byId{};
};

const Rows& Table() {
    static const Rows table = [] {
        Rows t;
        t.byId.fill(-1);
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            t.rows[i].offset = ImageFieldOf(t.rows[i].control)->offset;
            t.byId[Index(t.rows[i].control)] = static_cast<int>(i);
        }
        return t;
    }();
    return table;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

const NumericField* NumericFieldOf(ControlId control) {
    const Rows& table = Table();
    const int row = table.byId[Index(control)];
    return row < 0 ? nullptr : &table.rows[static_cast<std::size_t>(row)];
}

const NumericField* FindNumericField(std::string_view control) {
    const auto id = FindControl(control);
    return id ? NumericFieldOf(*id) : nullptr;
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
