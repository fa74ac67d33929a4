// Fills in the FIELDS section of mk843nb-cli's manual page at build time, from
// the same control catalogue `show` and `set` use, so the list cannot drift:
//   mk843nb-man-fields TEMPLATE OUT
// copies TEMPLATE to OUT with the line `.\" FIELDS` replaced by the list.

#include <fstream>
#include <iostream>
#include <string>

#include "editor/control_catalog.h"
#include "editor/field_help.h"

namespace {

using namespace mk843nb;

constexpr const char* kMarker = ".\\\" FIELDS";

// Text as roff prints it: dashes as dashes, backslashes as themselves, and a
// line that starts with a dot or quote taken as text.
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\e";
        else if (c == '-')
            out += "\\-";
        else
            out += c;
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// Page by page in the window's order, each page's fields in the order of `show --json`.
std::string FieldList() {
    std::string text;
    for (const Page page :
         {Page::Main, Page::Frequency, Page::Call, Page::Setting, Page::Config, Page::Advance}) {
        text += ".SS \"" + Roff(std::string(PageCaption(page))) + "\"\n";
        for (const ListedField& field : ListedFields()) {
            if (field.page != page) continue;
            std::string caption(field.label);
            if (!field.unit.empty()) caption += " (" + std::string(field.unit) + ")";
            text += ".TP\n.B " + std::string(field.field) + "\n" +
                    Roff(caption + ": " + FieldTakes(field) + ".") + "\n";
        }
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: mk843nb-man-fields TEMPLATE OUT\n";
        return 2;
    }
    std::ifstream in(argv[1]);
    if (!in) {
        std::cerr << argv[1] << ": cannot be read\n";
        return 1;
    }
    std::string page;
    bool filled = false;
    for (std::string line; std::getline(in, line);) {
        if (line == kMarker) {
            page += FieldList();
            filled = true;
        } else {
            page += line + "\n";
        }
    }
    if (!filled) {
        std::cerr << argv[1] << ": no line " << kMarker << " to fill in\n";
        return 1;
    }
    std::ofstream out(argv[2]);
    out << page;
    out.close();
    if (!out) {
        std::cerr << argv[2] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
