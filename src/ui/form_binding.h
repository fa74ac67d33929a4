#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "editor/control_id.h"
#include "editor/form_types.h"

class QTabWidget;
class QWidget;

namespace mk843nb {

class DialogService;
class FormModel;

// The generic view over the form model: maps every control's widget to its id
// once, by object name, forwards the user's events to the model by id, then
// shows every control's state as the model holds it and renders the effects
// the model returns.
class FormBinding : public QObject {
    Q_OBJECT
public:
    FormBinding(FormModel& model, QWidget* form, QTabWidget* pages, DialogService& dialogs);

    // Binds the widget or menu action of every control under the form's
    // window; call once the window is built.
    void Attach();
    // The mouse-move commit rule runs when the mouse moves over one of these
    // (the form's background and some group boxes), not over their controls.
    void WatchBackground(QWidget* widget);

    // Shows every control's state, then renders the effects in order.
    void Show(const Effects& effects);
    void ApplyStates();
    void Render(const Effects& effects);

    // The widget or action of a control; nullptr for a control the window has none of.
    QObject* Widget(ControlId control) const { return widgets_[Index(control)]; }
    // Any named object of the window, control or not (group boxes, the status bar).
    QObject* Object(const QString& name) const { return objects_.value(name); }
    // Edits, lists, buttons and actions that carry a name the catalogue does not
    // know: no rule would reach them. Empty in a well-built window.
    const QStringList& UnknownInputs() const { return unknownInputs_; }

    std::function<void()> openToneTable;
    std::function<void(const std::string&)> closeWindow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindEdit(ControlId control, QObject* edit);
    void BindCombo(ControlId control, QObject* combo);
    void BindButton(ControlId control, QObject* button);
    bool EditEvent(ControlId control, QEvent* event);
    void FocusTo(QWidget* widget, ControlId control);
    // The leave check of the field in entered_, its messages after it.
    void RunLeave();
    // The focus to edtNull: the field being edited runs its leave check first.
    void FocusNull();
    void ShowMessage(const Message& message);
    void ApplyState(const ControlState& state);

    FormModel& model_;
    QWidget* form_;
    QTabWidget* pages_;
    DialogService& dialogs_;
    QHash<QString, QObject*> objects_;
    std::array<QObject*, kControlCount> widgets_{};
    QHash<const QObject*, ControlId> edits_;  // the edits whose events the binding filters
    QStringList unknownInputs_;
    std::vector<QPointer<QWidget>> backgrounds_;
    std::optional<ControlId> entered_;  // the edit whose leave check is pending
    int programmaticFocus_ = 0;         // focus moves of the view itself: no entry rule
    int leaving_ = 0;                   // inside a leave check
    std::vector<Message> deferredMessages_;
};

}  // namespace mk843nb
