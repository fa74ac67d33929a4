#include "image/tone_times.h"

#include <algorithm>

#include "image/fields.h"

namespace mk843nb {
namespace {

int Code(const PagerImage& image, const char* field) {
    return static_cast<int>(GetFieldCode(image, FieldNamed(field)));
}

}  // namespace

ToneTimes ToneTimesOf(const PagerImage& image) {
    return {Code(image, "Tone1Len"), Code(image, "Tone1Limit"), Code(image, "Tone2Len"),
            Code(image, "Tone2Limit"), Code(image, "Tone3Len")};
}

int SureMs(const ToneTimes& times, PageTone tone) {
    switch (tone) {
        case PageTone::Tone1:
            return times.tone1Len * 100;
        case PageTone::Tone2:
            return times.tone2Len * 100;
        case PageTone::Group:
            return times.groupLen * 100;
    }
    return 0;
}

int ShortestMs(const ToneTimes& times, PageTone tone) {
    switch (tone) {
        case PageTone::Tone1:
            return std::max(0, times.tone1Len - times.tone1Limit) * 100;
        case PageTone::Tone2:
            return std::max(0, times.tone2Len - times.tone2Limit) * 100;
        case PageTone::Group:
            return times.groupLen * 100;
    }
    return 0;
}

std::string MillisecondsText(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (const int rest = ms % 1000; rest != 0) {
        std::string decimals = std::to_string(1000 + rest).substr(1);
        decimals.erase(decimals.find_last_not_of('0') + 1);
        text += "." + decimals;
    }
    return text + " s";
}

std::string DurationName(PageTone tone) {
    switch (tone) {
        case PageTone::Tone1:
            return "Tone1 duration";
        case PageTone::Tone2:
            return "Tone2 duration";
        case PageTone::Group:
            return "group-call duration";
    }
    return "";
}

}  // namespace mk843nb
