#pragma once

// File > "Tone plan…": a service's tone plan from table files, a folder or a
// fleet plan folder; its pagers and addresses, its problems (in the words of
// tones check), the chart, free pairs, and any address's test page played on
// the sound output. What it shows comes from tones::PlanView.

#include <QDialog>
#include <memory>
#include <vector>

#include "ui/plan_view.h"

class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace mk843nb {

class DialogService;
class PagePlayer;
class PlanChartWidget;

class TonePlanWindow : public QDialog {
    Q_OBJECT
public:
    TonePlanWindow(DialogService& dialogs, QWidget* parent = nullptr);
    ~TonePlanWindow() override;

    // The dialog answers where to look; the plan is read and shown.
    void OpenFolder();
    void AddTableFile();
    // Shows the plan of these paths; false, with a box saying why, when it cannot be read.
    bool OpenPaths(const std::vector<std::filesystem::path>& paths);

    const tones::PlanView& View() const { return view_; }
    QTableWidget* Addresses() const { return addresses_; }
    QListWidget* Problems() const { return problems_; }
    QListWidget* Suggestions() const { return suggestions_; }
    PlanChartWidget* Chart() const { return chart_; }
    QLabel* Status() const { return status_; }
    // The test page of the selected address, started on the default output.
    void PlaySelected();

private:
    void Show();
    void Suggest();
    void Played(bool completed, const QString& message);

    DialogService& dialogs_;
    tones::PlanView view_;
    std::vector<tones::PlanViewRow> rows_;
    QLabel* summary_;
    QTableWidget* addresses_;
    QListWidget* problems_;
    PlanChartWidget* chart_;
    QSpinBox* count_;
    QListWidget* suggestions_;
    QPushButton* play_;
    QPushButton* stop_;
    QLabel* status_;
    std::unique_ptr<PagePlayer> player_;
    std::vector<std::int16_t> samples_;
};

}  // namespace mk843nb
