#include "ui/form_binding.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QTabBar>
#include <QTabWidget>
#include <QWidget>

#include "editor/control_catalog.h"
#include "editor/form_model.h"
#include "ui/dialog_service.h"

namespace mk843nb {

namespace {

// An input widget of the window's own design: Qt's own parts of a widget (the
// tab bar's scroll buttons) are not.
bool IsInput(const QObject* o) {
    if (qobject_cast<const QTabBar*>(o->parent()) != nullptr) return false;
    // A button of the view's own (a call's play button) edits nothing.
    if (o->property("viewOnly").toBool()) return false;
    return qobject_cast<const QLineEdit*>(o) != nullptr ||
           qobject_cast<const QComboBox*>(o) != nullptr ||
           qobject_cast<const QAbstractButton*>(o) != nullptr;
}

constexpr int kNoLengthLimit = 32767;  // QLineEdit's maxLength when none is set

// The character a key press types, as the model's key filters see it: 0 for
// keys that type nothing (arrows, Home, End, Delete, Tab, short-cuts), which
// pass untouched. The X server gives Delete the DEL character as its text: it
// is an editing key all the same.
char TypedChar(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return '\r';
    if (key->key() == Qt::Key_Backspace) return '\b';
    if (key->key() == Qt::Key_Delete) return 0;
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    const QString text = key->text();
    if (text.size() != 1) return 0;
    const QChar c = text.at(0);
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return 0;
    if (c.unicode() > 0x7E) return '?';
    return char(c.unicode());
}

}  // namespace

FormBinding::FormBinding(FormModel& model, QWidget* form, QTabWidget* pages, DialogService& dialogs)
    : QObject(form), model_(model), form_(form), pages_(pages), dialogs_(dialogs) {}

void FormBinding::Attach() {
    QWidget* window = form_->window();
    for (QObject* o : window->findChildren<QObject*>()) {
        const QString name = o->objectName();
        if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) continue;
        if (objects_.contains(name)) continue;
        objects_.insert(name, o);
        const auto control = FindControl(name.toStdString());
        if (!control) {
            if (IsInput(o)) unknownInputs_ << name;
            continue;
        }
        widgets_[Index(*control)] = o;
        if (qobject_cast<QLineEdit*>(o) != nullptr)
            BindEdit(*control, o);
        else if (qobject_cast<QComboBox*>(o) != nullptr)
            BindCombo(*control, o);
        else if (qobject_cast<QAbstractButton*>(o) != nullptr)
            BindButton(*control, o);
    }
}

void FormBinding::WatchBackground(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    backgrounds_.emplace_back(widget);
}

void FormBinding::BindEdit(ControlId control, QObject* o) {
    auto* edit = static_cast<QLineEdit*>(o);
    if (FormModel::IsPassiveEdit(control)) return;
    edits_.insert(edit, control);
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, control](const QString& text) {
        model_.TextEdited(control, text.toStdString());
    });
}

void FormBinding::BindCombo(ControlId control, QObject* o) {
    connect(static_cast<QComboBox*>(o), &QComboBox::activated, this,
            [this, control](int index) { Show(model_.Select(control, index)); });
}

void FormBinding::BindButton(ControlId control, QObject* o) {
    connect(static_cast<QAbstractButton*>(o), &QAbstractButton::clicked, this,
            [this, control] { Show(model_.Click(control)); });
}

bool FormBinding::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseMove) {
        for (const auto& bg : backgrounds_) {
            if (bg != watched) continue;
            const auto* move = static_cast<QMouseEvent*>(event);
            // Only the bare background: controls and their captions have the mouse to themselves.
            if (bg->childAt(move->position().toPoint()) == nullptr)
                Show(model_.MouseOverBackground());
            return false;
        }
    }
    const auto edit = edits_.constFind(watched);
    if (edit != edits_.constEnd()) return EditEvent(*edit, event);
    return false;
}

bool FormBinding::EditEvent(ControlId control, QEvent* event) {
    switch (event->type()) {
        case QEvent::FocusIn: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // The focus coming back from a message box or another window is no entry.
            if ((reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) &&
                entered_ == control)
                return false;
            entered_ = control;
            if (programmaticFocus_ > 0) return false;  // focus put back: the typed text stays
            Show(model_.Enter(control));
            return false;
        }
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
            if (entered_ != control) return false;
            RunLeave();
            return false;
        }
        case QEvent::KeyPress: {
            const char ch = TypedChar(static_cast<QKeyEvent*>(event));
            if (ch == 0) return false;
            // A field with a length limit counts what stays: a character typed
            // over a selection replaces it, so a full field can be typed over.
            auto* line = static_cast<QLineEdit*>(Widget(control));
            const bool overSelection = ch != '\r' && ch != '\b' && line->hasSelectedText() &&
                                       line->maxLength() < kNoLengthLimit;
            if (overSelection) {
                QString rest = line->text();
                rest.remove(line->selectionStart(), line->selectedText().size());
                model_.TextEdited(control, rest.toStdString());
            }
            KeyOutcome outcome = model_.KeyPress(control, ch);
            if (overSelection && !outcome.accepted)
                model_.TextEdited(control, line->text().toStdString());
            Show(outcome.effects);
            return ch == '\r' || !outcome.accepted;
        }
        case QEvent::MouseButtonDblClick:
            Show(model_.DoubleClick(control));
            return false;
        default:
            return false;
    }
}

void FormBinding::Show(const Effects& effects) {
    ApplyStates();
    Render(effects);
    if (afterEvent) afterEvent();
}

void FormBinding::ApplyStates() {
    for (const ControlState& state : model_.Controls()) ApplyState(state);
}

void FormBinding::ApplyState(const ControlState& s) {
    QObject* o = Widget(s.id);
    if (o == nullptr) return;
    const QSignalBlocker block(o);
    const QString text = QString::fromStdString(s.text);

    if (auto* action = qobject_cast<QAction*>(o)) {
        action->setEnabled(s.enabled);
        action->setVisible(s.visible);
        return;
    }
    auto* w = qobject_cast<QWidget*>(o);
    if (w == nullptr) return;

    if (s.kind == ControlKind::Tab) {
        if (pages_ != nullptr) {
            const int index = pages_->indexOf(w);
            if (index >= 0) {
                pages_->setTabVisible(index, s.visible);
                pages_->setTabEnabled(index, s.enabled);
            }
        }
        return;
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList items;
        for (const std::string& item : s.items) items << QString::fromStdString(item);
        QStringList current;
        for (int i = 0; i < combo->count(); ++i) current << combo->itemText(i);
        if (current != items) {
            combo->clear();
            combo->addItems(items);
        }
        if (combo->currentIndex() != s.itemIndex) combo->setCurrentIndex(s.itemIndex);
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->isCheckable() && button->isChecked() != s.checked)
            button->setChecked(s.checked);
        if (!text.isEmpty() && button->text() != text) button->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (!text.isEmpty() && label->text() != text) label->setText(text);
    } else if (s.kind == ControlKind::Panel) {
        // A panel shows its caption through the label it holds.
        if (auto* caption = w->findChild<QLabel*>(); caption != nullptr && !text.isEmpty())
            caption->setText(text);
    }
    if (w->isEnabled() != s.enabled) w->setEnabled(s.enabled);
    // A control on a page that is not shown still counts as visible.
    if (w->isVisibleTo(w->parentWidget()) != s.visible) w->setVisible(s.visible);
}

void FormBinding::Render(const Effects& effects) {
    for (const Effect& e : effects) {
        switch (e.kind) {
            case EffectKind::ShowMessage:
                if (leaving_ > 0)
                    deferredMessages_.push_back(e.message);
                else
                    ShowMessage(e.message);
                break;
            case EffectKind::FocusTo:
                if (auto* w = qobject_cast<QWidget*>(Widget(e.control))) FocusTo(w, e.control);
                break;
            case EffectKind::FocusNull:
                FocusNull();
                break;
            case EffectKind::OpenToneTable:
                if (openToneTable) openToneTable();
                break;
            case EffectKind::CloseWindow:
                if (closeWindow) closeWindow(e.window);
                break;
        }
    }
}

void FormBinding::RunLeave() {
    const ControlId field = *entered_;
    entered_.reset();
    // Messages wait until the focus has settled, so a message box never
    // opens in the middle of a focus change.
    ++leaving_;
    Show(model_.Leave(field));
    --leaving_;
    if (leaving_ == 0 && !deferredMessages_.empty()) {
        auto messages = std::move(deferredMessages_);
        deferredMessages_.clear();
        for (const Message& m : messages) ShowMessage(m);
    }
}

void FormBinding::FocusNull() {
    // The field being edited runs its leave check here rather than from the
    // focus-out event: after a message box the window may not have its
    // activation back yet, and a focus change in an inactive window sends no
    // events, so the check would be lost and the refused text left on screen.
    if (entered_) {
        const ControlId field = *entered_;
        RunLeave();
        if (entered_ == field) return;  // refused: the focus stays in the field
    }
    if (auto* sink = qobject_cast<QWidget*>(Widget(ControlId::edtNull))) {
        ++programmaticFocus_;
        sink->setFocus(Qt::OtherFocusReason);
        --programmaticFocus_;
    }
}

void FormBinding::FocusTo(QWidget* widget, ControlId control) {
    ++programmaticFocus_;
    widget->setFocus(Qt::OtherFocusReason);
    --programmaticFocus_;
    // The field keeps its pending leave check, whether or not the focus moved.
    if (edits_.contains(widget)) entered_ = control;
}

void FormBinding::ShowMessage(const Message& message) { dialogs_.Show(message); }

}  // namespace mk843nb
