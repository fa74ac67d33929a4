#include "files/safe_file_name.h"

#include <cctype>

namespace mk843nb {
namespace {

constexpr std::size_t kMaxBaseBytes = 100;

template <typename Kept>
std::string Replaced(std::string_view text, Kept kept) {
    std::string safe(text);
    for (char& c : safe)
        if (!kept(static_cast<unsigned char>(c))) c = '_';
    return safe;
}

bool KeptInBase(unsigned char c) {
    return c >= 0x80 || std::isalnum(c) || c == ' ' || c == '-' || c == '_' || c == '.' ||
           c == '+' || c == '(' || c == ')';
}

bool KeptInPart(unsigned char c) { return std::isalnum(c) || c == '.' || c == '_'; }

}  // namespace

std::string SafeFileBase(std::string_view label) {
    std::string base = Replaced(label, KeptInBase);
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

std::string SafeNamePart(std::string_view text) {
    const std::string safe = Replaced(text, KeptInPart);
    return safe.empty() ? "unknown" : safe;
}

}  // namespace mk843nb
