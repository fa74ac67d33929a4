#include "county_plan.h"

#include <cstdio>
#include <random>
#include <set>

#include "editor/form_model.h"
#include "files/table_io.h"
#include "image/codecs.h"
#include "image/fields.h"
#include "tones/tone_names.h"

namespace mk843nb::bench {
namespace {

void SetTone(PagerImage& image, const std::string& tone, const std::string& word,
             std::uint16_t code) {
    SetFieldCode(image, FieldNamed(tone), code);
    SetFieldCode(image, FieldNamed(word), ToneDecoderWord(code));
}

}  // namespace

std::optional<std::vector<tones::CallPair>> WriteCountyPlan(const std::string& folder) {
    std::mt19937 random(843);
    const std::vector<std::uint16_t>& values = tones::StandardValues();
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    const auto pair = [&] {
        tones::CallPair p{values[pick(random)], values[pick(random)]};
        while (p.tone2 == p.tone1) p.tone2 = values[pick(random)];
        return p;
    };
    std::set<tones::CallPair> used;
    const auto fresh = [&] {
        tones::CallPair p = pair();
        while (!used.insert(p).second) p = pair();
        return p;
    };

    const PagerImage blank = FormModel().Image();
    std::vector<tones::CallPair> stations;
    for (int d = 0; d < kDepartments; ++d) {
        const tones::CallPair station = fresh();
        stations.push_back(station);
        for (int p = 0; p < kPerDepartment; ++p) {
            PagerImage image = blank;
            const tones::CallPair own = fresh();
            SetFieldCode(image, FieldNamed("Duty1"), 1);
            SetTone(image, "T11", "W11", own.tone1);
            SetTone(image, "T21", "W21", own.tone2);
            SetFieldCode(image, FieldNamed("Duty2"), 1);
            SetTone(image, "T12", "W12", station.tone1);
            SetTone(image, "T22", "W22", station.tone2);
            if (p == 0) {
                SetFieldCode(image, FieldNamed("GDuty1"), 1);
                SetTone(image, "T31", "W31", values[pick(random)]);
            }
            SetFieldCode(image, FieldNamed("BandWidth"), p % 3 == 0 ? 10 : 7);
            char name[32];
            std::snprintf(name, sizeof name, "/d%03d-p%02d.tbl", d, p);
            if (!WriteTableFile(folder + name, image)) {
                std::fprintf(stderr, "cannot write %s\n", name);
                return std::nullopt;
            }
        }
    }
    return stations;
}

}  // namespace mk843nb::bench
