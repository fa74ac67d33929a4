// Any file may be opened as a table: Open and the default-table load must
// take exactly the bytes the rules say, and every field of the result must
// decode without fault.

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/table_file.h"
#include "image/fields.h"
#include "image/frequency.h"

namespace {

namespace fs = std::filesystem;

class AnsweringUi : public mk843nb::TableFileUi {
public:
    explicit AnsweringUi(std::string file) : file_(std::move(file)) {}
    std::optional<std::string> ChooseOpenFile(const mk843nb::FileDialogRequest&) override {
        return file_;
    }
    std::optional<std::string> ChooseSaveFile(const mk843nb::FileDialogRequest&) override {
        return file_;
    }
    bool AskYesNo(const mk843nb::Message&) override { return false; }
    void Show(const mk843nb::Message& message) override { shown = message.text; }
    std::string shown;

private:
    std::string file_;
};

// Made once and never destroyed, so the clean-up at exit can still use it.
const fs::path& Folder() {
    static const fs::path* folder = [] {
        std::string pattern = (fs::temp_directory_path() / "fuzz_table_fileXXXXXX").string();
        if (!::mkdtemp(pattern.data())) std::abort();
        return new fs::path(pattern);
    }();
    static const bool cleanUpRegistered = [] {
        std::atexit([] {
            std::error_code ignored;
            fs::remove_all(*folder, ignored);
        });
        return true;
    }();
    (void)cleanUpRegistered;
    return *folder;
}

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace mk843nb;
    const fs::path file = Folder() / kDefaultTableName;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const std::size_t held = size < kImageSize ? size : kImageSize;

    AnsweringUi ui(file.string());
    TableFile tables(ui, Folder());
    PagerImage image = DefaultImage();
    Check(tables.OpenTable(image).imageReplaced);
    for (std::size_t i = 0; i < kImageSize; ++i)
        Check(image[i] == (i < held ? data[i] : DefaultImage()[i]));

    PagerImage loaded = DefaultImage();
    const bool isMk842 =
        held >= 245 && std::string(reinterpret_cast<const char*>(data) + 240, 5) == "MK842";
    Check(tables.LoadDefaultTable(loaded).imageReplaced == isMk842);
    Check(ui.shown == (isMk842 ? "" : "This default table is not MK842."));

    std::size_t total = 0;
    for (const Field& field : FieldTable()) total += FieldText(image, field).size();
    const Band band = BandOfImage(image);
    if (const auto words = ComputeSynthesizer(FrequencyOfImage(image), 2500, Mutl(band)))
        total += words->pllr & 1;
    return total == 0 ? -1 : 0;
}
