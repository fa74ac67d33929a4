#pragma once

// Every message the table-file operations show, with its exact text and kind.

#include <string>

#include "image/message.h"

namespace mk843nb {

inline const Message kOpenErrorMessage{MessageKind::Exclamation, "Open Error!"};
// "Open Error!" said of a named file, and why it could not be read when known:
// "Open Error!\nnone.tbl: No such file or directory".
inline std::string OpenErrorText(const std::string& file, const std::string& why) {
    return kOpenErrorMessage.text + (why.empty() ? "" : "\n" + file + ": " + why);
}
inline const Message kSaveErrorMessage{MessageKind::Exclamation, "Save Error!"};
inline const Message kOpenDefaultErrorMessage{MessageKind::Exclamation, "Open default.tbl error!"};
inline const Message kNotMk842DefaultMessage{MessageKind::Plain,
                                             "This default table is not MK842."};
// Asked with Yes and No before Save overwrites "default.tbl".
inline const Message kSaveDefaultQuestion{
    MessageKind::Question,
    "Click OK will save all changes to the default file.\nThis will change all the default values "
    "and "
    "automatically loaded up by MK842 programming software in the future."};

}  // namespace mk843nb
