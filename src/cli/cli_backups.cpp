#include "cli/cli_backups.h"

#include <iostream>

#include "cli/commands.h"
#include "editor/image_compare.h"

namespace mk843nb::cli {

bool StoreBackup(const PagerImage& image, BackupKind kind, const std::string& port, bool required) {
    BackupStore store(BackupStore::DefaultFolder(), BackupStore::DefaultKeep());
    const BackupResult result = store.Store(image, PagerBackupInfo(kind, image, port));
    if (result.stored) return true;  // `backups` lists it; stdout and stderr stay the command's
    if (required) throw CommandFailure(result.error, ExitCode::Refused);
    std::cerr << result.error << '\n';
    return false;
}

LinkOutcome WithVerifyDetails(LinkOutcome outcome, const PagerImage& compared) {
    if (outcome.success || !outcome.message) return outcome;
    const std::string details =
        VerifyDifferencesText(compared, outcome.readBack.bytes, outcome.readBack.count);
    if (!details.empty()) outcome.message->text += "\n" + details;
    return outcome;
}

}  // namespace mk843nb::cli
