#include "fleet/safe_file_name.h"

#include <cctype>

namespace mk843nb::fleet {
namespace {

constexpr std::size_t kMaxBaseBytes = 100;

bool Kept(unsigned char c) {
    return c >= 0x80 || std::isalnum(c) || c == ' ' || c == '-' || c == '_' || c == '.' ||
           c == '+' || c == '(' || c == ')';
}

}  // namespace

std::string SafeFileBase(std::string_view label) {
    std::string base(label);
    for (char& c : base)
        if (!Kept(static_cast<unsigned char>(c))) c = '_';
    if (base.size() > kMaxBaseBytes) {
        std::size_t cut = kMaxBaseBytes;
        // Back to the first byte of a UTF-8 character.
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
        base.resize(cut);
    }
    while (!base.empty() && (base.back() == ' ' || base.back() == '.')) base.pop_back();
    if (!base.empty() && base.front() == '.') base.front() = '_';
    return base.empty() ? std::string("_") : base;
}

}  // namespace mk843nb::fleet
