#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace mk843nb {

class DialogService;
class FormModel;

// The Advance password window (TForm4). The access code check, the failure
// count and what a right code unlocks are the form model's; this window takes
// the typed code to it and renders the answer (message, closing).
class PasswordWindow : public QDialog {
    Q_OBJECT
public:
    PasswordWindow(FormModel& model, DialogService& dialogs, QWidget* parent = nullptr);

    QLineEdit* EdtPwd() const { return edtPwd_; }
    QPushButton* BtnOK() const { return btnOK_; }
    QPushButton* BtnCancel() const { return btnCancel_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void btnOKClick();

    FormModel& model_;
    DialogService& dialogs_;
    QLineEdit* edtPwd_;
    QPushButton* btnOK_;
    QPushButton* btnCancel_;
};

}  // namespace mk843nb
