#include "trace.h"

namespace mk843nb::sim {

std::string Hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (const std::uint8_t byte : bytes) {
        if (!text.empty()) text += ' ';
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0x0F];
    }
    return text;
}

Trace::Trace(bool enabled, Clock::time_point start, std::FILE* out)
    : enabled_(enabled), start_(start), out_(out) {}

void Trace::Received(unsigned frame, Clock::time_point when, const Bytes& bytes) {
    Line(when, "rx #" + std::to_string(frame) + " " + Hex(bytes));
}

void Trace::Sent(unsigned frame, Clock::time_point when, const Bytes& bytes) {
    Line(when, "tx #" + std::to_string(frame) + " " + Hex(bytes));
}

void Trace::Note(Clock::time_point when, const std::string& text) { Line(when, "-- " + text); }

void Trace::Note(unsigned frame, Clock::time_point when, const std::string& text) {
    Line(when, "-- #" + std::to_string(frame) + " " + text);
}

void Trace::Line(Clock::time_point when, const std::string& rest) {
    if (!enabled_) return;
    const double seconds = std::chrono::duration<double>(when - start_).count();
    std::fprintf(out_, "%12.6f %s\n", seconds, rest.c_str());
    std::fflush(out_);
}

}  // namespace mk843nb::sim
