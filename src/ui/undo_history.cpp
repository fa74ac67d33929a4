#include "ui/undo_history.h"

#include <QUndoCommand>

namespace mk843nb {

class ImageStep : public QUndoCommand {
public:
    ImageStep(UndoHistory& history, const PagerImage& before, const PagerImage& after)
        : history_(history), before_(before), after_(after) {}
    // The first redo comes with the push, when the window already shows the change.
    void redo() override {
        if (pushed_) history_.Apply(after_);
        pushed_ = true;
    }
    void undo() override { history_.Apply(before_); }

private:
    UndoHistory& history_;
    PagerImage before_;
    PagerImage after_;
    bool pushed_ = false;
};

UndoHistory::UndoHistory(std::function<PagerImage(const PagerImage&)> restore, QObject* parent)
    : QObject(parent), restore_(std::move(restore)), stack_(this) {}

void UndoHistory::Record(const PagerImage& now) {
    if (applying_ || now == last_) return;
    const PagerImage before = last_;
    last_ = now;
    stack_.push(new ImageStep(*this, before, now));
}

void UndoHistory::Reset(const PagerImage& now) {
    stack_.clear();
    last_ = now;
}

void UndoHistory::Apply(const PagerImage& image) {
    applying_ = true;
    last_ = restore_(image);
    applying_ = false;
}

}  // namespace mk843nb
