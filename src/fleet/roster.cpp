#include "fleet/roster.h"

#include <csv.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "editor/control_catalog.h"
#include "files/shown_text.h"
#include "fleet/csv_cell.h"

namespace mk843nb::fleet {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLabelColumn = "label";

// Where the line starting at start ends, its break included: LF, CRLF or a lone CR.
std::size_t LineEnd(std::string_view text, std::size_t start) {
    const std::size_t found = text.find_first_of("\r\n", start);
    if (found == std::string_view::npos) return text.size();
    if (text[found] == '\r' && found + 1 < text.size() && text[found + 1] == '\n') return found + 2;
    return found + 1;
}

// The line (from 1) of the first byte that is not part of a well-formed UTF-8
// sequence, or 0 when the text is all UTF-8.
int FirstLineNotUtf8(std::string_view text) {
    int line = 1;
    std::size_t lineEnd = LineEnd(text, 0);
    for (std::size_t i = 0; i < text.size();) {
        while (i >= lineEnd) {
            ++line;
            lineEnd = LineEnd(text, lineEnd);
        }
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 1;
        unsigned lowest = 0;
        if (byte >= 0xF0 && byte <= 0xF4) {
            length = 4;
            lowest = 0x10000;
        } else if (byte >= 0xE0) {
            length = 3;
            lowest = 0x800;
        } else if (byte >= 0xC2 && byte <= 0xDF) {
            length = 2;
            lowest = 0x80;
        } else if (byte >= 0x80) {
            return line;
        }
        if (length > 1) {
            if (i + length > text.size() || byte > 0xF4) return line;
            unsigned code = byte & (0xFF >> (length + 1));
            for (std::size_t k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + k]);
                if ((next & 0xC0) != 0x80) return line;
                code = (code << 6) | (next & 0x3F);
            }
            if (code < lowest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return line;
        }
        i += length;
    }
    return 0;
}

// The header decides: whichever of ',' and ';' it uses more often outside quotes.
char DetectDelimiter(std::string_view text) {
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (char c : text) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        if (c == ',') ++commas;
        if (c == ';') ++semicolons;
    }
    return semicolons > commas ? ';' : ',';
}

// Ctrl-Z, an old end-of-file mark, and NUL bytes a file was padded with end
// the roster wherever they start a run that reaches its end.
std::string_view WithoutEndOfFileMarks(std::string_view text) {
    std::size_t end = text.size();
    bool marked = false;
    while (end > 0 &&
           std::string_view("\x1a\0\r\n", 4).find(text[end - 1]) != std::string_view::npos) {
        marked |= text[end - 1] == '\x1a' || text[end - 1] == '\0';
        --end;
    }
    return marked ? text.substr(0, end) : text;
}

// A cell of blanks only (NUL and Ctrl-Z count as blanks): a row of them is no row.
bool IsBlank(std::string_view cell) {
    return cell.find_first_not_of(std::string_view(" \t\0\x1a", 4)) == std::string_view::npos;
}

std::string ControlCharacterText(std::string_view column, const std::string& shown) {
    return "the " + std::string(column) + " holds a control character (" + shown +
           "), which a terminal would act on; take it out of the cell";
}

std::string Trimmed(std::string text) {
    const auto blank = [](unsigned char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(static_cast<unsigned char>(text.back()))) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && blank(static_cast<unsigned char>(text[first]))) ++first;
    return text.substr(first);
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

// A spreadsheet's first line naming the separator: sep=; (quoted or not).
// The separator, or 0 when the first line is no such line.
char SeparatorLine(std::string_view firstLine) {
    while (!firstLine.empty() && (firstLine.back() == '\r' || firstLine.back() == '\n'))
        firstLine.remove_suffix(1);
    if (firstLine.size() >= 2 && firstLine.front() == '"' && firstLine.back() == '"')
        firstLine = firstLine.substr(1, firstLine.size() - 2);
    if (firstLine.size() != 5 || !EqualsIgnoringCase(firstLine.substr(0, 4), "sep=")) return 0;
    return firstLine[4] == ',' || firstLine[4] == ';' ? firstLine[4] : 0;
}

// A header cell as a field's own name ("t11" is T11); "" for no field.
std::string FieldNameOf(std::string_view cell) {
    for (const ListedField& field : ListedFields())
        if (EqualsIgnoringCase(field.field, cell)) return std::string(field.field);
    return {};
}

bool IsNumberField(std::string_view name) {
    const ListedField* field = FindListedField(name);
    return field != nullptr && Control(field->id).kind == ControlKind::Edit;
}

bool AllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return std::isdigit(static_cast<unsigned char>(c)) != 0;
    });
}

// A spreadsheet set to a decimal comma writes 330.5 as 330,5.
std::string WithDecimalPoint(std::string cell) {
    const std::string trimmed = Trimmed(cell);
    const std::size_t comma = trimmed.find(',');
    if (comma == std::string::npos || trimmed.find_first_of(",.", comma + 1) != std::string::npos ||
        trimmed.find('.') != std::string::npos)
        return cell;
    const std::string_view whole = std::string_view(trimmed).substr(0, comma);
    const std::string_view fraction = std::string_view(trimmed).substr(comma + 1);
    if (!AllDigits(whole) || !AllDigits(fraction)) return cell;
    return std::string(whole) + "." + std::string(fraction);
}

// Collects libcsv's cells into records, each with the line it starts on.
struct Collector {
    struct Record {
        int line = 0;
        std::vector<std::string> cells;
    };
    std::vector<Record> records;
    std::vector<std::string> cells;
    int rowStart = 0;
    bool inRow = false;

    int currentLine = 0;

    static void Cell(void* bytes, std::size_t size, void* self) {
        auto& collector = *static_cast<Collector*>(self);
        if (!collector.inRow) {
            collector.inRow = true;
            collector.rowStart = collector.currentLine;
        }
        collector.cells.emplace_back(bytes == nullptr ? "" : static_cast<const char*>(bytes), size);
    }
    static void RowEnd(int /*terminator*/, void* self) {
        auto& collector = *static_cast<Collector*>(self);
        collector.records.push_back({collector.rowStart, std::move(collector.cells)});
        collector.cells.clear();
        collector.inRow = false;
    }
};

}  // namespace

RosterParse ParseRoster(std::string_view bytes) {
    RosterParse result;
    auto refuse = [&result](int line, std::string label, std::string field, std::string message) {
        result.errors.push_back({line, std::move(label), std::move(field), std::move(message)});
    };
    if (bytes.starts_with(kByteOrderMark)) bytes.remove_prefix(kByteOrderMark.size());
    bytes = WithoutEndOfFileMarks(bytes);
    if (const int line = FirstLineNotUtf8(bytes); line != 0) {
        refuse(line, "", "", "the roster is not UTF-8 text");
        return result;
    }
    int firstLine = 1;
    if (const char separator = SeparatorLine(bytes.substr(0, LineEnd(bytes, 0))); separator != 0) {
        result.roster.delimiter = separator;
        bytes.remove_prefix(LineEnd(bytes, 0));
        firstLine = 2;
    } else {
        result.roster.delimiter = DetectDelimiter(bytes);
    }

    csv_parser parser;
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        refuse(0, "", "", "the roster cannot be read: out of memory");
        return result;
    }
    csv_set_delim(&parser, static_cast<unsigned char>(result.roster.delimiter));
    Collector collector;
    int line = firstLine;
    bool failed = false;
    // Fed a line at a time, so each record knows the line it starts on even
    // when a quoted cell spans several.
    for (std::size_t start = 0; start < bytes.size() && !failed; ++line) {
        const std::size_t end = LineEnd(bytes, start);
        const std::string_view piece = bytes.substr(start, end - start);
        collector.currentLine = line;
        if (!collector.inRow && piece.find_first_not_of("\r\n") != std::string_view::npos) {
            collector.inRow = true;
            collector.rowStart = line;
        }
        if (csv_parse(&parser, piece.data(), piece.size(), Collector::Cell, Collector::RowEnd,
                      &collector) != piece.size()) {
            failed = true;
            refuse(collector.inRow ? collector.rowStart : line, "", "",
                   std::string("the roster cannot be read: ") + csv_strerror(csv_error(&parser)));
        }
        start = end;
    }
    if (!failed && csv_fini(&parser, Collector::Cell, Collector::RowEnd, &collector) != 0)
        refuse(collector.rowStart, "", "",
               "the roster cannot be read: a quoted cell is not closed");
    csv_free(&parser);
    if (!result.errors.empty()) return result;

    if (collector.records.empty()) {
        refuse(0, "", "", "the roster is empty: it needs a header row starting with 'label'");
        return result;
    }
    const Collector::Record& header = collector.records.front();
    if (!EqualsIgnoringCase(Trimmed(header.cells.front()), kLabelColumn)) {
        refuse(header.line, "", "", "the first column of the header must be 'label'");
        return result;
    }
    // Spreadsheets keep empty columns after the last one used.
    std::size_t headerWidth = header.cells.size();
    while (headerWidth > 1 && Trimmed(header.cells[headerWidth - 1]).empty()) --headerWidth;
    std::set<std::string> seenFields;
    // Where each cell of a row goes: a field column (its index), the asset or the note.
    constexpr std::size_t kAsset = static_cast<std::size_t>(-1);
    constexpr std::size_t kNote = static_cast<std::size_t>(-2);
    std::vector<std::size_t> columnTo;
    for (std::size_t i = 1; i < headerWidth; ++i) {
        const std::string cell = Trimmed(header.cells[i]);
        std::string name = FieldNameOf(cell);
        if (name.empty() && EqualsIgnoringCase(cell, kAssetColumn)) name = kAssetColumn;
        if (name.empty() && EqualsIgnoringCase(cell, kNoteColumn)) name = kNoteColumn;
        if (cell.empty())
            refuse(header.line, "", "",
                   "column " + std::to_string(i + 1) + " of the header has no name");
        else if (name.empty())
            refuse(header.line, "", cell, "Unknown field '" + cell + "'");
        else if (!seenFields.insert(name).second)
            refuse(header.line, "", name, "the column appears twice in the header");
        if (name == kAssetColumn) {
            result.roster.hasAsset = true;
            columnTo.push_back(kAsset);
        } else if (name == kNoteColumn) {
            result.roster.hasNote = true;
            columnTo.push_back(kNote);
        } else {
            columnTo.push_back(result.roster.fields.size());
            result.roster.fields.push_back(std::move(name));
        }
    }
    if (!result.errors.empty()) return result;
    const bool decimalCommas = result.roster.delimiter == ';';

    std::set<std::string> seenLabels;
    for (std::size_t r = 1; r < collector.records.size(); ++r) {
        Collector::Record& record = collector.records[r];
        // Rows of nothing but separators, as spreadsheets leave at the end.
        if (std::all_of(record.cells.begin(), record.cells.end(),
                        [](const std::string& cell) { return IsBlank(cell); }))
            continue;
        RosterRow row{record.line, CsvCellText(Trimmed(record.cells.front())), {}};
        if (row.label.empty()) {
            refuse(row.line, "", "label", "the label is empty");
            continue;
        }
        if (const std::string control = FirstControlCharacter(row.label); !control.empty()) {
            refuse(row.line, row.label, "label", ControlCharacterText(kLabelColumn, control));
            continue;
        }
        if (!seenLabels.insert(row.label).second) {
            refuse(row.line, row.label, "label", "the label appears on an earlier row");
            continue;
        }
        // Missing cells at the end are empty (spreadsheets drop them); extra
        // ones must be empty too, or a value would be silently lost.
        std::vector<std::string> cells(record.cells.begin() + 1, record.cells.end());
        bool extra = false;
        bool splitNumber = false;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            if (c >= columnTo.size()) extra |= !Trimmed(cells[c]).empty();
            splitNumber |= AllDigits(Trimmed(cells[c]));
        }
        if (extra) {
            std::string message = "the row has more cells than the header has columns (" +
                                  std::to_string(headerWidth) + ")";
            if (!decimalCommas && splitNumber)
                message +=
                    "; a decimal comma splits a number in a comma-separated roster: write it "
                    "with a point (330.5), or save the roster with semicolons";
            refuse(row.line, row.label, "", message);
            continue;
        }
        cells.resize(columnTo.size());
        row.cells.resize(result.roster.fields.size());
        for (std::size_t c = 0; c < columnTo.size(); ++c) {
            if (columnTo[c] == kAsset) {
                row.asset = CsvCellText(Trimmed(cells[c]));
            } else if (columnTo[c] == kNote) {
                row.note = CsvCellText(Trimmed(cells[c]));
            } else {
                std::string& cell = row.cells[columnTo[c]];
                cell = CsvCellText(cells[c]);
                if (decimalCommas && IsNumberField(result.roster.fields[columnTo[c]]))
                    cell = WithDecimalPoint(std::move(cell));
            }
        }
        if (const std::string control = FirstControlCharacter(row.asset); !control.empty()) {
            refuse(row.line, row.label, std::string(kAssetColumn),
                   ControlCharacterText(kAssetColumn, control));
            continue;
        }
        if (row.note.size() > kNoteLimit) {
            refuse(row.line, row.label, std::string(kNoteColumn),
                   "the note is " + std::to_string(row.note.size()) +
                       " bytes long; a note may have at most " + std::to_string(kNoteLimit));
            continue;
        }
        result.roster.rows.push_back(std::move(row));
    }
    if (result.roster.rows.empty() && result.errors.empty())
        refuse(0, "", "", "the roster has no pagers: only a header row");
    return result;
}

std::vector<std::size_t> CellsInFieldOrder(const Roster& roster) {
    std::vector<std::size_t> order(roster.fields.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const auto position = [&](std::size_t column) {
        const ListedField* field = FindListedField(roster.fields[column]);
        return field == nullptr ? kControlCount : Index(field->id);
    };
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return position(a) < position(b); });
    return order;
}

}  // namespace mk843nb::fleet
