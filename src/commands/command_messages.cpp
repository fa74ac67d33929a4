#include "commands/command_messages.h"

#include <cstdio>

namespace mk843nb {
namespace {

std::string Hex4(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFFU);
    return text;
}

}  // namespace

std::string DamagedMemoryReason(const PagerImage& memory) {
    return "the pager's memory failed its image checksum before a Write: bytes 254-255 hold " +
           Hex4(StoredChecksum(memory)) + ", bytes 16 to 253 sum to " + Hex4(ImageChecksum(memory));
}

Message DamagedMemoryQuestion(const StoredBackup& kept) {
    return {MessageKind::Exclamation,
            "CheckSum error !\nThe pager's memory is damaged (a Write was broken off?). What it "
            "holds was kept as the backup\n" +
                kept.table.filename().string() + "\nWrite the image of this window over it?"};
}

std::string DamagedMemoryNote(const StoredBackup& kept) {
    return "The pager's memory failed its checksum (a broken-off Write?); what it held was kept "
           "as " +
           kept.table.string() + " and the new image is written over it.";
}

}  // namespace mk843nb
