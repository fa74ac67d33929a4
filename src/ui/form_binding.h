#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "editor/form_types.h"

class QTabWidget;
class QWidget;

namespace mk843nb {

class DialogService;
class FormModel;

// The generic view over the form model: finds every control by its object
// name, forwards the user's events to the model, then shows every control's
// state as the model holds it and renders the effects the model returns.
class FormBinding : public QObject {
    Q_OBJECT
public:
    FormBinding(FormModel& model, QWidget* form, QTabWidget* pages, DialogService& dialogs);

    // Binds every named widget and menu action under the form; call once the
    // window is built.
    void Attach();
    // The mouse-move commit rule runs when the mouse moves over one of these
    // (the form's background and some group boxes), not over their controls.
    void WatchBackground(QWidget* widget);

    // Shows every control's state, then renders the effects in order.
    void Show(const Effects& effects);
    void ApplyStates();
    void Render(const Effects& effects);

    QObject* Object(const QString& name) const { return objects_.value(name); }

    std::function<void()> openToneTable;
    // Runs after every user event the binding handled (the undo history looks for a change).
    std::function<void()> afterEvent;
    std::function<void(const std::string&)> closeWindow;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BindEdit(QObject* edit);
    void BindCombo(QObject* combo);
    void BindButton(QObject* button);
    bool EditEvent(QObject* edit, QEvent* event);
    void FocusTo(QWidget* widget);
    void ShowMessage(const Message& message);
    void ApplyState(const ControlState& state);

    FormModel& model_;
    QWidget* form_;
    QTabWidget* pages_;
    DialogService& dialogs_;
    QHash<QString, QObject*> objects_;
    std::vector<QPointer<QWidget>> backgrounds_;
    QString entered_;            // the edit whose leave check is pending
    int programmaticFocus_ = 0;  // focus moves of the view itself: no entry rule
    int leaving_ = 0;            // inside a leave check
    std::vector<Message> deferredMessages_;
};

}  // namespace mk843nb
