#pragma once

// The compile-time catalogue of the main window's controls: for each id its
// name (the widget's object name), kind, page, design state, and for a control
// that shows an image field the field's name with the caption and unit beside
// it. Names are looked up only at the edges: the window's widgets, the
// command-line tool's field names, the tests.

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "editor/control_id.h"
#include "editor/form_types.h"

namespace mk843nb {

struct Field;

// Where a control sits.
enum class Page { Main, Frequency, Call, Setting, Config, Advance };
std::string_view PageCaption(Page page);

// The state a control has before the first refresh.
struct ControlDesign {
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    int itemIndex = -1;
    int maxLength = 0;
};

// A control that shows an image field: the field's name (also the name
// `show --json` and `set` use), the caption and unit a listing puts beside it.
struct FieldListing {
    std::string_view field;
    std::string_view caption;
    std::string_view unit;
};

struct ControlInfo {
    ControlId id;
    std::string_view name;
    ControlKind kind;
    Page page;
    std::string_view text;  // edit text, label or check-box caption, panel text at design time
    std::span<const std::string_view> items;  // list items at design time
    ControlDesign design;
    FieldListing listing = {};  // field "" for a control that shows none
};

std::span<const ControlInfo> ControlCatalog();
const ControlInfo& Control(ControlId id);
inline std::string_view ControlName(ControlId id) { return Control(id).name; }
// The id of a control name; nothing for a name that is no control of the model.
std::optional<ControlId> FindControl(std::string_view name);
// The image field a control shows or edits; nullptr for none.
const Field* ImageFieldOf(ControlId id);

// Every control's state before the first refresh, indexed by id.
std::vector<ControlState> DesignStates();

// A control that shows a field, as `show` lists it.
struct ListedField {
    std::string_view field;
    std::string_view control;
    Page page;
    std::string_view label;
    std::string_view unit;
    ControlId id;
};

// In the order of the JSON listing.
const std::vector<ListedField>& ListedFields();
const ListedField* FindListedField(std::string_view field);

}  // namespace mk843nb
