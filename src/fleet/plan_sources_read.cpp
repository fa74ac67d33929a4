#include "fleet/plan_sources_read.h"

#include "files/table_file_messages.h"
#include "files/table_io.h"
#include "fleet/text_file.h"

namespace mk843nb::fleet {

std::optional<PlanSources> ReadPlanSources(const NamedFile& templateFile,
                                           const NamedFile& rosterFile, bool strict,
                                           std::string& error) {
    std::string why;
    std::optional<std::string> roster = ReadWholeFile(rosterFile.path, kFleetTextLimit, why);
    if (!roster) {
        error = rosterFile.shown + " cannot be read: " + why;
        return std::nullopt;
    }
    std::optional<std::string> templateBytes;
    if (ReadTableBytes(templateFile.path, why))
        templateBytes = ReadWholeFile(templateFile.path, kTemplateFileLimit, why);
    if (!templateBytes) {
        error = OpenErrorText(templateFile.shown, why);
        return std::nullopt;
    }
    return PlanSources{templateFile.path, std::move(*templateBytes), rosterFile.path,
                       std::move(*roster), strict};
}

}  // namespace mk843nb::fleet
