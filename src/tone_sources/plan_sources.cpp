#include "tone_sources/plan_sources.h"

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <utility>

#include "files/table_io.h"
#include "fleet/plan_folder.h"

namespace mk843nb::tones {
namespace {

namespace fs = std::filesystem;

// Reads the paths into one plan, each table file once.
class Reader {
public:
    PlanSourcesRead read;

    // The error text, or "" when the path could be used.
    std::string AddPath(const fs::path& path) {
        std::error_code failed;
        const fs::file_status status = fs::status(path, failed);
        if (!fs::exists(status)) return path.string() + ": no such file or folder";
        reached_ = skipped_ = 0;
        std::string error =
            fs::is_directory(status) ? AddFolder(path) : AddTable(path, path.filename().string());
        if (error.empty() && skipped_ > 0) NoteSkipped(path, fs::is_directory(status));
        return error;
    }

private:
    // The error text, or "" when the pager was added or was already in the plan.
    std::string AddTable(const fs::path& file, std::string label) {
        ++reached_;
        // One file reached by two names (a folder and the file in it, "plan"
        // and "./plan", a link) is one pager: counting it twice would make it
        // share its own address with itself.
        struct stat identity {};
        if (::stat(file.c_str(), &identity) == 0 &&
            !seen_
                 .insert({static_cast<std::uint64_t>(identity.st_dev),
                          static_cast<std::uint64_t>(identity.st_ino)})
                 .second) {
            ++skipped_;
            return "";
        }
        const std::optional<TableBytes> table = ReadTableBytes(file);
        if (!table) return file.string() + " cannot be read";
        if (table->count != kImageSize)
            return file.string() + " is not a table file (" + std::to_string(table->count) +
                   " bytes; a table file holds " + std::to_string(kImageSize) + ")";
        PagerRead pager = PagerOfImage(std::move(label), table->bytes);
        if (!pager.pager) return file.string() + ": " + pager.error;
        pager.pager->source = file.string();
        read.plan.pagers.push_back(std::move(*pager.pager));
        return "";
    }

    std::string AddFolder(const fs::path& folder) {
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
                if (std::string error = AddTable(folder / entry.file, entry.label); !error.empty())
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
            if (std::string error = AddTable(table, table.filename().string()); !error.empty())
                return error;
        return "";
    }

    void NoteSkipped(const fs::path& path, bool folder) {
        if (!folder || skipped_ == reached_) {
            read.notes.push_back(path.string() + " is already in the plan: counted once");
            return;
        }
        read.notes.push_back(path.string() + ": " + std::to_string(skipped_) + " of its " +
                             std::to_string(reached_) +
                             " table files are already in the plan: each counted once");
    }

    std::set<std::pair<std::uint64_t, std::uint64_t>> seen_;  // device and inode of each table read
    std::size_t reached_ = 0;                                 // tables of the path being added
    std::size_t skipped_ = 0;                                 // of them, those already in the plan
};

}  // namespace

PlanSourcesRead ReadTonePlan(const std::vector<fs::path>& paths) {
    Reader reader;
    PlanSourcesRead& read = reader.read;
    for (const fs::path& path : paths) {
        read.error = reader.AddPath(path);
        if (!read.error.empty()) return std::move(read);
    }
    std::map<std::string, int> uses;
    for (const PlanPager& pager : read.plan.pagers) ++uses[pager.label];
    for (PlanPager& pager : read.plan.pagers)
        if (uses[pager.label] > 1) pager.label = pager.source;
    return std::move(read);
}

}  // namespace mk843nb::tones
