#include "link/firmware_version.h"

namespace mk843nb {

FirmwareVersion FirmwareVersion::Of(std::uint8_t major, std::uint8_t minor) {
    return {true, major, minor};
}

int FirmwareVersion::Hundredths() const {
    if (!answered) return 0;
    // minor / 10^digits as an exact decimal fraction, rounded half up to hundredths.
    int scale = 1;
    for (int m = minor; m > 0; m /= 10) scale *= 10;
    if (scale == 1) scale = 10;  // minor 0 is one digit
    const int hundredthsTimesScale = minor * 100;
    const int fraction = (2 * hundredthsTimesScale + scale) / (2 * scale);
    return major * 100 + fraction;
}

std::string FirmwareVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor);
}

}  // namespace mk843nb
