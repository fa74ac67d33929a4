#pragma once

// What every front end says when the inventory cannot record a pager command.

namespace mk843nb::recording {

// Put before the reason a read-only inventory gives.
inline constexpr const char* kInventoryNotWritable = "The inventory cannot record: ";
// After it, for a Write that did not start.
inline constexpr const char* kNothingWrittenNote =
    "Nothing was written: a pager is programmed only when the inventory can record it.";
// After it, for a command that went on without the inventory.
inline constexpr const char* kUnrecordedNote = "This is not recorded in the inventory.";

}  // namespace mk843nb::recording
