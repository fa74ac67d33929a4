#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "files/table_file_ui.h"

class QFileDialog;

namespace mk843nb {

class AppSettings;

// Every message box and file dialog of the windows goes through this service,
// so tests can record what would be shown and answer for the user. The table
// files use it through TableFileUi; the windows call Show and AskYesNo.
class DialogService : public TableFileUi {
public:
    // The window the boxes and dialogs are modal to.
    void SetParent(QWidget* parent) { parent_ = parent; }
    QWidget* Parent() const { return parent_.data(); }
    // A message box raised while another window is up belongs over that window,
    // not over the main window.
    void ShowOver(QWidget* window, const Message& message);
    // A message box that also offers "Details…", which shows the details (one
    // line each) in a box of their own. Empty details: Show.
    virtual void ShowWithDetails(const Message& message, const std::string& details);
    // A line of text asked for under title, offered as current; nothing when cancelled.
    virtual std::optional<std::string> AskText(const std::string& title,
                                               const std::string& question,
                                               const std::string& current) = 0;

private:
    QPointer<QWidget> parent_;
};

// The real dialogs: QMessageBox (caption and icon by the message's kind) and QFileDialog.
class QtDialogService : public DialogService {
public:
    // The file dialogs open in the folder the last one was closed in, kept in
    // settings between runs; without settings they open where they are asked to.
    void RememberFoldersIn(AppSettings* settings) { settings_ = settings; }

    std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) override;
    bool AskYesNo(const Message& question) override;
    void Show(const Message& message) override;
    void ShowWithDetails(const Message& message, const std::string& details) override;
    std::optional<std::string> AskText(const std::string& title, const std::string& question,
                                       const std::string& current) override;

private:
    std::optional<std::string> Run(QFileDialog& dialog, const FileDialogRequest& request);

    AppSettings* settings_ = nullptr;
};

// "Table files (*.tbl)|*.tbl" as a Qt name filter: "Table files (*.tbl)".
QString QtNameFilter(const std::string& filter);

}  // namespace mk843nb
