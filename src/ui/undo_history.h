#pragma once

// Undo and redo of the window's edits: every user event that changed the image
// is one step, kept as the image before and after it (256 bytes are cheap).
// Whole-image replacements (Read, Open, the default table) start the history
// again; undoing never touches the pager.

#include <QObject>
#include <QUndoStack>
#include <functional>

#include "image/pager_image.h"

namespace mk843nb {

class UndoHistory : public QObject {
    Q_OBJECT
public:
    // restore puts an image back into the window (the model and the refresh)
    // and returns the image the window then holds.
    UndoHistory(std::function<PagerImage(const PagerImage&)> restore, QObject* parent = nullptr);

    QUndoStack& Stack() { return stack_; }

    // A user event has been handled: when the image differs from the last one
    // recorded, that change becomes one step.
    void Record(const PagerImage& now);
    // The image was replaced as a whole: no step before it can be undone.
    void Reset(const PagerImage& now);
    // The image changed for a reason that is no user edit (a Write prepares it
    // in place): later steps start from it, earlier ones stay.
    void Rebase(const PagerImage& now) { last_ = now; }

    void Undo() { stack_.undo(); }
    void Redo() { stack_.redo(); }

private:
    friend class ImageStep;
    void Apply(const PagerImage& image);

    std::function<PagerImage(const PagerImage&)> restore_;
    QUndoStack stack_;
    PagerImage last_{};
    bool applying_ = false;  // the refresh of an undo is no user edit
};

}  // namespace mk843nb
