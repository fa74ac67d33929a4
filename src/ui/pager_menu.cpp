#include "ui/pager_menu.h"

#include <QString>

#include "commands/command_messages.h"
#include "editor/control_catalog.h"
#include "editor/form_model.h"
#include "editor/image_compare.h"
#include "inventory/inventory.h"
#include "recording/inventory_recorder.h"
#include "recording/local_origin.h"
#include "recording/recording_messages.h"
#include "recording/writable_inventory.h"
#include "ui/dialog_service.h"
#include "ui/form_binding.h"
#include "ui/log_window.h"
#include "ui/window_link_events.h"

namespace mk843nb {
namespace {

// The store is looked up at each backup, so its folder follows the environment.
BackupResult KeepInDefaultStore(const PagerImage& image, const BackupInfo& info) {
    return BackupStore(BackupStore::DefaultFolder(), BackupStore::DefaultKeep()).Store(image, info);
}

}  // namespace

PagerMenu::PagerMenu(LinkSession& link, WindowLinkEvents& hooks, FormModel& model,
                     FormBinding& binding, DialogService& dialogs)
    : commands_(link, &KeepInDefaultStore,
                [this](const RecordedImage& recorded) { return Record(recorded); }),
      hooks_(hooks),
      model_(model),
      binding_(binding),
      dialogs_(dialogs) {
    hooks_.showOutcome = [this](const LinkOutcome& outcome) { ShowOutcome(outcome); };
}

PagerMenu::~PagerMenu() = default;

recording::InventoryRecorder* PagerMenu::Recorder(std::string& why) {
    const std::string who = operatorName ? operatorName() : std::string();
    if (recorder_ && who == recorderOperator_) return recorder_.get();
    if (!inventory_) {
        auto open = inventory::Inventory::Open(inventory::Inventory::DefaultLocation());
        if (!open.ok()) {
            why = open.error;
            return nullptr;
        }
        inventory_ = std::move(*open.value);
    }
    recorder_ =
        std::make_unique<recording::InventoryRecorder>(*inventory_, recording::LocalOrigin(who));
    recorderOperator_ = who;
    return recorder_.get();
}

std::string PagerMenu::Record(const RecordedImage& recorded) {
    std::string why;
    recording::InventoryRecorder* recorder = Recorder(why);
    return recorder == nullptr ? why : recorder->Record(recorded);
}

void PagerMenu::TellUnrecorded(const CommandOutcome& outcome) {
    if (outcome.recordError.empty()) return;
    dialogs_.Show(
        {MessageKind::Exclamation, outcome.recordError + "\n" + recording::kUnrecordedNote});
}

void PagerMenu::SelectPort() {
    commands_.Link().SelectPort(model_.State(ControlId::cboPort).itemIndex);
}

void PagerMenu::ShowOutcome(const LinkOutcome& outcome) {
    if (readInto_ != nullptr) {
        binding_.Show(model_.ApplyReadImage(*readInto_, outcome.imageReplaced));
        readInto_ = nullptr;
    }
    binding_.ApplyStates();
    if (!outcome.message) return;
    if (log != nullptr) log->AddMessage(QString::fromStdString(outcome.message->text));
    // The differing fields under the names of their columns.
    dialogs_.ShowWithDetails(*outcome.message, outcome.details.empty()
                                                   ? std::string()
                                                   : DifferenceHeadLine({"This window", "Pager"}) +
                                                         "\n" + outcome.details);
}

void PagerMenu::Finish(const CommandOutcome& outcome) {
    if (!outcome.link.messageShown) ShowOutcome(outcome.link);
    binding_.ApplyStates();
    if (!outcome.backupError.empty())
        dialogs_.Show({MessageKind::Exclamation, outcome.backupError});
    TellUnrecorded(outcome);
    if (finished) finished(outcome.link);
}

void PagerMenu::Read1Click() {
    SelectPort();
    PagerImage image = model_.Image();
    readInto_ = &image;  // the outcome, shown before the closing, refreshes from it
    const CommandOutcome outcome = commands_.Read(image);
    readInto_ = nullptr;
    Finish(outcome);
}

void PagerMenu::Write1Click(bool backupFirst) {
    // Nothing is programmed that the inventory cannot record.
    std::string why;
    if (Recorder(why) != nullptr) {
        const std::string problem =
            recording::ReadOnlyInventoryProblem(inventory::Inventory::DefaultLocation());
        if (!problem.empty()) why = recording::kInventoryNotWritable + problem;
    }
    if (!why.empty()) {
        dialogs_.Show({MessageKind::Stop, why + "\n" + recording::kNothingWrittenNote});
        return;
    }
    SelectPort();
    PagerImage image = model_.Image();
    WriteRequest request;
    request.backupFirst = backupFirst;
    request.confirmOverDamaged = [this](const StoredBackup& kept) {
        binding_.ApplyStates();  // the pre-write read has closed: the window is usable again
        return dialogs_.AskYesNo(DamagedMemoryQuestion(kept));
    };
    const CommandOutcome outcome = commands_.Write(image, request);
    // Whatever happened after the pre-write read, the image went through the
    // Write's preparation (or was refused before it, unchanged).
    if (outcome.command == LinkCommand::Write) model_.ApplyPreparedImage(image);
    Finish(outcome);
}

void PagerMenu::Verify1Click() {
    SelectPort();
    Finish(commands_.Verify(model_.Image()));
}

std::optional<PagerImage> PagerMenu::ReadForComparison() {
    SelectPort();
    PagerImage pager = model_.Image();
    CommandOutcome outcome = commands_.ReadForComparison(pager);
    if (!outcome.success()) {
        outcome.link.imageReplaced = false;
        Finish(outcome);
        return std::nullopt;
    }
    binding_.ApplyStates();
    if (!outcome.backupError.empty())
        dialogs_.Show({MessageKind::Exclamation, outcome.backupError});
    TellUnrecorded(outcome);
    if (finished) finished(outcome.link);
    return pager;
}

}  // namespace mk843nb
