#include "fleet/plan_folder.h"

#include <cerrno>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <system_error>

#include "files/atomic_write.h"
#include "files/table_io.h"
#include "fleet/digest.h"
#include "fleet/json_problem.h"
#include "fleet/text_file.h"

namespace mk843nb::fleet {
namespace {

using json = nlohmann::ordered_json;

constexpr const char* kFormat = "mk843nb fleet plan";
constexpr int kFormatVersion = 1;

std::string Hex4(std::uint16_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
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

}  // namespace

std::optional<std::string> WritePlanFolder(const std::filesystem::path& folder,
                                           const FleetPlan& plan, const PlanSources& sources) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return "cannot create the folder " + folder.string() + ": " + error.message();

    std::vector<std::filesystem::path> outputs{folder / kPlanFileName};
    for (const PlannedPager& pager : plan.pagers) outputs.push_back(folder / pager.fileName);
    for (const auto& output : outputs) {
        if (SameFile(output, sources.templateFile) || SameFile(output, sources.rosterFile))
            return output.string() +
                   " would replace the template or the roster; choose another --out folder";
    }

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
    for (const PlannedPager& pager : plan.pagers) {
        if (!WriteTableFile(folder / pager.fileName, pager.image))
            return "Save Error! " + (folder / pager.fileName).string() + ": " +
                   SaveFailureReason(folder / pager.fileName, folder / pager.fileName, errno);
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
    if (!WriteFileAtomically(folder / kPlanFileName, manifest.dump(2) + "\n"))
        return "Save Error! " + (folder / kPlanFileName).string() + ": " +
               SaveFailureReason(folder / kPlanFileName, folder / kPlanFileName, errno);
    return std::nullopt;
}

PlanLoad LoadPlanFolder(const std::filesystem::path& folder) {
    PlanLoad load;
    const std::filesystem::path path = folder / kPlanFileName;
    const std::optional<std::string> text = ReadWholeFile(path);
    if (!text) {
        load.error = path.string() + " cannot be read: is it a folder made by fleet plan?";
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
            entry.line = pager.at("line").get<int>();
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
                throw std::runtime_error("the file name of '" + entry.label + "' is not plain");
            plan.pagers.push_back(std::move(entry));
        }
        for (const json& warning : manifest.value("warnings", json::array()))
            plan.warnings.push_back({warning.value("line", 0), warning.value("label", ""),
                                     warning.value("field", ""), warning.value("message", "")});
        for (const json& shared : manifest.value("shared", json::array()))
            plan.shared.push_back(shared.get<std::string>());
        load.manifest = std::move(plan);
    } catch (const std::exception& problem) {
        load.error = path.string() + " is not a usable plan: " + JsonProblemText(problem);
    }
    return load;
}

}  // namespace mk843nb::fleet
