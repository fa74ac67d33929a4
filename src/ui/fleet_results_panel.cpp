#include "ui/fleet_results_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "fleet_run/fleet_screen.h"
#include "ui/fleet_view_parts.h"

namespace mk843nb {

FleetResultsPanel::FleetResultsPanel(QWidget* parent)
    : QGroupBox(QStringLiteral("Results"), parent) {
    results_ = FleetTable(
        this, "FleetResults",
        {QStringLiteral("Label"), QStringLiteral("Board"), QStringLiteral("Result"),
         QStringLiteral("Seconds"), QStringLiteral("Backup"), QStringLiteral("Message")});
    standing_ = new QLabel(this);
    standing_->setObjectName(QStringLiteral("FleetStanding"));
    retry_ = FleetButton(this, "FleetRetry", QStringLiteral("Re&try"));
    openReport_ = FleetButton(this, "FleetOpenReport", QStringLiteral("Open r&eport"));
    openFolder_ = FleetButton(this, "FleetOpenFolder", QStringLiteral("Open plan &folder"));
    auto* close = FleetButton(this, "FleetClose", QStringLiteral("&Close"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(standing_, 1);
    buttons->addWidget(retry_);
    buttons->addWidget(openReport_);
    buttons->addWidget(openFolder_);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(results_, 1);
    layout->addLayout(buttons);

    connect(results_, &QTableWidget::itemSelectionChanged, this,
            &FleetResultsPanel::SelectionChanged);
    connect(retry_, &QPushButton::clicked, this, &FleetResultsPanel::RetryClicked);
    connect(openReport_, &QPushButton::clicked, this, &FleetResultsPanel::OpenReportClicked);
    connect(openFolder_, &QPushButton::clicked, this, &FleetResultsPanel::OpenFolderClicked);
    connect(close, &QPushButton::clicked, this, &FleetResultsPanel::CloseClicked);
}

void FleetResultsPanel::Show(const std::optional<fleet::PlanManifest>& plan,
                             const std::vector<fleet::ReportLine>& lines) {
    results_->clearContents();
    results_->setRowCount(static_cast<int>(lines.size()));
    for (int row = 0; row < static_cast<int>(lines.size()); ++row) {
        const fleet::ResultRow shown = fleet::ResultRowOf(lines[static_cast<std::size_t>(row)]);
        FillFleetRow(results_, row,
                     {shown.label, shown.board, shown.result, shown.seconds,
                      std::filesystem::path(shown.backup).filename().string(), shown.message});
        results_->item(row, 4)->setToolTip(QString::fromStdString(shown.backup));
    }
    results_->resizeColumnsToContents();
    standing_->setText(plan ? QString::fromStdString(fleet::PlanStanding(*plan, lines))
                            : QString());
    if (!lines.empty()) results_->scrollToBottom();
}

std::optional<std::size_t> FleetResultsPanel::Selected() const {
    const auto rows = results_->selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return static_cast<std::size_t>(rows.constFirst().row());
}

void FleetResultsPanel::Enable(bool retry, bool openReport, bool openFolder) {
    retry_->setEnabled(retry);
    openReport_->setEnabled(openReport);
    openFolder_->setEnabled(openFolder);
}

}  // namespace mk843nb
