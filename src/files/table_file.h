#pragma once

// The File menu's table-file operations (Open, Save, Save As) and the
// start-up load of "default.tbl", with the state they share: the start
// directory, the name Save writes to, and the current directory that bare
// names and backup names resolve against. The dialogs and message boxes come
// through TableFileUi.

#include <filesystem>
#include <optional>
#include <string>

#include "files/file_system_calls.h"
#include "files/table_file_ui.h"
#include "image/pager_image.h"

namespace mk843nb {

inline constexpr const char* kDefaultTableName = "default.tbl";

struct TableFileOutcome {
    bool imageReplaced = false;  // the caller refreshes the window
    std::optional<std::string>
        statusText;  // Save As: "File Name:..." for panel 2 of the status bar
};

class TableFile {
public:
    // startDirectory: the process's current directory when the main window is
    // created. It is also the first current directory. Saves go through calls.
    TableFile(TableFileUi& ui, std::filesystem::path startDirectory,
              FileSystemCalls& calls = SystemFileCalls());

    // Open: the chosen file's first (up to) 256 bytes replace as many image
    // bytes; nothing is verified. "Open Error!" when it cannot be read.
    TableFileOutcome OpenTable(PagerImage& image);
    // Open without the dialog, for a file already chosen (the recent files).
    TableFileOutcome OpenTableFile(PagerImage& image, const std::string& chosen);
    // Save to the last Save As name ("default.tbl" at start): asks first when
    // it is "default.tbl"; keeps an existing file as <base name>.BAK in the
    // current directory unless that backup exists already (silently kept);
    // then writes the 256 bytes. "Save Error!" when the file cannot be written.
    void SaveTable(const PagerImage& image);
    // Save As: the chosen file becomes exactly the 256 bytes of the image and
    // the name Save writes to. "Save Error!" when it cannot be written.
    TableFileOutcome SaveTableAs(const PagerImage& image);
    // Start-up: "default.tbl" of the current directory replaces the whole image
    // (zeros after a short file) when its bytes 240 to 244 are "MK842".
    TableFileOutcome LoadDefaultTable(PagerImage& image);

    const std::filesystem::path& CurrentDirectory() const { return currentDirectory_; }
    // The file name of the save dialog: what Save writes to.
    const std::string& SaveFileName() const { return saveFileName_; }
    // The file name of the open dialog: "default.tbl" after the start-up load, emptied by Open.
    const std::string& OpenFileName() const { return openFileName_; }
    // Why the last Open or default-table load could not read its file ("a named
    // pipe, not a regular file"), for a front end that can say more than "Open Error!".
    const std::string& OpenFailure() const { return openFailure_; }
    // Why the last Save or Save As could not write its file ("the folder out
    // does not exist"), for a front end that can say more than "Save Error!".
    const std::string& SaveFailure() const { return saveFailure_; }
    // The backup name Save uses for a file: its base name + ".BAK" in the current directory.
    std::filesystem::path BackupPathOf(const std::string& fileName) const;

private:
    std::filesystem::path Resolve(const std::string& fileName) const;
    void KeepBackup(const std::filesystem::path& target, const std::filesystem::path& backup);
    // A dialog moves the current directory to the folder of the (resolved) file chosen in it.
    void ChangeDirectoryTo(const std::filesystem::path& chosen);
    FileDialogRequest DialogRequest(std::string fileName) const;
    // What the status panel shows after Save As.
    std::string ShownSaveName(const std::filesystem::path& path) const;

    TableFileUi& ui_;
    FileSystemCalls& calls_;
    std::filesystem::path startDirectory_;
    std::filesystem::path currentDirectory_;
    std::string saveFileName_ = kDefaultTableName;
    std::string openFileName_;
    std::string openFailure_;
    std::string saveFailure_;
};

}  // namespace mk843nb
