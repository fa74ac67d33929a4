#pragma once

#include <cstdint>
#include <string>

namespace mk843nb {

// Which TCommPort operation failed.
enum class CommErrorCode : std::uint8_t {
    BaudRateRefused = 1,  // SetBaudRate: the open device refuses the rate (the old one is put back)
    PortNameWhileOpen = 6,    // SetPortName on an open port
    NotOpen = 7,              // Write, ReadByte, BytesAvailable, Purge on a closed port
    CannotOpen = 8,           // Open: absent, in use, or not permitted
    WriteFailed = 9,          // Write
    ReadFailed = 10,          // ReadByte, ReadNext
    CloseFailed = 11,         // Close
    PurgeFailed = 12,         // Purge
    SettingsUnreadable = 14,  // Open
    SettingsRefused = 15,     // Open
    QueueSizesRefused = 16,   // Open
    LineStateUnreadable = 18  // BytesAvailable
};

// Raised by value by the serial port, caught as ECommError&.
struct ECommError {
    CommErrorCode code = CommErrorCode::CannotOpen;
    std::uint32_t systemError = 0;  // errno at the moment of raising, 0 when unknown
    std::string reason;             // the system's own words for it, e.g. "Permission denied"
    // Open failed for lack of permission, or because another program holds the
    // device (the serial layer cannot tell these apart; the port diagnosis can).
    bool permissionDenied = false;

    std::uint8_t Code() const { return static_cast<std::uint8_t>(code); }
};

}  // namespace mk843nb
