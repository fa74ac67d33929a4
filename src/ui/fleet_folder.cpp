#include "ui/fleet_folder.h"

#include <QDir>
#include <system_error>

#include "fleet/plan_to_run.h"
#include "ui/app_settings.h"
#include "ui/dialog_service.h"

namespace mk843nb {

std::optional<std::filesystem::path> FleetFolder::Choose(DialogService& dialogs) {
    FileDialogRequest request;
    request.filter = kPlanFileFilter;
    request.defaultExt = "json";
    request.fileMustExist = true;
    request.tableFolder = false;
    const QString last = AppSettings().LastPlanFolder();
    request.initialDir =
        (!last.isEmpty() && QDir(last).exists() ? last : QDir::currentPath()).toStdString();
    const auto chosen = dialogs.ChooseOpenFile(request);
    if (!chosen) return std::nullopt;
    return std::filesystem::path(*chosen).parent_path();
}

std::optional<std::string> FleetFolder::Open(const std::filesystem::path& folder) {
    const fleet::PlanToRun opened = fleet::OpenPlanToRun(folder);
    if (!opened.manifest) return opened.error;
    folder_ = folder;
    AppSettings().SetLastPlanFolder(
        QString::fromStdString(std::filesystem::absolute(folder).lexically_normal().string()));
    plan_ = opened.manifest;
    lines_ = opened.report->Lines();
    return std::nullopt;
}

void FleetFolder::Leave() {
    folder_.reset();
    plan_.reset();
    lines_.clear();
}

void FleetFolder::ReadReportAgain() {
    if (!folder_) return;
    fleet::FleetReport report(*folder_);
    if (!report.Load()) lines_ = report.Lines();
}

bool FleetFolder::HasReport() const {
    std::error_code error;
    return folder_ && std::filesystem::is_regular_file(*folder_ / fleet::kReportCsvName, error);
}

}  // namespace mk843nb
