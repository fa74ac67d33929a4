#include "fleet/csv_cell.h"

#include <csv.h>

#include <algorithm>
#include <cctype>

namespace mk843nb::fleet {
namespace {

// A negative number cannot be a formula and stays a number in the sheet.
bool IsNegativeNumber(std::string_view text) {
    if (text.size() < 2 || text.front() != '-') return false;
    const std::string_view digits = text.substr(1);
    return std::count(digits.begin(), digits.end(), '.') <= 1 && digits.front() != '.' &&
           digits.back() != '.' && std::all_of(digits.begin(), digits.end(), [](char c) {
               return c == '.' || std::isdigit(static_cast<unsigned char>(c)) != 0;
           });
}

bool NeedsApostrophe(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && text[first] == '\'') ++first;
    if (first == text.size()) return false;
    const char c = text[first];
    if (c == '=' || c == '+' || c == '@' || c == '\t' || c == '\r') return true;
    return c == '-' && !IsNegativeNumber(text.substr(first));
}

}  // namespace

std::string CsvCell(std::string_view text, CsvQuoting quoting) {
    const std::string guarded = (NeedsApostrophe(text) ? "'" : "") + std::string(text);
    const bool plain = guarded.find_first_of(",;\"\r\n") == std::string::npos &&
                       guarded.find_first_of(" \t") != 0 && !guarded.ends_with(' ');
    if (quoting == CsvQuoting::AsNeeded && plain) return guarded;
    std::string cell(guarded.size() * 2 + 2, '\0');
    cell.resize(csv_write(cell.data(), cell.size(), guarded.data(), guarded.size()));
    return cell;
}

std::string CsvCellText(std::string_view cell) {
    if (cell.starts_with('\'') && NeedsApostrophe(cell.substr(1))) cell.remove_prefix(1);
    return std::string(cell);
}

}  // namespace mk843nb::fleet
