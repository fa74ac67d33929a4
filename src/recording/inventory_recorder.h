#pragma once

// The Pager commands' records stored in the inventory. Each record goes to the
// pager it is of: the pager the command was asked to program (a fleet row's
// tags), else the one pager the inventory recognises in the image read, else
// none (a pager never seen, or several alike). A Write goes to the pager its
// pre-write read found.
//
//   InventoryRecorder recorder(inventory, LocalOrigin(operatorName));
//   PagerCommands commands(link, keep, recorder.Hook());

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "commands/image_recording.h"
#include "inventory/inventory.h"

namespace mk843nb::recording {

inventory::ImageKind InventoryKind(RecordedKind kind);

class InventoryRecorder {
public:
    // The inventory outlives the recorder; origin's port is each record's own.
    InventoryRecorder(inventory::Inventory& inventory, inventory::Origin origin);

    // The hook for PagerCommands; valid while the recorder lives.
    ImageRecorder Hook();

    // Stores one record; "" when stored, else why not.
    std::string Record(const RecordedImage& recorded);

    // Who the last image read was, as the inventory knew it before that image
    // was recorded; none before any image, or when it could not be asked.
    std::optional<inventory::Identity> LastIdentity() const;

private:
    // The pager a record is of (0: none known), or why it cannot be told.
    inventory::Result<std::int64_t> PagerOf(const RecordedImage& recorded);

    inventory::Inventory& inventory_;
    const inventory::Origin origin_;
    mutable std::mutex mutex_;
    std::optional<inventory::Identity> identity_;
    std::int64_t commandPager_ = 0;  // the pager the last read found, for the Write after it
};

}  // namespace mk843nb::recording
