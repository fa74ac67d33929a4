#include "cli/cli_inventory.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "cli/commands.h"
#include "cli/global_options.h"
#include "recording/local_origin.h"

namespace mk843nb::cli {

std::string InventoryLocation() {
    const std::string& given = Global().inventory;
    return given.empty() ? inventory::Inventory::DefaultLocation() : given;
}

std::unique_ptr<inventory::Inventory> OpenInventoryOrFail() {
    const std::string location = InventoryLocation();
    auto open = inventory::Inventory::Open(location);
    if (!open.ok()) throw CommandFailure(kInventoryNotOpened + open.error, ExitCode::Refused);
    return std::move(*open.value);
}

std::string ReadOnlyInventoryProblem(const std::string& location) {
    if (location.find("://") != std::string::npos) return {};
    std::error_code error;
    if (!std::filesystem::exists(location, error)) return {};
    // A read-only file opens and answers; only the first record would fail,
    // after a Write without a pre-write read had programmed the pager.
    if (::access(location.c_str(), W_OK) == 0) return {};
    return location + ": " + std::strerror(errno);
}

CommandRecording::CommandRecording(Need need) {
    const std::string location = InventoryLocation();
    auto open = inventory::Inventory::Open(location);
    if (!open.ok()) {
        if (need == Need::Writable)
            throw CommandFailure(
                std::string(kInventoryNotOpened) + open.error + "\n" + kNothingWrittenNote,
                ExitCode::Refused);
        if (need == Need::Open)
            throw CommandFailure(kInventoryNotOpened + open.error, ExitCode::Refused);
        std::cerr << kInventoryNotOpened << open.error << '\n' << kUnrecordedNote << '\n';
        return;
    }
    if (need == Need::Writable)
        if (const std::string problem = ReadOnlyInventoryProblem(location); !problem.empty())
            throw CommandFailure(
                std::string(kInventoryNotWritable) + problem + "\n" + kNothingWrittenNote,
                ExitCode::Refused);
    inventory_ = std::move(*open.value);
    recorder_ = std::make_unique<recording::InventoryRecorder>(
        *inventory_, recording::LocalOrigin(Global().operatorName));
}

ImageRecorder CommandRecording::Hook() { return recorder_ ? recorder_->Hook() : ImageRecorder{}; }

}  // namespace mk843nb::cli
