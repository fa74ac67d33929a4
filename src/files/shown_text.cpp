#include "files/shown_text.h"

namespace mk843nb {
namespace {

// The length of the control character starting at i (1 or 2 bytes), 0 for none.
std::size_t ControlLength(std::string_view text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return 1;
    // U+0080 to U+009F: C2 80 to C2 9F. Some terminals take them as ESC [ and the like.
    if (byte == 0xC2 && i + 1 < text.size()) {
        const auto next = static_cast<unsigned char>(text[i + 1]);
        if (next >= 0x80 && next <= 0x9F) return 2;
    }
    return 0;
}

void AppendEscaped(std::string& out, std::string_view bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += "\\x";
        out += kDigits[byte >> 4];
        out += kDigits[byte & 15];
    }
}

}  // namespace

std::string ShownText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = ControlLength(text, i);
        if (length == 0) {
            shown += text[i++];
            continue;
        }
        AppendEscaped(shown, text.substr(i, length));
        i += length;
    }
    return shown;
}

std::string FirstControlCharacter(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const std::size_t length = ControlLength(text, i); length != 0) {
            std::string shown;
            AppendEscaped(shown, text.substr(i, length));
            return shown;
        }
    }
    return {};
}

}  // namespace mk843nb
