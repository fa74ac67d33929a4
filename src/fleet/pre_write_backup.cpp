#include "fleet/pre_write_backup.h"

#include <chrono>
#include <stdexcept>
#include <system_error>

#include "files/table_io.h"
#include "fleet/safe_file_name.h"
#include "fleet/utc_time.h"

namespace mk843nb::fleet {

std::string FolderBackup::Keep(const std::string& label, const PagerImage& image) {
    std::error_code error;
    std::filesystem::create_directories(folder_, error);
    if (error)
        throw std::runtime_error("cannot create " + folder_.string() + ": " + error.message());
    const std::string stem =
        SafeFileBase(label) + " " + UtcTimeText(std::chrono::system_clock::now(), true);
    std::filesystem::path path = folder_ / (stem + ".tbl");
    for (int n = 2; std::filesystem::exists(path); ++n)
        path = folder_ / (stem + "-" + std::to_string(n) + ".tbl");
    if (!WriteTableFile(path, image)) throw std::runtime_error("Save Error! " + path.string());
    return path.string();
}

}  // namespace mk843nb::fleet
