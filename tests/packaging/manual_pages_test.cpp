// The programs' own --help is the list of what the manual pages must document:
// a command or option added without its page entry fails here, not in a shop.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "cli/exit_codes.h"
#include "editor/control_catalog.h"
#include "program_version.h"

namespace mk843nb {
namespace {

struct ProcessRun {
    int status = -1;
    std::string out;
};

// Runs a shell command line; stdout is captured, stderr left to the test log.
ProcessRun Shell(const std::string& command) {
    ProcessRun run;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        run.out.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return run;
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string ManualPage(const std::string& name) {
    const std::string text = Slurp(std::string(MK843NB_MAN_DIR) + "/" + name + ".1.in");
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

// In roff source a dash that must print as a dash is written "\-".
std::string Roff(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out;
}

// The entries of a CLI11 --help listing, by the section they stand in.
struct Help {
    std::vector<std::string> options;  // each name of each option: "-h", "--help", "--port"
    std::vector<std::string> positionals;
    std::vector<std::string> subcommands;
};

Help ParseHelp(const std::string& text) {
    Help help;
    std::vector<std::string>* section = nullptr;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line == "Options:")
            section = &help.options;
        else if (line == "Positionals:")
            section = &help.positionals;
        else if (line == "Subcommands:")
            section = &help.subcommands;
        else if (line.empty() || line[0] != ' ')
            section = nullptr;
        else if (section != nullptr && line.size() > 2 && line.compare(0, 2, "  ") == 0 &&
                 line[2] != ' ') {
            std::string first = line.substr(2, line.find(' ', 2) - 2);
            if (section == &help.options) {
                std::istringstream names(first);
                for (std::string name; std::getline(names, name, ',');)
                    help.options.push_back(name);
            } else {
                section->push_back(first);
            }
        }
    }
    return help;
}

// The text of a section: from its heading line (".SH NAME" or ".SS name", the
// title quoted or not) to the next heading.
std::string Section(const std::string& page, const std::string& macro, const std::string& title) {
    for (const std::string& heading :
         {macro + " " + title + "\n", macro + " \"" + title + "\"\n"}) {
        std::size_t start = page.find("\n" + heading);
        if (start == std::string::npos) continue;
        start += heading.size() + 1;
        std::size_t end = page.size();
        for (const char* next : {"\n.SH ", "\n.SS "}) end = std::min(end, page.find(next, start));
        return page.substr(start, std::min(end + 1, page.size()) - start);  // with its last newline
    }
    return {};
}

void ExpectDocuments(const std::string& section, const std::string& where, const Help& help) {
    const char* fix = " is not documented: add it to its page in doc/man/";
    ASSERT_FALSE(section.empty()) << where << fix << " (a .SS section for a command)";
    for (const auto& name : help.options)
        EXPECT_NE(section.find(Roff(name)), std::string::npos)
            << where << ": option " << name << fix;
    for (const auto& name : help.positionals)
        EXPECT_NE(section.find(name), std::string::npos) << where << ": argument " << name << fix;
}

// Every command and sub-command of mk843nb-cli, walked through their --help.
void ExpectCommandsDocumented(const std::string& page, const std::string& path) {
    const ProcessRun run = Shell(std::string(MK843NB_CLI_PATH) + " " + path + " --help");
    ASSERT_EQ(run.status, 0) << path;
    const Help help = ParseHelp(run.out);
    for (const auto& command : help.subcommands) {
        const std::string full = path.empty() ? command : path + " " + command;
        const Help sub =
            ParseHelp(Shell(std::string(MK843NB_CLI_PATH) + " " + full + " --help").out);
        if (sub.subcommands.empty())
            ExpectDocuments(Section(page, ".SS", full), "command " + full, sub);
        ExpectCommandsDocumented(page, full);
    }
}

TEST(ManualPages, CliPageDocumentsEveryCommandOptionAndArgument) {
    const std::string page = ManualPage("mk843nb-cli");
    const ProcessRun run = Shell(std::string(MK843NB_CLI_PATH) + " --help");
    ASSERT_EQ(run.status, 0);
    const Help help = ParseHelp(run.out);
    EXPECT_GE(help.subcommands.size(), 7u);  // the parse itself found the commands
    ExpectDocuments(Section(page, ".SH", "OPTIONS"), "mk843nb-cli", help);
    ExpectCommandsDocumented(page, "");
}

TEST(ManualPages, CliPageListsEveryExitStatusWithItsMeaning) {
    const std::string section = Section(ManualPage("mk843nb-cli"), ".SH", "EXIT STATUS");
    ASSERT_FALSE(section.empty());
    for (const cli::ExitCodeInfo& info : cli::kExitCodes) {
        const std::string entry = ".TP\n.B " + std::to_string(cli::ToInt(info.code)) + "\n" +
                                  Roff(std::string(info.meaning)) + "\n";
        EXPECT_NE(section.find(entry), std::string::npos) << entry;
    }
}

TEST(ManualPages, WindowAndEmulatorPagesDocumentEveryOption) {
    struct Case {
        const char* program;
        const char* page;
    };
    for (const Case& c :
         {Case{MK843NB_APP_PATH, "mk843nb"}, Case{MK843NB_SIM_PATH, "mk843nb-sim"}}) {
        SCOPED_TRACE(c.page);
        const ProcessRun run = Shell(std::string(c.program) + " --help");
        ASSERT_EQ(run.status, 0);
        const Help help = ParseHelp(run.out);
        EXPECT_FALSE(help.options.empty());
        ExpectDocuments(Section(ManualPage(c.page), ".SH", "OPTIONS"), c.page, help);
    }
}

std::string BuiltPage(const std::string& name) {
    const std::string text = Slurp(std::string(MK843NB_BUILT_MAN_DIR) + "/" + name + ".1");
    EXPECT_FALSE(text.empty()) << name << " was not built";
    return text;
}

// The field list is made from the control catalogue when the page is built:
// every field `show --json` lists is there with its caption and unit.
TEST(ManualPages, BuiltCliPageListsEveryFieldOfTheCatalogue) {
    const std::string page = BuiltPage("mk843nb-cli");
    const std::size_t start = page.find("\n.SH FIELDS\n");
    ASSERT_NE(start, std::string::npos);
    const std::string fields = page.substr(start, page.find("\n.SH ", start + 1) - start);
    EXPECT_EQ(fields.find(".\\\" FIELDS"), std::string::npos) << "the marker was not filled in";
    for (const ListedField& field : ListedFields()) {
        std::string caption(field.label);
        if (!field.unit.empty()) caption += " (" + std::string(field.unit) + ")";
        const std::string entry =
            ".TP\n.B " + std::string(field.field) + "\n" + Roff(caption) + ": ";
        EXPECT_NE(fields.find(entry), std::string::npos) << entry;
    }
    EXPECT_NE(fields.find(".B BS_Period\nBattery Save (x 10 ms): 0 to 255.\n"), std::string::npos);
    EXPECT_NE(fields.find(".B Reminder\nReminder: \"Disable\", \"30  Second\", \"60  Second\", "
                          "\"120 Second\".\n"),
              std::string::npos);
}

// Every built page renders without a warning and carries the release date.
TEST(ManualPages, BuiltPagesRenderWithoutWarningsAndCarryTheReleaseDate) {
    if (Shell("command -v man >/dev/null").status != 0) GTEST_SKIP() << "man is not installed";
    std::string date = kReleaseDate;
    std::replace(date.begin(), date.end(), '.', '-');
    for (const char* name : {"mk843nb", "mk843nb-cli", "mk843nb-sim"}) {
        SCOPED_TRACE(name);
        const std::string page = BuiltPage(name);
        EXPECT_EQ(page.find(".TH "), 0u);
        EXPECT_NE(page.substr(0, page.find('\n')).find(" " + date + " "), std::string::npos);
        const ProcessRun render =
            Shell("MANWIDTH=80 man --warnings -l '" + std::string(MK843NB_BUILT_MAN_DIR) + "/" +
                  name + ".1' 2>&1 >/dev/null");
        EXPECT_EQ(render.status, 0);
        EXPECT_EQ(render.out, "") << "man warns";
    }
}

TEST(ProgramVersion, EveryProgramPrintsTheProjectVersionWithoutADisplay) {
    struct Case {
        const char* program;
        const char* name;
    };
    for (const Case& c : {Case{MK843NB_APP_PATH, "mk843nb"}, Case{MK843NB_CLI_PATH, "mk843nb-cli"},
                          Case{MK843NB_SIM_PATH, "mk843nb-sim"}}) {
        const ProcessRun run = Shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " +
                                     std::string(c.program) + " --version");
        EXPECT_EQ(run.status, 0) << c.name;
        EXPECT_EQ(run.out, std::string(c.name) + " " + kProgramVersion + "\n");
    }
}

TEST(ProgramVersion, BadOptionsExitWithTheUsageStatus) {
    for (const char* program : {MK843NB_CLI_PATH, MK843NB_SIM_PATH}) {
        const ProcessRun run = Shell(std::string(program) + " --no-such-option 2>/dev/null");
        EXPECT_EQ(run.status, 2) << program;
        EXPECT_EQ(run.out, "") << program;
    }
}

}  // namespace
}  // namespace mk843nb
