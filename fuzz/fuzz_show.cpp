// The path of `mk843nb-cli show`: a fresh start, any bytes opened as a table
// file (up to 256 replace the image's first bytes), the refresh, and every
// value as the window shows it. Nothing may crash, and every list's selection
// must be one of its items or none.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "editor/field_assignment.h"

using namespace mk843nb;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FormModel model;
    FormDriver user(model);
    // One byte past the image picks the system mode, as --user-mode would.
    if (size > kImageSize && (data[kImageSize] & 1) != 0) user.Click("radUser");
    PagerImage image = model.Image();
    for (std::size_t i = 0; i < size && i < kImageSize; ++i) image[i] = data[i];
    user.ReplaceImage(image);
    std::size_t shown = 0;
    for (const ListedField& field : ListedFields()) shown += ShownValue(model, field).size();
    for (const ControlState& control : model.Controls())
        if (control.itemIndex < -1 || control.itemIndex >= static_cast<int>(control.items.size()) ||
            (control.itemIndex >= 0 && control.kind != ControlKind::Combo))
            std::abort();
    if (shown == 0) std::abort();  // the listing always shows something (the frequency at least)
    return 0;
}
