#pragma once

#include <QGroupBox>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "fleet/fleet_plan.h"
#include "fleet/plan_folder.h"
#include "fleet/roster.h"
#include "fleet_run/fleet_screen.h"
#include "image/pager_image.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace mk843nb {

class DialogService;

// The Fleet window's plan: a roster and a template (the main window's table or
// a table file) with fleet plan's options, the plan they make shown row by row
// with its problems, and the plan folder written with "Make plan…". Opening a
// plan folder is the window's; this shows the rows of the one open.
class FleetPlanPanel : public QGroupBox {
    Q_OBJECT
public:
    FleetPlanPanel(DialogService& dialogs, std::function<PagerImage()> windowImage,
                   QWidget* parent = nullptr);

    // The roster and template make a plan without refusals, with pagers in it.
    bool Ready() const;
    // The pagers of the plan folder opened, and where it is.
    void ShowFolder(const std::filesystem::path& folder, const fleet::PlanManifest& plan);
    // choose: the roster, the template, the options and Open plan.
    void Enable(bool choose, bool makePlan);

signals:
    // A plan from a roster is being made: the folder shown before is left.
    void PlanStarted();
    // What Ready says may have changed.
    void Changed();
    // "Make plan…" wrote this plan folder.
    void FolderMade(const std::filesystem::path& folder);
    void OpenPlanClicked();

private:
    void ChooseRoster();
    void ChooseTemplateFile();
    // The plan from the roster and template chosen, shown; nothing written.
    void BuildPlan();
    // Builds the plan and its rows; the note below the table.
    std::string Build(const std::optional<std::filesystem::path>& templatePath,
                      const fleet::PlanOptions& options);
    void MakePlan();
    void ShowRows();
    // fleet plan's options as the boxes give them; nullopt, with why, for a bad keep list.
    std::optional<fleet::PlanOptions> ChosenOptions(std::string& why) const;
    // The template file: the one chosen, or the window's table written to path.
    std::optional<std::filesystem::path> TemplateFile(const std::filesystem::path& windowCopy);

    DialogService& dialogs_;
    std::function<PagerImage()> windowImage_;

    QLineEdit* roster_;
    QRadioButton* windowTemplate_;
    QRadioButton* fileTemplate_;
    QLineEdit* templatePath_;
    QPushButton* rosterButton_;
    QPushButton* templateButton_;
    QPushButton* makePlan_;
    QPushButton* openPlan_;
    QTableWidget* plan_;
    QLabel* note_;
    QCheckBox* strict_;
    QCheckBox* exact_;
    QLineEdit* keep_;

    std::string rosterFile_;
    std::string templateFile_;
    std::optional<fleet::FleetPlan> built_;
    std::vector<fleet::PlanRow> rows_;
};

}  // namespace mk843nb
