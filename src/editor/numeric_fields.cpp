#include "editor/numeric_fields.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <vector>

#include "editor/control_catalog.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

using enum ControlId;
using F = KeyFilter;

struct Row {
    ControlId control;
    KeyFilter filter;
};

// Only the key filter is the control's own; offset, kind and range are the
// image field's (GapMax is one byte: it takes 0 to 255, so nothing above can be
// stored corrupted).
constexpr std::array<Row, 21> kRows = {{
    {edtDelay, F::OneDecimal},     {edtAutoMonitor, F::OneDecimal},
    {edtAudioLock, F::OneDecimal}, {edtDelayFullTime, F::OneDecimal},
    {edtBS_Period, F::Digits},     {edtBS_Duty, F::Digits},
    {edtTone1Len, F::Digits},      {edtTone2Len, F::Digits},
    {edtRSSI, F::TwoDecimals},     {edtSSI, F::TwoDecimals},
    {edtRSSI2, F::TwoDecimals},    {edtRFDelay, F::Digits},
    {edtTone1Limit, F::Digits},    {edtTone2Limit, F::Digits},
    {edtNoiseLimit, F::Digits},    {edtDecorderReset, F::OneDecimal},
    {edtGapMax, F::Digits},        {edtSquelch, F::Digits},
    {edtTone3Len, F::Digits},      {edtNRSSIRpTM, F::Digits},
    {edtMiniRecTime, F::Digits},
}};

NumericKind KindOf(Codec codec) {
    switch (codec) {
        case Codec::Word:
            return NumericKind::Word;
        case Codec::HalfSeconds:
            return NumericKind::HalfSecond;
        case Codec::Voltage:
            return NumericKind::Voltage;
        default:
            return NumericKind::Byte;
    }
}

// A stored code in the units the user types: seconds, volts or the number itself.
double UserUnits(NumericKind kind, std::int64_t code) {
    const auto value = static_cast<double>(code);
    switch (kind) {
        case NumericKind::HalfSecond:
            return value / 2;
        case NumericKind::Voltage:
            return value * 3 / 255;
        case NumericKind::Byte:
        case NumericKind::Word:
            break;
    }
    return value;
}

// The shortest text that reads back as the value: "1", "127.5", "65535".
std::string RangeText(double value) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    return std::string(text, end);
}

NumericField FieldOfRow(const Row& row) {
    const Field& field = *ImageFieldOf(row.control);
    const NumericKind kind = KindOf(field.codec);
    const double low = UserUnits(kind, field.low);
    const double high = UserUnits(kind, field.high);
    return {row.control, kind, row.filter,     field.offset,
            low,         high, RangeText(low), RangeText(high)};
}

// The rows with their offsets, and each control's row number by id (-1 for none).
struct Rows {
    std::vector<NumericField> rows;
    std::array<int, kControlCount> byId{};
};

const Rows& Table() {
    static const Rows table = [] {
        Rows t;
        t.byId.fill(-1);
        for (const Row& row : kRows) {
            t.byId[Index(row.control)] = static_cast<int>(t.rows.size());
            t.rows.push_back(FieldOfRow(row));
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
