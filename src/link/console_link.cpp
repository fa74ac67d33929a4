#include "link/console_link.h"

#include <cstdio>
#include <ostream>

#include "link/comm_port.h"

namespace mk843nb {

void ConsoleLinkEvents::Frame(FrameDirection direction, std::span<const std::uint8_t> bytes,
                              std::int64_t timeMs) {
    if (!tracing_) return;
    char head[48];
    std::snprintf(head, sizeof head, "%4lld.%03lld s  %-8s  ",
                  static_cast<long long>(timeMs / 1000), static_cast<long long>(timeMs % 1000),
                  direction == FrameDirection::Sent ? "sent" : "received");
    std::string line = head;
    if (bytes.empty()) line += "(nothing)";
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i == 0 ? "%02X" : " %02X", bytes[i]);
        line += hex;
    }
    trace_ << line << '\n' << std::flush;
}

ConsoleLink::ConsoleLink(const std::string& port, bool trace, std::ostream& traceStream)
    : events_(traceStream, trace) {
    session_ = std::make_unique<LinkSession>(&TCommPort::Create, clock_, events_);
    session_->SetPortTable({{{port, ""}}, 0});
}

ConsoleLink::~ConsoleLink() { session_.reset(); }

}  // namespace mk843nb
