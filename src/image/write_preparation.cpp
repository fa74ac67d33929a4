#include "image/write_preparation.h"

#include <string_view>

#include "image/codecs.h"
#include "image/fields.h"

namespace mk843nb {
namespace {

constexpr int kVersionWithGroupPriorityCopy = 186;  // firmware 1.86

}  // namespace

void PrepareImageForWrite(PagerImage& image, std::uint8_t versionMajor, std::uint8_t versionMinor) {
    const bool copyGroupPriorities =
        FirmwareVersionHundredths(versionMajor, versionMinor) == kVersionWithGroupPriorityCopy;
    const Field& priority5 = FieldNamed("Priority5");
    const Field& priority6 = FieldNamed("Priority6");
    SetFieldCode(image, priority5,
                 copyGroupPriorities ? GetFieldCode(image, FieldNamed("GPriority1")) : 0);
    SetFieldCode(image, priority6,
                 copyGroupPriorities ? GetFieldCode(image, FieldNamed("GPriority2")) : 0);

    SetFieldCode(image, FieldNamed("WriteMark"), 1);
    SetFieldCode(image, FieldNamed("BatteryLow"), kBatteryLowWritten);
    const Field& callDuty = FieldNamed("CallDuty");
    SetFieldCode(image, callDuty, GetFieldCode(image, callDuty) & 0x0Fu);
    StampModelTag(image);
    StoreChecksum(image);
}

bool IsWriteBookkeeping(const Field& field) {
    for (const std::string_view name : {"Version", "WriteMark", "BatteryLow", "CallDuty",
                                        "Priority5", "Priority6", "ModelTag", "Checksum"})
        if (field.name == name) return true;
    return false;
}

}  // namespace mk843nb
