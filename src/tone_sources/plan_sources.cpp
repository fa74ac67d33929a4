#include "tone_sources/plan_sources.h"

#include <algorithm>
#include <map>
#include <system_error>

#include "files/table_io.h"
#include "fleet/plan_folder.h"

namespace mk843nb::tones {
namespace {

namespace fs = std::filesystem;

// The error text, or "" when the pager was added.
std::string AddTable(TonePlan& plan, const fs::path& file, std::string label) {
    const std::optional<TableBytes> table = ReadTableBytes(file);
    if (!table) return file.string() + " cannot be read";
    if (table->count != kImageSize)
        return file.string() + " is not a table file (" + std::to_string(table->count) +
               " bytes; a table file holds " + std::to_string(kImageSize) + ")";
    PagerRead read = PagerOfImage(std::move(label), table->bytes);
    if (!read.pager) return file.string() + ": " + read.error;
    read.pager->source = file.string();
    plan.pagers.push_back(std::move(*read.pager));
    return "";
}

std::string AddFolder(PlanSourcesRead& read, const fs::path& folder) {
    TonePlan& plan = read.plan;
    if (fs::exists(folder / fleet::kPlanFileName)) {
        const fleet::PlanLoad load = fleet::LoadPlanFolder(folder);
        if (!load.manifest) return load.error;
        for (const std::string& text : load.manifest->shared) {
            const auto pair = ParsePair(text);
            if (!pair)
                return (folder / fleet::kPlanFileName).string() + ": shared address '" + text +
                       "' is not TONE1/TONE2";
            if (std::find(read.shared.begin(), read.shared.end(), *pair) == read.shared.end())
                read.shared.push_back(*pair);
        }
        for (const fleet::PlanEntry& entry : load.manifest->pagers)
            if (std::string error = AddTable(plan, folder / entry.file, entry.label);
                !error.empty())
                return error;
        return "";
    }
    std::vector<fs::path> tables;
    std::error_code failed;
    for (fs::directory_iterator it(folder, failed), end; !failed && it != end;
         it.increment(failed)) {
        std::string extension = it->path().extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (extension == ".tbl" && it->is_regular_file()) tables.push_back(it->path());
    }
    if (failed) return folder.string() + " cannot be read: " + failed.message();
    if (tables.empty()) return folder.string() + " holds no table files (*.tbl)";
    std::sort(tables.begin(), tables.end());
    for (const fs::path& table : tables)
        if (std::string error = AddTable(plan, table, table.filename().string()); !error.empty())
            return error;
    return "";
}

}  // namespace

PlanSourcesRead ReadTonePlan(const std::vector<fs::path>& paths) {
    PlanSourcesRead read;
    for (const fs::path& path : paths) {
        std::error_code failed;
        const fs::file_status status = fs::status(path, failed);
        if (!fs::exists(status)) {
            read.error = path.string() + ": no such file or folder";
            return read;
        }
        read.error = fs::is_directory(status) ? AddFolder(read, path)
                                              : AddTable(read.plan, path, path.filename().string());
        if (!read.error.empty()) return read;
    }
    std::map<std::string, int> uses;
    for (const PlanPager& pager : read.plan.pagers) ++uses[pager.label];
    for (PlanPager& pager : read.plan.pagers)
        if (uses[pager.label] > 1) pager.label = pager.source;
    return read;
}

}  // namespace mk843nb::tones
