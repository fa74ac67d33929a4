#include "recording/inventory_recorder.h"

namespace mk843nb::recording {

using inventory::ImageKind;

ImageKind InventoryKind(RecordedKind kind) {
    switch (kind) {
        case RecordedKind::Read:
            return ImageKind::Read;
        case RecordedKind::PreWrite:
            return ImageKind::PreWrite;
        case RecordedKind::Write:
            return ImageKind::Write;
        case RecordedKind::Damaged:
            return ImageKind::Damaged;
        case RecordedKind::Attempt:
            return ImageKind::Attempt;
    }
    return ImageKind::Attempt;
}

InventoryRecorder::InventoryRecorder(inventory::Inventory& inventory, inventory::Origin origin)
    : inventory_(inventory), origin_(std::move(origin)) {}

ImageRecorder InventoryRecorder::Hook() {
    return [this](const RecordedImage& recorded) { return Record(recorded); };
}

std::optional<inventory::Identity> InventoryRecorder::LastIdentity() const {
    std::lock_guard lock(mutex_);
    return identity_;
}

inventory::Result<std::int64_t> InventoryRecorder::PagerOf(const RecordedImage& recorded) {
    if (!recorded.tags.label.empty() || !recorded.tags.asset.empty()) {
        const auto pager = inventory_.EnsurePager({.id = 0,
                                                   .asset = recorded.tags.asset,
                                                   .label = recorded.tags.label,
                                                   .plan = origin_.plan,
                                                   .note = recorded.tags.note});
        if (!pager.ok()) return {std::nullopt, pager.error};
        commandPager_ = pager.value->id;
        return {commandPager_, ""};
    }
    const bool read = recorded.kind == RecordedKind::Read ||
                      recorded.kind == RecordedKind::PreWrite ||
                      recorded.kind == RecordedKind::Damaged;
    if (!read || !recorded.image) return {commandPager_, ""};
    // Asked before the image is recorded, so a read is not matched with itself.
    const auto identity = inventory_.Identify(*recorded.image);
    if (!identity.ok()) return {std::nullopt, identity.error};
    identity_ = identity.value;
    commandPager_ = identity_->pagers.size() == 1 ? identity_->pagers.front().id : 0;
    return {commandPager_, ""};
}

std::string InventoryRecorder::Record(const RecordedImage& recorded) {
    std::lock_guard lock(mutex_);
    const auto pager = PagerOf(recorded);
    if (!pager.ok()) return pager.error;
    inventory::ImageRecord record;
    record.pagerId = *pager.value;
    record.kind = InventoryKind(recorded.kind);
    record.image = recorded.image;
    record.result = recorded.result;
    record.message = recorded.message;
    record.origin = origin_;
    if (!recorded.port.empty()) record.origin.port = recorded.port;
    const auto stored = inventory_.Record(record);
    return stored.ok() ? std::string() : stored.error;
}

}  // namespace mk843nb::recording
