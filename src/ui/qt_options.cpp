#include "ui/qt_options.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace mk843nb {

namespace {

// QApplication's and QGuiApplication's options, each with one dash or two.
constexpr std::array<std::string_view, 13> kWithValue = {
    "platform",    "platformpluginpath", "platformtheme", "plugin",     "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "style",         "stylesheet", "session",
    "display",     "geometry",           "qmljsdebugger"};
constexpr std::array<std::string_view, 3> kFlags = {"reverse", "widgetcount", "nograb"};

std::string_view OptionName(std::string_view arg) {
    if (arg.starts_with("--"))
        arg.remove_prefix(2);
    else if (arg.starts_with("-"))
        arg.remove_prefix(1);
    else
        return {};
    return arg.substr(0, arg.find('='));
}

bool In(std::string_view name, const auto& list) {
    return std::find(list.begin(), list.end(), name) != list.end();
}

}  // namespace

std::vector<std::string> WithoutQtOptions(int argc, const char* const* argv) {
    std::vector<std::string> kept;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const std::string_view name = OptionName(arg);
        if (!name.empty() && In(name, kFlags)) continue;
        if (!name.empty() && In(name, kWithValue)) {
            if (arg.find('=') == std::string_view::npos) ++i;  // its value follows
            continue;
        }
        kept.emplace_back(arg);
    }
    std::reverse(kept.begin(), kept.end());
    return kept;
}

}  // namespace mk843nb
