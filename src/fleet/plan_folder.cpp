#include "fleet/plan_folder.h"

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <system_error>

#include "files/atomic_write.h"
#include "files/deferred_sync_calls.h"
#include "files/shown_text.h"
#include "files/table_io.h"
#include "fleet/digest.h"
#include "fleet/json_problem.h"
#include "fleet/pager_keys.h"
#include "fleet/text_file.h"

namespace mk843nb::fleet {
namespace {

// Said at once, before the staging folder is cleared away (which may change errno):
// the file the user will look for, and why it could not be written.
std::string SaveErrorText(const std::filesystem::path& written,
                          const std::filesystem::path& shown) {
    return "Save Error! " + shown.string() + ": " + SaveFailureReason(written, shown, errno);
}

using json = nlohmann::ordered_json;

constexpr const char* kFormat = "mk843nb fleet plan";
constexpr int kFormatVersion = 1;

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

// A line number as the plan keeps it: a whole number a roster can have. A float
// or a huge number (an edited or damaged plan) is refused, never converted.
int LineNumberOf(const json& entry) {
    const json& line = entry.at("line");
    if (!line.is_number_integer() || line < 0 || line > json(1'000'000'000))
        throw std::runtime_error("a line number is not a whole number of a roster");
    return line.get<int>();
}

json ProblemJson(const FleetProblem& problem) {
    return {{"line", problem.line},
            {"label", problem.label},
            {"field", problem.field},
            {"message", problem.message}};
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

// An empty folder of a name nobody uses, in where: the plan is made there and
// moved into place whole. Made with the umask's mode, as the folder it becomes.
std::optional<std::filesystem::path> MakeStagingFolder(const std::filesystem::path& where,
                                                       const std::string& stem) {
    const auto seed = static_cast<unsigned>(
        std::chrono::steady_clock::now().time_since_epoch().count() ^ ::getpid());
    for (unsigned n = 0; n < 100; ++n) {
        const std::filesystem::path path =
            where / ("." + stem + ".planning-" + std::to_string(seed + n * 7919U));
        std::error_code error;
        if (std::filesystem::create_directory(path, error) && !error) return path;
        if (error && error != std::errc::file_exists) return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> WritePlanFolder(const std::filesystem::path& folder,
                                           const FleetPlan& plan, const PlanSources& sources,
                                           FileSystemCalls& calls) {
    std::filesystem::path target = folder.lexically_normal();
    if (!target.has_filename() && target.has_parent_path()) target = target.parent_path();

    std::vector<std::filesystem::path> outputs{target / kPlanFileName};
    for (const PlannedPager& pager : plan.pagers) outputs.push_back(target / pager.fileName);
    for (const auto& output : outputs) {
        if (SameFile(output, sources.templateFile) || SameFile(output, sources.rosterFile))
            return output.string() +
                   " would replace the template or the roster; choose another --out folder";
    }

    // A new folder is made beside its place and renamed into it, so a failure
    // (a full disk) leaves no folder of tables without plan.json. An existing
    // one (planned again, a report in it) takes the new files once they are all
    // written, plan.json last: until then it holds its old plan.
    std::error_code error;
    const bool exists = std::filesystem::exists(target, error);
    if (exists && !std::filesystem::is_directory(target, error))
        return "cannot create the folder " + folder.string() + ": it is a file";
    const std::filesystem::path parent =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    if (!exists) {
        std::filesystem::create_directories(parent, error);
        if (error) return "cannot create the folder " + folder.string() + ": " + error.message();
    }
    const std::optional<std::filesystem::path> staging =
        MakeStagingFolder(exists ? target : parent, exists ? "plan" : target.filename().string());
    if (!staging)
        return "cannot create the folder " + folder.string() +
               ": no folder can be made beside it to build the plan in";
    const auto failed = [&](std::string why) {
        std::filesystem::remove_all(*staging, error);
        return std::optional<std::string>(std::move(why));
    };

    PagerImage templateImage{};
    std::copy_n(sources.templateBytes.begin(),
                std::min(sources.templateBytes.size(), templateImage.size()),
                templateImage.begin());
    json manifest = {
        {"format", kFormat},
        {"version", kFormatVersion},
        {"template",
         {{"file", std::filesystem::absolute(sources.templateFile).lexically_normal().string()},
          {"sha256", Sha256Hex(sources.templateBytes)},
          {"checksum", Hex4(ImageChecksum(templateImage))}}},
        {"roster",
         {{"file", std::filesystem::absolute(sources.rosterFile).lexically_normal().string()},
          {"sha256", Sha256Hex(sources.rosterBytes)},
          {"delimiter", std::string(1, plan.delimiter)}}},
        {"strict", sources.strict},
        {"userMode", plan.userMode},
        {"keep", plan.keep},
        {"pagers", json::array()},
        {"warnings", json::array()},
        {"shared", json::array()},
    };
    // Nothing in the staging folder is seen before it is whole: one sync for all.
    DeferredSyncCalls staged(calls);
    for (const PlannedPager& pager : plan.pagers) {
        if (!WriteTableFile(*staging / pager.fileName, pager.image, staged))
            return failed(SaveErrorText(*staging / pager.fileName, target / pager.fileName));
        json entry = {{"line", pager.line},
                      {"label", pager.label},
                      {"file", pager.fileName},
                      {"sha256", Sha256Hex(pager.image)},
                      {"checksum", Hex4(ImageChecksum(pager.image))}};
        if (!pager.asset.empty()) entry["asset"] = pager.asset;
        if (!pager.note.empty()) entry["note"] = pager.note;
        if (pager.keep != plan.keep) entry["keep"] = pager.keep;
        manifest["pagers"].push_back(std::move(entry));
    }
    for (const FleetProblem& warning : plan.warnings)
        manifest["warnings"].push_back(ProblemJson(warning));
    for (const tones::CallPair& pair : plan.shared)
        manifest["shared"].push_back(tones::PairText(pair));
    if (!WriteFileAtomically(*staging / kPlanFileName, manifest.dump(2) + "\n", staged))
        return failed(SaveErrorText(*staging / kPlanFileName, target / kPlanFileName));
    if (!staged.SyncAll(*staging))
        return failed("cannot create the folder " + folder.string() + ": " + std::strerror(errno));

    if (!exists) {
        if (calls.Rename(staging->c_str(), target.c_str()) != 0)
            return failed("cannot create the folder " + folder.string() + ": " +
                          std::strerror(errno));
        SyncFolder(parent, calls);
        return std::nullopt;
    }
    std::vector<std::string> names;
    for (const PlannedPager& pager : plan.pagers) names.push_back(pager.fileName);
    names.push_back(kPlanFileName);
    for (const std::string& name : names) {
        // A table moved in before a failure differs from the old plan.json,
        // which a run then refuses as changed after planning: never half a plan.
        if (calls.Rename((*staging / name).c_str(), (target / name).c_str()) != 0)
            return failed("Save Error! " + (target / name).string() + ": " + std::strerror(errno));
    }
    SyncFolder(target, calls);
    std::filesystem::remove_all(*staging, error);
    return std::nullopt;
}

PlanLoad LoadPlanFolder(const std::filesystem::path& folder) {
    PlanLoad load;
    const std::filesystem::path path = folder / kPlanFileName;
    std::string why;
    const std::optional<std::string> text = ReadWholeFile(path, kFleetTextLimit, why);
    if (!text) {
        load.error =
            path.string() + " cannot be read (" + why + "): is it a folder made by fleet plan?";
        return load;
    }
    try {
        const json manifest = json::parse(*text);
        if (manifest.at("format") != kFormat || manifest.at("version") != kFormatVersion)
            throw std::runtime_error("not a plan of this program");
        PlanManifest plan;
        plan.templateFile = manifest.at("template").at("file").get<std::string>();
        plan.templateSha256 = manifest.at("template").at("sha256").get<std::string>();
        plan.templateChecksum = static_cast<std::uint16_t>(
            std::stoul(manifest.at("template").at("checksum").get<std::string>(), nullptr, 16));
        plan.rosterFile = manifest.at("roster").at("file").get<std::string>();
        plan.rosterSha256 = manifest.at("roster").at("sha256").get<std::string>();
        plan.strict = manifest.value("strict", false);
        plan.userMode = manifest.value("userMode", false);
        if (manifest.contains("keep")) {
            const KeepListParse keep =
                ParseKeepList(manifest.at("keep").get<std::vector<std::string>>());
            if (!keep.error.empty()) throw std::runtime_error(keep.error);
            plan.keep = keep.fields;
        }
        for (const json& pager : manifest.at("pagers")) {
            PlanEntry entry;
            entry.line = LineNumberOf(pager);
            entry.label = pager.at("label").get<std::string>();
            entry.file = pager.at("file").get<std::string>();
            entry.sha256 = pager.at("sha256").get<std::string>();
            entry.checksum = static_cast<std::uint16_t>(
                std::stoul(pager.at("checksum").get<std::string>(), nullptr, 16));
            entry.asset = pager.value("asset", "");
            entry.note = pager.value("note", "");
            if (pager.contains("keep")) {
                const KeepListParse keep =
                    ParseKeepList(pager.at("keep").get<std::vector<std::string>>());
                if (!keep.error.empty()) throw std::runtime_error(keep.error);
                entry.keep = keep.fields;
            }
            // A plan names files inside its own folder only.
            if (entry.file.empty() || entry.file.find('/') != std::string::npos ||
                entry.file == "." || entry.file == "..")
                throw std::runtime_error("the file name of '" + ShownText(entry.label) +
                                         "' is not plain");
            plan.pagers.push_back(std::move(entry));
        }
        // Checked again as planning checked them: a copied entry would program two pagers alike.
        PagerKeys keys;
        for (const PlanEntry& entry : plan.pagers)
            if (const auto repeated = keys.Add(entry.line, entry.label, entry.asset, entry.file))
                throw std::runtime_error(Describe(*repeated));
        for (const json& warning : manifest.value("warnings", json::array()))
            plan.warnings.push_back({warning.contains("line") ? LineNumberOf(warning) : 0,
                                     warning.value("label", ""), warning.value("field", ""),
                                     warning.value("message", "")});
        for (const json& shared : manifest.value("shared", json::array()))
            plan.shared.push_back(shared.get<std::string>());
        load.manifest = std::move(plan);
    } catch (const std::exception& problem) {
        load.error = path.string() + " is not a usable plan: " + JsonProblemText(problem);
    }
    return load;
}

}  // namespace mk843nb::fleet
