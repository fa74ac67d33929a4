#pragma once

// The inventory as the command line uses it: where --inventory (or the
// default) says, its records made by this host and the operator.

#include <memory>
#include <optional>
#include <string>

#include "commands/image_recording.h"
#include "inventory/inventory.h"
#include "recording/inventory_recorder.h"
#include "recording/recording_messages.h"

namespace mk843nb::cli {

// --inventory when given, else Inventory::DefaultLocation().
std::string InventoryLocation();

// Opens the inventory at InventoryLocation(), the application object made first.
inventory::Result<std::unique_ptr<inventory::Inventory>> OpenInventory();
// Opens the inventory; throws CommandFailure (ExitCode::Refused) saying why
// when it cannot be opened.
std::unique_ptr<inventory::Inventory> OpenInventoryOrFail();

// The records of one pager command. An inventory that cannot be opened is
// said on stderr when optional; the command then goes on unrecorded.
class CommandRecording {
public:
    enum class Need {
        Optional,  // a read: said, and the command goes on unrecorded
        Open,      // identify: the command fails when it cannot be opened
        Writable,  // a write: it fails, nothing written, unless it can record
    };
    explicit CommandRecording(Need need);

    // The hook for the Pager commands; empty when there is no inventory.
    ImageRecorder Hook();
    inventory::Inventory* Store() { return inventory_.get(); }
    recording::InventoryRecorder* Recorder() { return recorder_.get(); }

private:
    std::unique_ptr<inventory::Inventory> inventory_;
    std::unique_ptr<recording::InventoryRecorder> recorder_;
};

using recording::kInventoryNotWritable;
using recording::kNothingWrittenNote;
using recording::kUnrecordedNote;

}  // namespace mk843nb::cli
