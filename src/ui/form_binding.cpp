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
#include <QTabWidget>
#include <QWidget>

#include "editor/form_model.h"
#include "ui/dialog_service.h"

namespace mk843nb {

namespace {

std::string Name(const QObject* o) { return o->objectName().toStdString(); }

// The character a key press types, as the model's key filters see it: 0 for
// keys that type nothing (arrows, Delete, Tab, short-cuts), which pass untouched.
char TypedChar(const QKeyEvent* key) {
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) return '\r';
    if (key->key() == Qt::Key_Backspace) return '\b';
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return 0;
    const QString text = key->text();
    if (text.size() != 1) return 0;
    const QChar c = text.at(0);
    if (c.unicode() < 0x20 || c.unicode() > 0x7E) return c.unicode() > 0x7E ? '?' : 0;
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
        if (!objects_.contains(name)) objects_.insert(name, o);
    }
    for (QObject* o : objects_) {
        if (qobject_cast<QLineEdit*>(o) != nullptr)
            BindEdit(o);
        else if (qobject_cast<QComboBox*>(o) != nullptr)
            BindCombo(o);
        else if (qobject_cast<QAbstractButton*>(o) != nullptr)
            BindButton(o);
    }
}

void FormBinding::WatchBackground(QWidget* widget) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
    backgrounds_.emplace_back(widget);
}

void FormBinding::BindEdit(QObject* o) {
    auto* edit = static_cast<QLineEdit*>(o);
    if (FormModel::IsPassiveEdit(Name(edit))) return;
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) {
        model_.TextEdited(Name(edit), text.toStdString());
    });
}

void FormBinding::BindCombo(QObject* o) {
    auto* combo = static_cast<QComboBox*>(o);
    connect(combo, &QComboBox::activated, this,
            [this, combo](int index) { Show(model_.Select(Name(combo), index)); });
}

void FormBinding::BindButton(QObject* o) {
    auto* button = static_cast<QAbstractButton*>(o);
    connect(button, &QAbstractButton::clicked, this,
            [this, button] { Show(model_.Click(Name(button))); });
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
    if (qobject_cast<QLineEdit*>(watched) != nullptr) return EditEvent(watched, event);
    return false;
}

bool FormBinding::EditEvent(QObject* edit, QEvent* event) {
    const QString name = edit->objectName();
    switch (event->type()) {
        case QEvent::FocusIn: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // The focus coming back from a message box or another window is no entry.
            if ((reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) &&
                entered_ == name)
                return false;
            entered_ = name;
            if (programmaticFocus_ > 0) return false;  // focus put back: the typed text stays
            Show(model_.Enter(name.toStdString()));
            return false;
        }
        case QEvent::FocusOut: {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
                return false;
            if (entered_ != name) return false;
            entered_.clear();
            // Messages wait until the focus has settled, so a message box never
            // opens in the middle of a focus change.
            ++leaving_;
            Show(model_.Leave(name.toStdString()));
            --leaving_;
            if (leaving_ == 0 && !deferredMessages_.empty()) {
                auto messages = std::move(deferredMessages_);
                deferredMessages_.clear();
                for (const Message& m : messages) ShowMessage(m);
            }
            return false;
        }
        case QEvent::KeyPress: {
            const char ch = TypedChar(static_cast<QKeyEvent*>(event));
            if (ch == 0) return false;
            KeyOutcome outcome = model_.KeyPress(name.toStdString(), ch);
            Show(outcome.effects);
            return ch == '\r' || !outcome.accepted;
        }
        case QEvent::MouseButtonDblClick:
            Show(model_.DoubleClick(name.toStdString()));
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
    const QString name = QString::fromStdString(s.name);
    QObject* o = objects_.value(name);
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
                if (auto* w = qobject_cast<QWidget*>(Object(QString::fromStdString(e.control))))
                    FocusTo(w);
                break;
            case EffectKind::FocusNull:
                // A real focus change: the field that had the focus runs its leave check.
                if (auto* sink = qobject_cast<QWidget*>(Object(QStringLiteral("edtNull"))))
                    sink->setFocus(Qt::OtherFocusReason);
                break;
            case EffectKind::OpenToneTable:
                if (openToneTable) openToneTable();
                break;
            case EffectKind::CloseWindow:
                if (closeWindow) closeWindow(e.control);
                break;
        }
    }
}

void FormBinding::FocusTo(QWidget* widget) {
    ++programmaticFocus_;
    widget->setFocus(Qt::OtherFocusReason);
    --programmaticFocus_;
    // The field keeps its pending leave check, whether or not the focus moved.
    if (qobject_cast<QLineEdit*>(widget) != nullptr && !FormModel::IsPassiveEdit(Name(widget)))
        entered_ = widget->objectName();
}

void FormBinding::ShowMessage(const Message& message) { dialogs_.Show(message); }

}  // namespace mk843nb
