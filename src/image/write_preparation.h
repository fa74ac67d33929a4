#pragma once

#include <cstdint>

#include "image/pager_image.h"

namespace mk843nb {

// The changes Write makes to the image before sending it, in this order:
// the priority bits of call slots 5 and 6 (bit 7 of bytes 104 and 106) become
// copies of GPriority1 and GPriority2 for firmware 1.86 exactly and are cleared
// for any other version; WriteMark := 1; BatteryLow := 103; CallDuty bits 4 to
// 7 cleared; ModelTag stamped; the checksum computed last over the result.
void PrepareImageForWrite(PagerImage& image, std::uint8_t versionMajor, std::uint8_t versionMinor);

struct Field;
// Whether Write keeps the field itself: the version bytes (from the pager's
// answer), the write mark, the low-battery code, the enable bits of call slots
// 5 to 8 (CallDuty), the priority bits of call slots 5 and 6, the model tag
// and the checksum. A pager written from a file differs from it only there.
bool IsWriteBookkeeping(const Field& field);

}  // namespace mk843nb
