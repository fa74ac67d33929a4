#pragma once

#include <string>

#include "cli/shell_path.h"
#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "files/named_table_file_ui.h"
#include "files/table_file.h"

namespace mk843nb::cli {

// The program as it stands right after a fresh start (the built-in default
// image, no default table, Standard Mode, ToneSpacing 15, Modify Mode), with
// the file named on the command line as the answer to every file dialog.
class CliSession {
public:
    explicit CliSession(const ShellPath& file);

    FormModel& Model() { return model_; }
    FormDriver& User() { return user_; }

    // File > Open: the file's bytes replace the image and the window refresh
    // runs; its messages go to stderr. Throws CommandFailure when the file
    // cannot be opened ("Open Error!" and a line saying why), the image then unchanged.
    void OpenFile();
    // File > Save As of the image. Throws CommandFailure when it cannot be saved.
    void SaveFileAs(const PagerImage& image);

private:
    std::string file_;
    FormModel model_;
    FormDriver user_{model_};
    NamedTableFileUi ui_;
    TableFile tables_;
};

}  // namespace mk843nb::cli
