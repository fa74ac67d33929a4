#include "editor/image_compare.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <utility>

#include "editor/control_catalog.h"
#include "editor/field_assignment.h"
#include "editor/form_model.h"
#include "image/fields.h"
#include "image/write_preparation.h"

namespace mk843nb {
namespace {

constexpr std::array kPageOrder = {Page::Main,    Page::Frequency, Page::Call,
                                   Page::Setting, Page::Config,    Page::Advance};

bool IsDerived(const Field& field) {
    return field.codec == Codec::DecoderWord || field.codec == Codec::Checksum ||
           field.codec == Codec::Mutl || field.name == "PLLR" || field.name == "PLLN";
}

class Coverage {
public:
    explicit Coverage(std::size_t comparedBytes) : compared_(comparedBytes) {}
    bool Compared(const Field& field) const { return field.offset + field.size <= compared_; }
    void Mark(const Field& field) {
        for (std::size_t i = field.offset; i < field.offset + field.size && i < kImageSize; ++i)
            covered_[i] = true;
    }
    bool AllMarked(const Field& field) const {
        for (std::size_t i = field.offset; i < field.offset + field.size && i < kImageSize; ++i)
            if (!covered_[i]) return false;
        return true;
    }
    bool Marked(std::size_t offset) const { return covered_[offset]; }

private:
    std::size_t compared_;
    std::array<bool, kImageSize> covered_{};
};

// A decoder word means nothing to a user; the tone it is computed from does:
// W11 holds the word of T11 ("CALL #1 TONE1"), W31 that of group tone T31.
// The page and caption of that tone, or of the field itself for any other.
std::pair<std::string, std::string> PlaceOf(const Field& field) {
    if (field.codec == Codec::DecoderWord && field.name.size() > 1) {
        const std::string tone = "T" + std::string(field.name.substr(1));
        if (FindField(tone) != nullptr) {
            const ListedField* listed = FindListedField(tone);
            return {listed ? std::string(PageCaption(listed->page)) : "",
                    (listed ? std::string(listed->label) : tone) + " decoder word (" +
                        std::string(field.name) + ")"};
        }
    }
    const ListedField* listed = FindListedField(field.name);
    return {listed ? std::string(PageCaption(listed->page)) : "",
            listed ? std::string(listed->label) : std::string(field.name)};
}

std::string HexByte(std::uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

}  // namespace

std::vector<FieldDifference> CompareImages(const PagerImage& a, const PagerImage& b,
                                           std::size_t comparedBytes) {
    comparedBytes = std::min(comparedBytes, kImageSize);
    std::vector<FieldDifference> differences;
    Coverage coverage(comparedBytes);

    FormModel shownA;
    FormModel shownB;
    shownA.ReplaceImage(a);
    shownB.ReplaceImage(b);
    for (const Page page : kPageOrder) {
        for (const ListedField& listed : ListedFields()) {
            if (listed.page != page) continue;
            const Field& field = FieldNamed(listed.field);
            if (!coverage.Compared(field)) continue;
            std::string textA = ShownValue(shownA, listed);
            std::string textB = ShownValue(shownB, listed);
            if (textA == textB) continue;
            differences.push_back({std::string(listed.field), std::string(PageCaption(page)),
                                   std::string(listed.label), std::move(textA), std::move(textB),
                                   IsDerived(field), IsWriteBookkeeping(field)});
            coverage.Mark(field);
        }
    }

    // Then what the controls do not tell: fields no control shows, and shown
    // fields whose stored code differs while the window shows the same (the
    // refresh recomputes PLLR and PLLN from the frequency, for one). Their
    // texts are the stored codes.
    for (const Field& field : FieldTable()) {
        if (!coverage.Compared(field)) continue;
        // A whole byte whose bits are already listed adds nothing.
        if (coverage.AllMarked(field)) continue;
        if (GetFieldCode(a, field) == GetFieldCode(b, field) &&
            (field.codec != Codec::Text || FieldText(a, field) == FieldText(b, field)))
            continue;
        std::string textA = FieldText(a, field);
        std::string textB = FieldText(b, field);
        if (textA == textB) continue;
        auto [page, caption] = PlaceOf(field);
        differences.push_back({std::string(field.name), std::move(page), std::move(caption),
                               std::move(textA), std::move(textB), IsDerived(field),
                               IsWriteBookkeeping(field)});
        coverage.Mark(field);
    }

    for (std::size_t offset = 0; offset < comparedBytes; ++offset) {
        if (a[offset] == b[offset] || coverage.Marked(offset)) continue;
        const std::string name = "Byte" + std::to_string(offset);
        differences.push_back({name, "", "Byte " + std::to_string(offset), HexByte(a[offset]),
                               HexByte(b[offset]), false, false});
    }
    return differences;
}

std::string DifferenceLine(const FieldDifference& difference) {
    std::string line = (difference.page.empty() ? std::string("(not shown)") : difference.page) +
                       "  " + difference.caption + ": " + difference.a + " | " + difference.b;
    if (difference.derived) line += "  (derived)";
    return line;
}

std::string DifferenceHeadLine(const DifferenceHeads& heads) {
    return "Page  Field: " + heads.a + " | " + heads.b;
}

std::string VerifyDifferencesText(const PagerImage& image, const PagerImage& readBack,
                                  std::size_t comparedBytes,
                                  const std::optional<DifferenceHeads>& heads) {
    if (comparedBytes == 0) return {};
    const auto differences = CompareImages(image, readBack, comparedBytes);
    if (differences.empty()) return {};
    std::string text = heads ? DifferenceHeadLine(*heads) : std::string();
    for (const FieldDifference& difference : differences) {
        if (!text.empty()) text += '\n';
        text += DifferenceLine(difference);
    }
    if (comparedBytes < kImageSize)
        text += "\n(bytes " + std::to_string(comparedBytes) + " to 255 were not read back)";
    return text;
}

}  // namespace mk843nb
