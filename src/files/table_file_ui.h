#pragma once

// What the table-file operations need from the window: the two file dialogs
// and message boxes. The window implements it with real dialogs; tests and the
// command-line tool answer it directly.

#include <optional>
#include <string>

#include "image/message.h"

namespace mk843nb {

inline constexpr const char* kTableFileFilter = "Table files (*.tbl)|*.tbl";
inline constexpr const char* kTableFileDefaultExt = "tbl";

struct FileDialogRequest {
    std::string initialDir;  // the start directory
    std::string fileName;    // shown in the name box: "" for Open, the last name for Save As
    std::string filter = kTableFileFilter;
    std::string defaultExt = kTableFileDefaultExt;
    bool fileMustExist = false;     // Open
    bool confirmOverwrite = false;  // Save As: ask before replacing an existing file
    // The table files' dialogs open in the folder the last of them was closed
    // in and move it; a dialog for another kind of file (the log) opens in
    // initialDir and leaves that folder alone.
    bool tableFolder = true;
    // Open: a folder is chosen, not a file (a folder of table files, a fleet plan).
    bool folder = false;
};

class TableFileUi {
public:
    virtual ~TableFileUi() = default;
    // The chosen path, or nullopt when the user cancels.
    virtual std::optional<std::string> ChooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> ChooseSaveFile(const FileDialogRequest& request) = 0;
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const Message& question) = 0;
    // A message box with one OK button.
    virtual void Show(const Message& message) = 0;
};

}  // namespace mk843nb
