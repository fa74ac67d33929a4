#include "cli/cli_inventory.h"

#include <iostream>

#include "cli/cli_application.h"
#include "cli/global_options.h"
#include "cli/subcommands.h"
#include "recording/local_origin.h"
#include "recording/writable_inventory.h"

namespace mk843nb::cli {

std::string InventoryLocation() {
    const std::string& given = Global().inventory;
    return given.empty() ? inventory::Inventory::DefaultLocation() : given;
}

inventory::Result<std::unique_ptr<inventory::Inventory>> OpenInventory() {
    // Qt SQL finds its driver through the application object.
    EnsureApplication();
    return inventory::Inventory::Open(InventoryLocation());
}

std::unique_ptr<inventory::Inventory> OpenInventoryOrFail() {
    auto open = OpenInventory();
    if (!open.ok()) throw CommandFailure(open.error, ExitCode::Refused);
    return std::move(*open.value);
}

CommandRecording::CommandRecording(Need need) {
    const std::string location = InventoryLocation();
    auto open = OpenInventory();
    if (!open.ok()) {
        if (need == Need::Writable)
            throw CommandFailure(open.error + "\n" + kNothingWrittenNote, ExitCode::Refused);
        if (need == Need::Open) throw CommandFailure(open.error, ExitCode::Refused);
        std::cerr << open.error << '\n' << kUnrecordedNote << '\n';
        return;
    }
    if (need == Need::Writable)
        if (const std::string problem = recording::ReadOnlyInventoryProblem(location);
            !problem.empty())
            throw CommandFailure(
                std::string(kInventoryNotWritable) + problem + "\n" + kNothingWrittenNote,
                ExitCode::Refused);
    inventory_ = std::move(*open.value);
    recorder_ = std::make_unique<recording::InventoryRecorder>(
        *inventory_, recording::LocalOrigin(Global().operatorName));
}

ImageRecorder CommandRecording::Hook() { return recorder_ ? recorder_->Hook() : ImageRecorder{}; }

}  // namespace mk843nb::cli
