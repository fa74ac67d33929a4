#pragma once

#include <QFrame>
#include <string>

#include "fleet_run/fleet_runner.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace mk843nb {

// One board of a run in the Fleet window: the pager it programs, its state and
// progress, and its prompt with Go, Skip and Stop; and when the pager placed
// was refused as another one, why, with "Write anyway" for that pager.
class FleetLane : public QFrame {
    Q_OBJECT
public:
    FleetLane(int number, const QString& port, QWidget* parent = nullptr);

    QLabel* State() const { return state_; }
    QLabel* Prompt() const { return prompt_; }
    QPushButton* Go() const { return go_; }
    QLabel* Refusal() const { return refusal_; }
    QPushButton* WriteAnyway() const { return anyway_; }

    void Show(const std::string& text, int step);
    void Ask(const QString& text);
    void EndAsking();
    // The pager placed for label was refused (text says why). It stays said
    // until the lane asks for another pager; "Write anyway" only between runs.
    void Refuse(const std::string& label, const QString& text);
    void AllowWriteAnyway(bool allowed);

signals:
    // Go, Skip or Stop clicked at the prompt.
    void Answered(fleet::PromptAnswer answer);
    // "Write anyway" clicked for the refused pager's label.
    void WriteAnywayClicked(const std::string& label);

private:
    QLabel* state_;
    QProgressBar* progress_;
    QLabel* prompt_;
    QPushButton* go_;
    QPushButton* skip_;
    QPushButton* stop_;
    QLabel* refusal_;
    QPushButton* anyway_;
    std::string refusedLabel_;
};

}  // namespace mk843nb
