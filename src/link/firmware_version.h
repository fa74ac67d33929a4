#pragma once

#include <cstdint>
#include <string>

namespace mk843nb {

// The pager's firmware version, bytes 1 and 2 of its memory. The program compares
// versions as the decimal number major "." minor rounded to two decimals, kept
// here in hundredths: 1 and 83 give 183, 1 and 5 give 150, 1 and 100 give 110,
// 1 and 123 give 112. A pager that did not answer has version 0.
struct FirmwareVersion {
    bool answered = false;
    std::uint8_t major = 0;
    std::uint8_t minor = 0;

    static FirmwareVersion Of(std::uint8_t major, std::uint8_t minor);

    int Hundredths() const;
    // "1.83", "1.5", "1.100": both parts in decimal without leading zeros.
    std::string Text() const;
};

}  // namespace mk843nb
