#include "editor/field_assignment.h"

#include "editor/editor_messages.h"
#include "editor/field_help.h"

namespace mk843nb {
namespace {

std::vector<Message> Refusal(std::string text) {
    return {{MessageKind::Exclamation, std::move(text)}};
}

std::vector<Message> TypeInto(FormDriver& user, const ListedField& field, std::string_view value) {
    const ControlId control = field.id;
    // Enter or Backspace inside a value would commit or edit half of it.
    for (char key : value)
        if (static_cast<unsigned char>(key) < ' ')
            return Refusal("takes printable characters only");
    std::string converted;
    if (control == ControlId::edtFreq) {
        if (const auto digits = MegahertzAsFreqDigits(value)) {
            if (digits->empty())
                return Refusal(messages::Concat(
                    {"'", value, "' is not a frequency it takes: ", FieldTakes(field)}));
            converted = *digits;
            value = converted;
        }
    }
    if (user.FocusedId() == control) {
        // Already in the field (a check put the focus back): the user clears it first.
        user.Model().TextEdited(control, "");
    } else {
        user.Focus(control);
        // The field that had the focus refused to let it go.
        if (user.FocusedId() != control) return user.TakeMessages();
    }
    for (char key : value) {
        const bool taken = user.Type(key);
        if (!user.Messages().empty()) return user.TakeMessages();
        if (taken) continue;
        // Which key was dropped says little about a frequency written the wrong way.
        if (control == ControlId::edtFreq)
            return Refusal(messages::Concat(
                {"'", value, "' cannot be typed: the field takes ", FieldTakes(field)}));
        return Refusal(messages::Concat({"'", value, "' cannot be typed: the field does not take '",
                                         std::string_view(&key, 1), "' there"}));
    }
    user.Focus(ControlId::edtNull);
    return user.TakeMessages();
}

std::vector<Message> PickItem(FormDriver& user, const ListedField& field, std::string_view value) {
    const ControlState& state = user.Model().State(field.id);
    // The item written exactly wins over one that only reads the same.
    int found = -1;
    for (std::size_t i = 0; i < state.items.size(); ++i) {
        if (state.items[i] == value) {
            found = static_cast<int>(i);
            break;
        }
        if (found < 0 && SameListItem(value, state.items[i])) found = static_cast<int>(i);
    }
    if (found >= 0) {
        user.Select(field.id, found);
        return user.TakeMessages();
    }
    std::string items;
    for (const std::string& item : state.items)
        items += messages::Concat({items.empty() ? "\"" : ", \"", item, "\""});
    return Refusal(messages::Concat({"'", value, "' is not an item; the items are ", items}));
}

}  // namespace

std::string ShownValue(const FormModel& model, const ListedField& field) {
    const ControlState& state = model.State(field.id);
    switch (state.kind) {
        case ControlKind::Combo:
            return state.itemIndex >= 0 && state.itemIndex < static_cast<int>(state.items.size())
                       ? state.items[static_cast<std::size_t>(state.itemIndex)]
                       : std::string();
        case ControlKind::Check:
            return state.checked ? "1" : "0";
        default:
            return state.text;
    }
}

std::vector<Message> AssignField(FormDriver& user, std::string_view name, std::string_view value) {
    const ListedField* field = FindListedField(name);
    if (field == nullptr) return Refusal(messages::Concat({"Unknown field '", name, "'"}));
    FormModel& model = user.Model();
    const ControlId control = field->id;
    const ControlState& state = model.State(control);
    if (state.kind == ControlKind::Label || control == ControlId::edtVersion)
        return Refusal("shown only and cannot be set");
    if (field->page == Page::Advance && !model.State(ControlId::TabSheet4).visible)
        return Refusal(
            "on the Advance Setting page, which is hidden until the access code is given");
    if (!state.visible) return Refusal("hidden and cannot be set");
    if (!state.enabled) return Refusal("disabled and cannot be set");

    user.TakeMessages();
    switch (state.kind) {
        case ControlKind::Edit:
            return TypeInto(user, *field, value);
        case ControlKind::Combo:
            return PickItem(user, *field, value);
        case ControlKind::Check: {
            if (value != "0" && value != "1") return Refusal("takes 0 or 1");
            if (state.checked != (value == "1")) user.Click(control);
            return user.TakeMessages();
        }
        default:
            return Refusal("cannot be set");
    }
}

std::string RefusalText(std::string_view name, const std::vector<Message>& refusal) {
    std::string text;
    if (const ListedField* field = FindListedField(name)) text = FieldWithCaption(*field) + ": ";
    for (std::size_t i = 0; i < refusal.size(); ++i) text += (i == 0 ? "" : "\n") + refusal[i].text;
    return text;
}

std::string RefusalText(std::string_view name, std::string_view value,
                        const std::vector<Message>& refusal) {
    const std::string quoted = messages::Concat({"'", value, "'"});
    const bool named = refusal.empty() || FindListedField(name) == nullptr ||
                       refusal.front().text.find(quoted) != std::string::npos;
    std::vector<Message> echoed = refusal;
    if (!named)
        echoed.front().text = messages::Concat(
            {value.empty() ? std::string_view(quoted) : value, ": ", echoed.front().text});
    return RefusalText(name, echoed);
}

}  // namespace mk843nb
