#pragma once

// Values by field name, as the window shows them and as a user would set them:
// the shared core of `mk843nb-cli show` and `set`.

#include <string>
#include <string_view>
#include <vector>

#include "editor/control_catalog.h"
#include "editor/form_driver.h"
#include "image/message.h"

namespace mk843nb {

// What the field's control shows: the text of an edit field or label, the
// selected item's text of a list ("" with no selection), "0" or "1" for a check box.
std::string ShownValue(const FormModel& model, const ListedField& field);

// Sets one field as a user would: an edit field is entered, VALUE typed through
// its key filter and left to edtNull; a list gets the item whose text is VALUE
// picked (case and runs of blanks aside); a check box is ticked for "1" and
// cleared for "0". Freq also takes megahertz ("154.43MHz"), typed as the hundreds
// of hertz they are. The messages of a refusal: the system's own, or one of
// this function's when the field cannot be set now (unknown, shown only,
// hidden, disabled, a value its filter drops), which leave the field's name to
// the caller; empty when the value was taken.
std::vector<Message> AssignField(FormDriver& user, std::string_view field, std::string_view value);

// A refusal of AssignField as one text naming what it refused:
// "BS_Period (Battery Save): Please insert a number between 0 to 255".
std::string RefusalText(std::string_view field, const std::vector<Message>& refusal);

// The same, naming the value refused after the field, so a user sees which of
// several assignments was turned away and what was typed:
// "T11 (CALL#1 TONE1): 7073: Please insert a number between 288.5 to 2468.2".
// A refusal that already quotes the value ('15x' is not ...) is not told it twice.
std::string RefusalText(std::string_view field, std::string_view value,
                        const std::vector<Message>& refusal);

}  // namespace mk843nb
