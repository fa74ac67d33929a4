#include "faults.h"

#include <charconv>
#include <stdexcept>
#include <string_view>

namespace mk843nb::sim {
namespace {

std::vector<std::string_view> SplitColons(std::string_view text) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto colon = text.find(':');
        parts.push_back(text.substr(0, colon));
        if (colon == std::string_view::npos) return parts;
        text.remove_prefix(colon + 1);
    }
}

unsigned long Number(std::string_view text, const std::string& fault, const char* what,
                     unsigned long lowest) {
    unsigned long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() || value < lowest)
        throw std::invalid_argument("bad fault '" + fault + "': " + what +
                                    " must be a whole number of at least " +
                                    std::to_string(lowest));
    return value;
}

}  // namespace

Fault ParseFault(const std::string& text) {
    const auto parts = SplitColons(text);
    const std::string_view name = parts[0];
    const auto expect = [&](std::size_t lowest, std::size_t highest, const char* usage) {
        if (parts.size() < lowest || parts.size() > highest)
            throw std::invalid_argument("bad fault '" + text + "': expected " + usage);
    };
    const auto frame = [&] { return static_cast<unsigned>(Number(parts[1], text, "FRAME", 1)); };

    if (name == "no-answer") {
        expect(1, 2, "no-answer or no-answer:FRAME");
        return {FaultKind::NoAnswer, parts.size() == 2 ? frame() : 0u, {}, {}};
    }
    if (name == "gap") {
        expect(3, 4, "gap:FRAME:MS or gap:FRAME:MS:BYTE");
        Fault fault{FaultKind::Gap,
                    frame(),
                    std::chrono::milliseconds(Number(parts[2], text, "MS", 0)),
                    {}};
        if (parts.size() == 4) fault.beforeByte = Number(parts[3], text, "BYTE", 0);
        return fault;
    }
    if (name == "bad-checksum") {
        expect(2, 2, "bad-checksum:FRAME");
        return {FaultKind::BadChecksum, frame(), {}, {}};
    }
    if (name == "bad-ack") {
        expect(2, 2, "bad-ack:FRAME");
        return {FaultKind::BadAck, frame(), {}, {}};
    }
    if (name == "hangup") {
        expect(2, 2, "hangup:FRAME");
        return {FaultKind::HangUp, frame(), {}, {}};
    }
    if (name == "lost-write") {
        expect(2, 2, "lost-write:FRAME");
        return {FaultKind::LostWrite, frame(), {}, {}};
    }
    throw std::invalid_argument("unknown fault '" + text +
                                "' (no-answer, gap, bad-checksum, bad-ack, hangup or lost-write)");
}

}  // namespace mk843nb::sim
