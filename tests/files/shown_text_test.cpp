#include "files/shown_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mk843nb {
namespace {

using namespace std::string_literals;

TEST(ShownText, ControlCharactersAreWrittenOutAndTheRestIsLeftAlone) {
    struct Case {
        std::string text;
        std::string shown;
        std::string first;  // FirstControlCharacter
    };
    const std::vector<Case> cases{
        {"Ward 3", "Ward 3", ""},
        {"Feuerwache S\xC3\xBC"
         "d \xE2\x82\xAC",
         "Feuerwache S\xC3\xBC"
         "d \xE2\x82\xAC",
         ""},
        {"a\\x1b stays", "a\\x1b stays", ""},  // text that only looks like an escape
        {"\x1b[2J\x1b]0;owned\x07", "\\x1b[2J\\x1b]0;owned\\x07", "\\x1b"},
        {"tab\tline\nreturn\r", "tab\\x09line\\x0areturn\\x0d", "\\x09"},
        {"nul\0end"s, "nul\\x00end", "\\x00"},
        {"del\x7f", "del\\x7f", "\\x7f"},
        {"\x1a", "\\x1a", "\\x1a"},
        // C1 controls in UTF-8: CSI (U+009B) and the last one, U+009F; U+00A0 is no control.
        {"a\xC2\x9B"
         "2Jb\xC2\x9F\xC2\xA0",
         "a\\xc2\\x9b2Jb\\xc2\\x9f\xC2\xA0", "\\xc2\\x9b"},
        {"\xC2", "\xC2", ""},  // a lone lead byte at the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShownText(c.text), c.shown) << c.shown;
        EXPECT_EQ(FirstControlCharacter(c.text), c.first) << c.shown;
    }
}

}  // namespace
}  // namespace mk843nb
