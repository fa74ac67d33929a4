#pragma once

#include <filesystem>
#include <string>

#include "image/pager_image.h"

namespace mk843nb::fleet {

// Where a fleet run keeps what each pager held before it was written.
class PreWriteBackup {
public:
    virtual ~PreWriteBackup() = default;
    // Keeps the image read from the pager labelled label; returns the file it
    // went to. Throws std::runtime_error when it cannot be kept: the pager is
    // then not written.
    virtual std::string Keep(const std::string& label, const PagerImage& image) = 0;
};

// Backups as table files in one folder: "<safe label> <UTC time>.tbl", a
// number added when that name is taken.
class FolderBackup : public PreWriteBackup {
public:
    explicit FolderBackup(std::filesystem::path folder) : folder_(std::move(folder)) {}
    std::string Keep(const std::string& label, const PagerImage& image) override;

private:
    std::filesystem::path folder_;
};

}  // namespace mk843nb::fleet
