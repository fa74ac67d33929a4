#include "fleet/roster_export.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "editor/field_assignment.h"
#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "fleet/csv_cell.h"
#include "image/codecs.h"
#include "image/fields.h"

namespace mk843nb::fleet {
namespace {

// The fields a roster can set, in the order the plan applies them.
std::vector<const ListedField*> SettableFields() {
    std::vector<const ListedField*> fields;
    for (const ListedField& field : ListedFields()) {
        if (Control(field.id).kind == ControlKind::Label || field.id == ControlId::edtVersion)
            continue;
        fields.push_back(&field);
    }
    std::stable_sort(fields.begin(), fields.end(), [](const ListedField* a, const ListedField* b) {
        return Index(a->id) < Index(b->id);
    });
    return fields;
}

// What to type for a level: its two decimals as shown may enter one code
// lower (code 69 shows 0.81, and 0.81 enters as 68), so the text that enters
// as the table's own code.
std::string TypedLevel(const PagerImage& image, const ListedField& listed, std::string shown) {
    const Field* field = ImageFieldOf(listed.id);
    if (field == nullptr || field->codec != Codec::Voltage) return shown;
    const std::uint8_t code = image[field->offset];
    if (EncodeVoltage(std::strtold(shown.c_str(), nullptr)) == code) return shown;
    for (int hundredths = 0; hundredths <= 100; ++hundredths) {
        char text[8];
        std::snprintf(text, sizeof text, "%d.%02d", hundredths / 100, hundredths % 100);
        if (EncodeVoltage(std::strtold(text, nullptr)) == code) return text;
    }
    return shown;
}

// A table as the window opens it: its values as shown, and its bytes after
// the refresh (which recomputes, say, the synthesizer words of its frequency).
struct Opened {
    PagerImage image{};
    std::vector<std::string> values;
};

Opened OpenAsTheWindowDoes(const PagerImage& image, bool userMode,
                           const std::vector<const ListedField*>& fields) {
    FormModel model;
    FormDriver user(model);
    if (userMode) user.Click("radUser");
    user.ReplaceImage(image);
    Opened opened{model.Image(), {}};
    for (const ListedField* field : fields)
        opened.values.push_back(TypedLevel(opened.image, *field, ShownValue(model, *field)));
    return opened;
}

// The field a byte belongs to, for saying which value a roster cannot reproduce.
std::string FieldAt(std::size_t offset) {
    std::string found;
    for (const Field& field : FieldTable()) {
        if (offset < field.offset || offset >= field.offset + field.size) continue;
        if (found.empty() || (field.codec != Codec::Band && field.codec != Codec::Mutl))
            found = std::string(field.name);
    }
    return found.empty() ? "no field" : found;
}

std::string Hex2(std::uint8_t value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[value >> 4], kDigits[value & 15]};
}

}  // namespace

RosterExport ExportRoster(const std::filesystem::path& templatePath,
                          const std::vector<ExportTable>& tables, const PlanOptions& options) {
    RosterExport result;
    PlanOptions planning = options;
    planning.strict = false;
    planning.keep.clear();

    // The template as the plan opens it: the table of a row without cells.
    const FleetPlan opened =
        BuildFleetPlan(templatePath, ParseRoster("label\ntemplate\n"), planning);
    if (!opened.errors.empty()) {
        for (const FleetProblem& error : opened.errors) result.errors.push_back(error.message);
        return result;
    }
    const std::vector<const ListedField*> fields = SettableFields();
    const std::vector<std::string> templateValues =
        OpenAsTheWindowDoes(opened.pagers.front().image, options.userMode, fields).values;

    std::vector<PagerImage> images;
    std::vector<std::vector<std::string>> values;
    for (const ExportTable& table : tables) {
        std::string why;
        const std::optional<TableBytes> bytes = ReadTableBytes(table.file, why);
        if (!bytes) {
            result.errors.push_back(OpenErrorText(table.file.string(), why));
            continue;
        }
        if (bytes->count != kImageSize) {
            result.errors.push_back(table.file.string() + ": not a table of 256 bytes (" +
                                    std::to_string(bytes->count) + ")");
            continue;
        }
        Opened table_ = OpenAsTheWindowDoes(bytes->bytes, options.userMode, fields);
        if (!(table_.image == bytes->bytes)) {
            const auto offset = static_cast<std::size_t>(
                std::mismatch(table_.image.begin(), table_.image.end(), bytes->bytes.begin())
                    .first -
                table_.image.begin());
            result.notes.push_back(table.file.string() + ": opening it changes byte " +
                                   std::to_string(offset) + " (" + FieldAt(offset) +
                                   "); the roster makes the table as the window opens it");
        }
        images.push_back(table_.image);
        values.push_back(std::move(table_.values));
    }
    if (!result.errors.empty()) return result;

    std::vector<std::size_t> columns;
    for (std::size_t f = 0; f < fields.size(); ++f) {
        for (const auto& row : values) {
            if (row[f] == templateValues[f]) continue;
            columns.push_back(f);
            break;
        }
    }
    const bool anyAsset = std::any_of(tables.begin(), tables.end(),
                                      [](const ExportTable& t) { return !t.asset.empty(); });
    const bool anyNote = std::any_of(tables.begin(), tables.end(),
                                     [](const ExportTable& t) { return !t.note.empty(); });
    std::string csv = "label";
    for (std::size_t f : columns) {
        csv += "," + std::string(fields[f]->field);
        result.fields.emplace_back(fields[f]->field);
    }
    if (anyAsset) csv += "," + std::string(kAssetColumn);
    if (anyNote) csv += "," + std::string(kNoteColumn);
    csv += "\r\n";
    for (std::size_t t = 0; t < tables.size(); ++t) {
        csv += CsvCell(tables[t].label, CsvQuoting::AsNeeded);
        for (std::size_t f : columns)
            csv += "," + (values[t][f] == templateValues[f]
                              ? ""
                              : CsvCell(values[t][f], CsvQuoting::AsNeeded));
        if (anyAsset) csv += "," + CsvCell(tables[t].asset, CsvQuoting::AsNeeded);
        if (anyNote) csv += "," + CsvCell(tables[t].note, CsvQuoting::AsNeeded);
        csv += "\r\n";
    }

    // The proof: what fleet plan makes of it.
    const RosterParse parsed = ParseRoster(csv);
    const FleetPlan plan = BuildFleetPlan(templatePath, parsed, planning);
    for (const FleetProblem& error : plan.errors) result.errors.push_back(Describe(error));
    if (!result.errors.empty()) return result;
    for (std::size_t t = 0; t < tables.size() && t < plan.pagers.size(); ++t) {
        const PagerImage& made = plan.pagers[t].image;
        const auto differs = std::mismatch(made.begin(), made.end(), images[t].begin());
        if (differs.first == made.end()) continue;
        const auto offset = static_cast<std::size_t>(differs.first - made.begin());
        result.errors.push_back(tables[t].file.string() +
                                ": a roster cannot make this table from the template: byte " +
                                std::to_string(offset) + " (" + FieldAt(offset) + ") would be " +
                                Hex2(*differs.first) + ", the table has " + Hex2(*differs.second));
    }
    if (result.errors.empty()) result.csv = std::move(csv);
    return result;
}

}  // namespace mk843nb::fleet
