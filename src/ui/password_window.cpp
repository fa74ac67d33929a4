#include "ui/password_window.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/form_model.h"
#include "ui/dialog_service.h"

namespace mk843nb {

PasswordWindow::PasswordWindow(FormModel& model, DialogService& dialogs, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      model_(model),
      dialogs_(dialogs) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Password"));

    auto* label = new QLabel(QStringLiteral("Password"), this);
    label->setObjectName(QStringLiteral("Label1"));
    QFont labelFont = label->font();
    labelFont.setBold(true);
    label->setFont(labelFont);

    edtPwd_ = new QLineEdit(this);
    edtPwd_->setObjectName(QStringLiteral("edtPwd"));
    edtPwd_->setEchoMode(QLineEdit::Password);
    edtPwd_->setMinimumWidth(170);
    QPalette palette = edtPwd_->palette();
    palette.setColor(QPalette::Base, Qt::black);
    palette.setColor(QPalette::Text, Qt::white);
    edtPwd_->setPalette(palette);
    // A '*' for every typed character, as the pager's programmers are used to.
    edtPwd_->setStyleSheet(
        QStringLiteral("QLineEdit { lineedit-password-character: 42; "
                       "background: black; color: white; "
                       "border: 1px solid #808080; padding: 2px 4px; "
                       "font-size: 15px; font-weight: bold; }"));
    edtPwd_->installEventFilter(this);
    label->setBuddy(edtPwd_);

    btnOK_ = new QPushButton(QStringLiteral("OK"), this);
    btnOK_->setObjectName(QStringLiteral("btnOK"));
    btnCancel_ = new QPushButton(QStringLiteral("Exit"), this);
    btnCancel_->setObjectName(QStringLiteral("btnCancel"));
    connect(btnOK_, &QPushButton::clicked, this, &PasswordWindow::btnOKClick);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);  // btnCancelClick

    auto* entry = new QHBoxLayout;
    entry->setSpacing(10);
    entry->addWidget(label);
    entry->addWidget(edtPwd_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK_);
    buttons->addWidget(btnCancel_);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->setSpacing(14);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);  // sized to its content
}

// FormShow and edtPwdEnter: every opening counts its own three tries and starts with
// an empty entry that has the focus.
void PasswordWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    model_.PasswordWindowShown();  // the failure counter starts again
    edtPwd_->clear();
    edtPwd_->setFocus(Qt::OtherFocusReason);
}

// edtPwdKeyPress: Enter runs the OK handler; every other key is typed.
bool PasswordWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edtPwd_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnOKClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PasswordWindow::btnOKClick() {
    // The entry shows the code upper-cased before it is checked.
    edtPwd_->setText(edtPwd_->text().toUpper());
    const Effects effects = model_.SubmitAccessCode(edtPwd_->text().toStdString());

    bool refused = false;
    bool close = false;
    for (const Effect& effect : effects) {
        switch (effect.kind) {
            case EffectKind::ShowMessage:
                dialogs_.ShowOver(this, effect.message);
                refused = true;
                break;
            case EffectKind::CloseWindow:
                close = true;
                break;
            default:
                break;
        }
    }
    if (refused) {
        edtPwd_->clear();
        edtPwd_->setFocus(Qt::OtherFocusReason);
    }
    if (close) accept();
}

}  // namespace mk843nb
