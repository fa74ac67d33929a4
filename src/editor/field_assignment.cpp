#include "editor/field_assignment.h"

#include "editor/editor_messages.h"

namespace mk843nb {
namespace {

std::vector<Message> Refusal(std::string text) {
    return {{MessageKind::Exclamation, std::move(text)}};
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
    const auto cannot = [&](std::string_view why) {
        return Refusal(messages::Concat({name, why}));
    };
    if (state.kind == ControlKind::Label || control == ControlId::edtVersion)
        return cannot(" is shown only and cannot be set");
    if (field->page == Page::Advance && !model.State(ControlId::TabSheet4).visible)
        return cannot(
            " is on the Advance Setting page, which is hidden until the access code is given");
    if (!state.visible) return cannot(" is hidden and cannot be set");
    if (!state.enabled) return cannot(" is disabled and cannot be set");

    user.TakeMessages();
    switch (state.kind) {
        case ControlKind::Edit: {
            // Enter or Backspace inside a value would commit or edit half of it.
            for (char key : value)
                if (static_cast<unsigned char>(key) < ' ')
                    return cannot(" takes printable characters only");
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
                if (!taken)
                    return Refusal(messages::Concat({"'", value, "' cannot be typed into ", name,
                                                     ": the field does not take '",
                                                     std::string_view(&key, 1), "' there"}));
            }
            user.Focus(ControlId::edtNull);
            return user.TakeMessages();
        }
        case ControlKind::Combo: {
            for (std::size_t i = 0; i < state.items.size(); ++i) {
                if (state.items[i] != value) continue;
                user.Select(control, static_cast<int>(i));
                return user.TakeMessages();
            }
            std::string items;
            for (const std::string& item : state.items) {
                items.append(items.empty() ? "\"" : ", \"");
                items.append(item);
                items.append("\"");
            }
            return Refusal(
                messages::Concat({"'", value, "' is not an item of ", name, " (", items, ")"}));
        }
        case ControlKind::Check: {
            if (value != "0" && value != "1") return cannot(" takes 0 or 1");
            if (state.checked != (value == "1")) user.Click(control);
            return user.TakeMessages();
        }
        default:
            return cannot(" cannot be set");
    }
}

}  // namespace mk843nb
