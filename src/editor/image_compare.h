#pragma once

// Field by field, what differs between two pager images, told with the
// window's own texts: the page and caption of the control and what it shows
// for each image. The command-line `diff`, `verify` and the window's compare
// and verify details all read it.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "image/pager_image.h"

namespace mk843nb {

struct FieldDifference {
    std::string field;     // the name `show --json` uses ("T11", "Freq"), or the image field's
    std::string page;      // "CALL", "Setting", ...; "" for bytes no control shows
    std::string caption;   // the caption beside the control, or the field name
    std::string a;         // what the window shows for the first image
    std::string b;         // ... and for the second
    bool derived = false;  // computed from other fields (PLLR, PLLN, MUTL, decoder words, checksum)
    // Kept by Write itself (the write mark, the version bytes, the checksum...):
    // a pager restored from a file differs from it in nothing else.
    bool bookkeeping = false;
};

// Both images as the window shows each right after a fresh start and loading
// it (Read, Open): first every shown field that differs, page by page in the
// window's order; then, as stored codes, the image fields no control shows
// (decoder words, the model text, the checksum, the slots the window does not
// edit) and shown fields stored differently behind the same text; then any
// other byte that differs, by its offset. Empty exactly when the images'
// compared bytes are equal. Only the first comparedBytes bytes are compared
// (a verify that stopped after its first block); a field reaching beyond them is left out.
std::vector<FieldDifference> CompareImages(const PagerImage& a, const PagerImage& b,
                                           std::size_t comparedBytes = kImageSize);

// One line for a person: "CALL  CALL #1 TONE1: 669.9 | 700.0" (+ "  (derived)").
std::string DifferenceLine(const FieldDifference& difference);

// What the two value columns of the difference lines hold ("This window", "Pager").
struct DifferenceHeads {
    std::string a;
    std::string b;
};

// The line that names the columns above the difference lines:
// "Page  Field: This window | Pager".
std::string DifferenceHeadLine(const DifferenceHeads& heads);

// What a verify found: one DifferenceLine per difference between the image and
// the first comparedBytes bytes read back, then, when the pager's bytes were not
// all read, a line saying which ones; with heads, their DifferenceHeadLine first.
// "" when those bytes do not differ (the verify failed on the line, not on a difference).
std::string VerifyDifferencesText(const PagerImage& image, const PagerImage& readBack,
                                  std::size_t comparedBytes,
                                  const std::optional<DifferenceHeads>& heads = std::nullopt);

}  // namespace mk843nb
