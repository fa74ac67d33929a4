#include "fleet/kept_values.h"

#include "editor/field_assignment.h"
#include "editor/form_driver.h"
#include "editor/form_model.h"
#include "image/fields.h"

namespace mk843nb::fleet {

std::vector<KeptValue> KeepOwnValues(const PagerImage& held, PagerImage& image,
                                     const std::vector<std::string>& fields, bool userMode) {
    std::vector<KeptValue> kept;
    for (const std::string& name : fields) {
        const Field* field = FindField(name);
        if (field == nullptr) continue;
        KeptValue value{name, FieldText(image, *field), false, FieldText(held, *field), ""};
        // A fresh window per field, opened on the table as it stands, so a
        // refusal leaves nothing half-typed behind for the next field.
        FormModel model;
        FormDriver user(model);
        if (userMode) user.Click("radUser");
        user.ReplaceImage(image);
        user.TakeMessages();
        const PagerImage opened = model.Image();
        const std::vector<Message> refused = AssignField(user, name, value.pagerValue);
        if (!refused.empty()) {
            for (const Message& message : refused)
                value.refusal += (value.refusal.empty() ? "" : " ") + message.text;
            kept.push_back(std::move(value));
            continue;
        }
        // Only what the entry changed: opening may tidy bytes the plan did not.
        const PagerImage& entered = model.Image();
        for (std::size_t i = 0; i < image.size(); ++i)
            if (entered[i] != opened[i]) image[i] = entered[i];
        // A level is typed with two decimals, which enter as a code that may be
        // one below the pager's own (0.82 of code 70 enters as 69): once the
        // rules have taken the value, the pager's own code is what stays.
        if (field->codec == Codec::Voltage) SetFieldCode(image, *field, GetFieldCode(held, *field));
        value.value = FieldText(image, *field);
        value.kept = true;
        kept.push_back(std::move(value));
    }
    return kept;
}

std::string KeptValuesText(const std::vector<KeptValue>& kept) {
    std::string text;
    for (const KeptValue& value : kept) {
        if (!text.empty()) text += ' ';
        text += value.field + "=" + value.value;
        if (!value.kept) text += " (the pager's " + value.pagerValue + " refused)";
    }
    return text;
}

}  // namespace mk843nb::fleet
