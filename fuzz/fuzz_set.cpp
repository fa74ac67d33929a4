// The path of `mk843nb-cli set`: a fresh start, an image (the first 256 bytes
// when the input is that long), then NAME=VALUE lines made as a user would
// until the first refusal. A refused edit-field value must leave the image
// unchanged, and nothing may crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/field_assignment.h"

using namespace mk843nb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FormModel model;
    FormDriver user(model);
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (size >= kImageSize) {
        PagerImage image;
        for (std::size_t i = 0; i < kImageSize; ++i) image[i] = data[i];
        user.ReplaceImage(image);
        text.remove_prefix(kImageSize);
    }
    // Options as the command line gives them: "u" for User Mode, "a" for the access code.
    if (text.starts_with("u\n") || text.starts_with("au\n")) user.Click("radUser");
    if (text.starts_with("a")) user.Apply(model.SubmitAccessCode("HW527"), false);
    user.TakeMessages();
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        const std::string_view name = line.substr(0, equals);
        const ListedField* field = FindListedField(name);
        const bool edit = field != nullptr && model.Find(field->control)->kind == ControlKind::Edit;
        const PagerImage before = model.Image();
        if (!AssignField(user, name, line.substr(equals + 1)).empty()) {
            if (edit && model.Image() != before) std::abort();
            break;
        }
    }
    return 0;
}
