#pragma once

// The controls of the main window as they are at design time, and the value
// controls listed by `show` and set by `set`, with the captions beside them.

#include <string_view>
#include <vector>

#include "editor/form_types.h"

namespace mk843nb {

// Every control the form model keeps, in the window's component order, with its
// design caption, list items, enabled and visible states.
std::vector<ControlState> MainWindowControls();

// Where a value control sits.
enum class Page { Main, Frequency, Call, Setting, Config, Advance };
std::string_view PageCaption(Page page);

// A control that shows a field: its field name (the control's name less its
// three-letter prefix), the caption and unit beside it.
struct ListedField {
    std::string_view field;
    std::string_view control;
    Page page;
    std::string_view label;
    std::string_view unit;
};

// In the order of the JSON listing.
const std::vector<ListedField>& ListedFields();
const ListedField* FindListedField(std::string_view field);

}  // namespace mk843nb
