// mk843nb-sim: a programmer board with a pager behind it, on a pseudo-terminal.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "emulator.h"
#include "faults.h"
#include "paced_line.h"
#include "pager_memory.h"
#include "program_version.h"
#include "pseudo_terminal.h"
#include "responder.h"
#include "trace.h"

namespace fs = std::filesystem;
using namespace mk843nb::sim;

namespace {

// Points path at the device; an existing symlink there is replaced, anything else is kept.
// What --cradle FILE says now: no pager without FILE; a pager holding FILE's
// bytes when FILE is a whole table file; else a fresh pager.
Responder::Cradle CradleOf(const std::string& path) {
    std::error_code error;
    if (!fs::exists(path, error)) return {false, std::nullopt};
    if (fs::is_regular_file(path, error) && fs::file_size(path, error) == kPagerMemorySize) {
        try {
            return {true, LoadTableFile(path)};
        } catch (const std::exception&) {
            // Read while it was being written: a fresh pager it is.
        }
    }
    return {true, std::nullopt};
}

void MakeLink(const std::string& path, const std::string& device) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)))
        fs::remove(path);
    else if (fs::exists(fs::symlink_status(path, error)))
        throw std::runtime_error("--link: " + path + " exists and is not a symbolic link");
    fs::create_symlink(device, path);
}

void RemoveLink(const std::string& path, const std::string& device) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error)) && fs::read_symlink(path, error) == device)
        fs::remove(path, error);
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{
        "A programmer board with a pager on a pseudo-terminal. Prints the device name on the first "
        "line of stdout, then answers read and write requests until SIGTERM or SIGINT.",
        "mk843nb-sim"};
    std::string imagePath, versionText = "1.86", savePath, linkPath, cradlePath;
    std::optional<std::string> modelText;
    unsigned baud = 9600;
    unsigned turnaroundMs = 0;
    std::vector<std::string> faultTexts;
    bool trace = false;
    bool newPagerEachWrite = false;
    app.add_option("--image", imagePath,
                   "Table file (.tbl) with the pager's 256 bytes; default: the built-in image")
        ->option_text("FILE")
        ->check(CLI::ExistingFile);
    app.add_option("--firmware", versionText, "Firmware version the pager reports (bytes 1 and 2)")
        ->option_text("X.Y (1.86)");
    // --version alone prints the program's version; with a value it is the
    // firmware version, its first name, which scripts and tests still use.
    CLI::Option* version =
        app.add_option("--version", versionText,
                       "Alone: print the program's version and exit; with X.Y: as --firmware")
            ->expected(0, 1)
            ->option_text("[X.Y]");
    app.add_option("--model", modelText,
                   "Model text in bytes 240 to 253 (at most 14 bytes; \"\": none)")
        ->option_text("TEXT");
    app.add_option("--baud", baud, "Line pacing in baud, 10 bits a byte; 0: no pacing")
        ->option_text("N (9600)");
    app.add_option("--turnaround", turnaroundMs,
                   "Board delay from the end of a request to its reply, ms")
        ->option_text("MS (0)");
    app.add_option(
           "--fault", faultTexts,
           "Fault to inject (repeatable): no-answer, no-answer:FRAME, gap:FRAME:MS[:BYTE], "
           "bad-checksum:FRAME, bad-ack:FRAME, hangup:FRAME, lost-write:FRAME; frames count "
           "from 1")
        ->option_text("KIND");
    app.add_flag("--trace", trace,
                 "Print every frame received and sent, in hex with a time stamp, on stderr");
    app.add_option("--cradle", cradlePath,
                   "A pager sits on the board while FILE exists; without it only the board test "
                   "is answered. A pager placed again holds its start memory, or FILE's 256 "
                   "bytes when FILE is a table file (the same pager put back)")
        ->type_name("FILE");
    app.add_flag("--new-pager-each-write", newPagerEachWrite,
                 "After a write, the next board test finds a new pager holding the start "
                 "memory, as an operator who places the next pager once one is written");
    app.add_option("--save", savePath,
                   "Write the pager memory to this file after each write and on exit")
        ->option_text("FILE");
    app.add_option("--link", linkPath, "Make a symbolic link to the device at this path")
        ->option_text("PATH");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {  // --help
        return app.exit(done);
    } catch (const CLI::ParseError& error) {
        app.exit(error);
        return 2;  // bad options, as a failed setup below
    }
    if (version->count() > 0 && version->results().back().empty()) {
        std::printf("mk843nb-sim %s\n", mk843nb::kProgramVersion);
        return 0;
    }

    try {
        PagerSetup setup{imagePath, ParseFirmwareVersion(versionText), modelText};
        FaultPlan faults;
        for (const auto& text : faultTexts) faults.push_back(ParseFault(text));
        Responder responder(MakePagerMemory(setup), faults);
        if (!cradlePath.empty()) responder.SetCradle([cradlePath] { return CradleOf(cradlePath); });
        responder.NewPagerAfterEachWrite(newPagerEachWrite);

        BlockStopSignals();
        PseudoTerminal terminal;
        Trace tracer(trace, Clock::now());
        Emulator emulator(terminal, responder,
                          {baud, std::chrono::milliseconds(turnaroundMs), savePath}, tracer);
        // Everything is in place before the device is announced.
        emulator.Save();
        if (!linkPath.empty()) MakeLink(linkPath, terminal.SlavePath());
        std::printf("%s\n", terminal.SlavePath().c_str());
        std::fflush(stdout);
        const auto end = emulator.Run();
        tracer.Note(Clock::now(),
                    end == Emulator::End::HungUp ? "ended after the hang-up" : "stopped");
        emulator.Save();
        if (!linkPath.empty()) RemoveLink(linkPath, terminal.SlavePath());
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "mk843nb-sim: %s\n", error.what());
        return 2;
    }
}
