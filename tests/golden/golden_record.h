#pragma once

// A golden record: the outputs of mk843nb-cli on a fixed set of images and
// edits, written once as text and compared byte for byte on every run, so that
// a change to the editor or the link that alters any output shows up here.
//
// MK843NB_GOLDEN_RECORD=1 rewrites the stored record from the current build
// instead of comparing; commit the new record only for an intended change.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "cli_process.h"
#include "image/pager_image.h"

namespace mk843nb::test {

// The images the record is built on, each with a name: the fixture tables, the
// default image, variants of it that reach the unusual codes of one field at a
// time, and pseudo-random images (a fixed seed) with and without a model tag.
std::vector<std::pair<std::string, PagerImage>> GoldenImages();
const PagerImage& GoldenImage(const std::string& name);

std::string Hex(std::span<const std::uint8_t> bytes);

// Collects the record's text.
class GoldenRecord {
public:
    void Section(const std::string& title);
    void Line(const std::string& key, const std::string& value);
    // The run's status, stdout and stderr, with the temporary folder and the
    // device path (which change from run to run) replaced by placeholders.
    void Run(const CliRun& run);
    void File(const std::string& key, const std::string& path);

    void Replace(const std::string& text, const std::string& placeholder);
    // Adds what part collected (each part cleans its own text).
    void Append(const GoldenRecord& part) { text_ += part.text_; }

    // Compares with tests/golden/<name> (or rewrites it when recording); an
    // empty string when they agree, else where they first differ.
    std::string Check(const std::string& name) const;

private:
    std::string Clean(std::string text) const;

    std::string text_;
    std::vector<std::pair<std::string, std::string>> replacements_;
};

// Builds the record of each of count cases (each in a temporary folder of its
// own, shown as "<dir>") a few at a time, and joins them in case order: the
// cases wait on processes and terminals far more than they compute.
GoldenRecord RecordInParallel(
    std::size_t count,
    const std::function<void(std::size_t, GoldenRecord&, const std::string& dir)>& recordCase);

}  // namespace mk843nb::test
