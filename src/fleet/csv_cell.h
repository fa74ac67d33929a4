#pragma once

// One cell of a CSV file the program writes, and the way back. A spreadsheet
// takes a cell beginning with '=', '+', '-', '@', a tab or a carriage return
// as a formula, so such a cell is written after an apostrophe ('=1+1), the
// usual mark for "text"; reading takes that apostrophe away again. A cell
// that already begins with apostrophes before such a character gets one more,
// so whatever was written reads back as it was.

#include <string>
#include <string_view>

namespace mk843nb::fleet {

enum class CsvQuoting {
    AsNeeded,  // plain where it can be, as a user would type it
    Always,
};

std::string CsvCell(std::string_view text, CsvQuoting quoting);

// A cell as the CSV parser gave it (its quotes taken away) back to the text written.
std::string CsvCellText(std::string_view cell);

}  // namespace mk843nb::fleet
