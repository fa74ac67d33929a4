#pragma once

#include <QFrame>
#include <string>

#include "fleet_run/fleet_runner.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace mk843nb {

// One board of a run in the Fleet window: the pager it programs, its state and
// progress, and its prompt with Go, Skip and Stop.
class FleetLane : public QFrame {
    Q_OBJECT
public:
    FleetLane(int number, const QString& port, QWidget* parent = nullptr);

    QLabel* State() const { return state_; }
    QLabel* Prompt() const { return prompt_; }
    QPushButton* Go() const { return go_; }

    void Show(const std::string& text, int step);
    void Ask(const QString& text);
    void EndAsking();

signals:
    // Go, Skip or Stop clicked at the prompt.
    void Answered(fleet::PromptAnswer answer);

private:
    QLabel* state_;
    QProgressBar* progress_;
    QLabel* prompt_;
    QPushButton* go_;
    QPushButton* skip_;
    QPushButton* stop_;
};

}  // namespace mk843nb
