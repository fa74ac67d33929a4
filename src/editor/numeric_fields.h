#pragma once

// The numeric fields of the Setting, Config and Advance Setting pages: one row
// per field instead of one handler per field, and the three key filters.

#include <cstddef>
#include <string>
#include <string_view>

#include "editor/control_id.h"

namespace mk843nb {

enum class KeyFilter {
    Digits,       // digits only; anything else "Please insert a numeric!"; Enter leaves to edtNull
    OneDecimal,   // one decimal, silent refusals; Enter checks, then leaves to edtNull
    TwoDecimals,  // two decimals, silent refusals; Enter checks and stays
};

enum class NumericKind {
    Byte,        // one byte, decimal integer
    Word,        // two bytes, high byte first
    HalfSecond,  // one byte of seconds x 2, shown "%01.1f"
    Voltage,     // one byte of volts x 255 / 3, shown "%1.2f"
};

// A row of the image's field table as its control edits it: the kind and the
// range come from the field's codec and its valid codes, in user units.
struct NumericField {
    ControlId control;
    NumericKind kind;
    KeyFilter filter;
    std::size_t offset;  // of the image field the control edits
    double low;          // user units
    double high;
    std::string lowText;  // as the range message writes them
    std::string highText;
};

// nullptr for a control that is not one of them.
const NumericField* NumericFieldOf(ControlId control);
// The same by control name, for the tests.
const NumericField* FindNumericField(std::string_view control);

// Whether the filter lets key into a field holding text (the caret position is
// not looked at). Enter is handled by the caller; this answers for the others.
bool FilterAccepts(KeyFilter filter, std::string_view text, char key);

}  // namespace mk843nb
