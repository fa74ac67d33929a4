#pragma once

// The inventory's tables, built by numbered migrations. A file records the
// last migration it went through in SQLite's user_version; a program applies
// the ones it knows beyond it and refuses a file that went further.

#include <span>
#include <string_view>

namespace mk843nb::inventory {

struct Migration {
    int version = 0;
    std::span<const std::string_view> statements;
};

// Every migration, oldest first; the last one's version is this program's schema.
std::span<const Migration> Migrations();
int ProgramSchema();

}  // namespace mk843nb::inventory
