#include "cli/fresh_start.h"

#include "editor/form_model.h"

namespace mk843nb::cli {

PagerImage FreshStartImage() { return FormModel().Image(); }

}  // namespace mk843nb::cli
