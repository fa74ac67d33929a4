#pragma once

#include <QGroupBox>
#include <optional>
#include <vector>

#include "fleet/fleet_report.h"
#include "fleet/plan_folder.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace mk843nb {

// The Fleet window's results: the report's lines as they come, where the plan
// stands, Retry for a pager that failed, the report and the folder to open.
class FleetResultsPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit FleetResultsPanel(QWidget* parent = nullptr);

    void Show(const std::optional<fleet::PlanManifest>& plan,
              const std::vector<fleet::ReportLine>& lines);
    // The line of the row selected, when one is.
    std::optional<std::size_t> Selected() const;
    void Enable(bool retry, bool openReport, bool openFolder);

signals:
    void SelectionChanged();
    void RetryClicked();
    void OpenReportClicked();
    void OpenFolderClicked();
    void CloseClicked();

private:
    QTableWidget* results_;
    QLabel* standing_;
    QPushButton* retry_;
    QPushButton* openReport_;
    QPushButton* openFolder_;
};

}  // namespace mk843nb
