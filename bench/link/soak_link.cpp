// The soak run: N cycles of Read, Write and Verify through mk843nb-cli against
// mk843nb-sim, with a fault on a share of the cycles. After every command it
// checks that the exit status and the message fit the fault, that the pager
// holds the old image, the new one, or (after a failed Write) exactly the
// frames the board stored, and that FILE holds what the outcome says; after
// every cycle, that no child process, pseudo-terminal or descriptor is left.
// It prints cycles, faults by kind, mismatches and time; it is not a test.
//
//   build/bench/link/soak_link [--cycles N] [--fault-share F] [--seed S] [--verbose]

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cli_process.h"
#include "image/pager_image.h"
#include "image/write_preparation.h"
#include "sim_process.h"
#include "test_files.h"

namespace {

using namespace mk843nb;
using test::Bytes;
using Clock = std::chrono::steady_clock;

enum class Command { Read, Write, Verify };
const char* NameOf(Command command) {
    return command == Command::Read ? "read" : command == Command::Write ? "write" : "verify";
}

// Frames of each command as the board counts them from a fresh start.
constexpr unsigned kPing = 1, kVersion = 2, kModel = 3, kFirstWrite = 4, kLastWrite = 35;
unsigned FramesOf(Command command) {
    return command == Command::Read ? 5 : command == Command::Write ? 37 : 3;
}
// The frame of a block read (Read: 4 and 5; Write: 36 and 37; Verify: 2 and 3).
bool IsBlockRead(Command command, unsigned frame) {
    return command == Command::Read    ? frame >= 4
           : command == Command::Write ? frame >= 36
                                       : frame >= 2;
}
bool IsWriteFrame(Command command, unsigned frame) {
    return command == Command::Write && frame >= kFirstWrite && frame <= kLastWrite;
}

struct Fault {
    std::string kind;  // no-answer, gap, long-gap, bad-checksum, bad-ack, hangup, lost-write
    unsigned frame = 0;
    int gapMs = 0;
    std::string Option() const {
        const std::string name = kind == "long-gap" ? "gap" : kind;
        return name + ":" + std::to_string(frame) +
               (gapMs > 0 ? ":" + std::to_string(gapMs) : std::string());
    }
};

// What the outcome of a command must be.
struct Expected {
    std::set<int> statuses;
    std::vector<std::string> messages;  // one of them appears on stderr (empty: success)
    // For Write: how many write frames the pager stored (32: all of them).
    unsigned storedFrames = 32;
    std::optional<unsigned> lostFrame;  // lost-write: this frame was not stored
};

const char* const kNotResponding = "The Board is not responding !";
const char* const kReadError = "Read Error !";
const char* const kWriteError = "Write Error !";
const char* const kVerifyError = "Verify Error !";
const char* const kPartlyWritten = "The pager may now hold part of the new image";
const char* const kChecksumError = "CheckSum error !";
const char* const kNotThisModel = "This model is not MK842. This model is .";
const char* const kPortFailed = "stopped: the serial port failed";
const char* const kCannotOpen = "Error opening comm port";

Expected Fails(int status, std::vector<std::string> messages, unsigned stored = 32) {
    return {{status}, std::move(messages), stored, std::nullopt};
}

// What a fault on a command leads to, for the faults the soak injects (see
// PickFault: only those whose outcome does not depend on timing).
Expected ExpectedOutcome(Command command, const Fault& fault, bool frameChanges) {
    const Expected success{{0}, {}, 32, std::nullopt};
    const unsigned k = fault.frame;
    const std::string& kind = fault.kind;
    if (kind == "gap") return success;  // shorter than the 3 s the link waits for a byte
    if (kind == "hangup") {
        // Answered, then the device vanished: the next exchange fails on the port,
        // or, right after the board test, the port cannot be opened again.
        if (k == kPing) return {{3, 4}, {kPortFailed, kCannotOpen}, 0, std::nullopt};
        const unsigned stored = IsWriteFrame(command, k) ? k - kFirstWrite + 1
                                : k > kLastWrite         ? 32
                                                         : 0;
        return Fails(4, {kPortFailed}, command == Command::Write ? stored : 32);
    }
    if (kind == "lost-write") {
        if (!frameChanges) return success;  // the frame held those bytes already
        return {{5}, {kVerifyError}, 32, k};
    }
    if (kind == "bad-ack") return Fails(4, {kWriteError}, k - kFirstWrite);
    // no-answer, long-gap, bad-checksum: the reply to frame k is missing or unusable.
    if (k == kPing) return Fails(3, {kNotResponding});
    if (command != Command::Verify && k == kVersion) return success;  // Read only, see PickFault
    if (command != Command::Verify && k == kModel)
        return command == Command::Read ? Fails(4, {kNotThisModel}) : success;
    if (IsBlockRead(command, k))
        return Fails(4, {command == Command::Read ? kReadError : kVerifyError});
    // A write frame: a silent board stored nothing; a late or spoilt answer
    // comes after the pager stored the frame.
    const unsigned before = k - kFirstWrite;
    return Fails(4, {kWriteError}, kind == "no-answer" ? before : before + 1);
}

Fault PickFault(Command command, std::mt19937& random) {
    static const std::vector<std::string> kKinds{"no-answer", "gap",    "long-gap",  "bad-checksum",
                                                 "bad-ack",   "hangup", "lost-write"};
    for (;;) {
        Fault fault;
        fault.kind = kKinds[random() % kKinds.size()];
        fault.frame = 1 + random() % FramesOf(command);
        const unsigned k = fault.frame;
        const bool writeFrame = IsWriteFrame(command, k);
        if ((fault.kind == "bad-ack" || fault.kind == "lost-write") && !writeFrame) continue;
        // The last reply of a command races the hang-up that follows it.
        if (fault.kind == "hangup" && k == FramesOf(command)) continue;
        // A Write whose version query fails prepares the image for no version:
        // a different image, not a fault of the line to check here.
        if (command == Command::Write && k == kVersion && fault.kind != "gap" &&
            fault.kind != "hangup")
            continue;
        // A late answer to a query the link gave up on lands in the next exchange;
        // what that does depends on timing, so only late block and write replies.
        if (fault.kind == "long-gap" && !(k == kPing || IsBlockRead(command, k) || writeFrame))
            continue;
        if (fault.kind == "gap") fault.gapMs = 100 + static_cast<int>(random() % 1400);
        if (fault.kind == "long-gap") fault.gapMs = 4000 + static_cast<int>(random() % 500);
        return fault;
    }
}

PagerImage ToImage(const Bytes& bytes) {
    PagerImage image{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), image.size()), image.begin());
    return image;
}
Bytes ToBytes(const PagerImage& image) { return Bytes(image.begin(), image.end()); }

// "12 (3A, not 3B), 63 (..)": where two images differ.
std::string Differing(const Bytes& actual, const PagerImage& expected) {
    std::string text;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const int got = i < actual.size() ? actual[i] : -1;
        if (got == expected[i]) continue;
        char item[48];
        std::snprintf(item, sizeof item, "%s%zu (%02X, not %02X)", text.empty() ? "" : ", ", i,
                      static_cast<unsigned>(got), expected[i]);
        text += item;
    }
    return text;
}

int CountOwnDescriptors(int& ptys) {
    int count = 0;
    ptys = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
        std::error_code error;
        const auto target = std::filesystem::read_symlink(entry.path(), error).string();
        if (target.starts_with("/dev/pts/") || target == "/dev/ptmx") ++ptys;
    }
    return count - 1;  // the directory iterator's own
}

int CountChildren() {
    int children = 0;
    const pid_t self = ::getpid();
    for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::ifstream stat(entry.path() / "stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        if (close == std::string::npos) continue;
        char state = 0;
        int parent = 0;
        if (std::sscanf(text.c_str() + close + 1, " %c %d", &state, &parent) == 2 && parent == self)
            ++children;
    }
    return children;
}

class Soak {
public:
    Soak(std::mt19937& random, bool verbose) : random_(random), verbose_(verbose) {
        // Every read and write is recorded: in an inventory of the soak's own.
        ::setenv("MK843NB_INVENTORY", dir_.File("inventory.sqlite").c_str(), 1);
        memoryFile_ = dir_.File("pager-memory.tbl");
        readFile_ = dir_.File("read.tbl");
        writeFile_ = dir_.File("write.tbl");
        StartBoard({});
        // The window's refresh on Open completes the emulator's built-in image
        // (the synthesizer words follow the frequency): one write first, so the
        // pager starts from an image the program keeps as it is.
        test::WriteFileBytes(readFile_, test::ReadFileBytes(memoryFile_));
        const test::CliRun prime =
            test::RunCli({"write", "--port", board_->DevicePath(), readFile_});
        if (prime.status != 0) throw std::runtime_error("the first write failed: " + prime.err);
        predicted_ = ToImage(test::ReadFileBytes(memoryFile_));
        if (ToBytes(predicted_) != test::ReadFileBytes(readFile_))
            throw std::runtime_error("the first write left the pager and the file apart");
    }

    void Cycle(std::optional<Command> faulted) {
        ++cycles_;
        for (Command command : {Command::Read, Command::Write, Command::Verify}) {
            std::optional<Fault> fault;
            // A Verify after a failed Write already differs; a fault on it would
            // only hide behind that difference.
            if (faulted == command && !(command == Command::Verify &&
                                        predicted_ != ToImage(test::ReadFileBytes(writeFile_))))
                fault = PickFault(command, random_);
            if (fault) {
                ++faults_[fault->kind];
                StartBoard({"--fault", fault->Option()});
            }
            Run(command, fault);
            if (fault) StartBoard({});
        }
        int ptys = 0;
        const int descriptors = CountOwnDescriptors(ptys);
        const int children = CountChildren();
        if (baselineDescriptors_ < 0) baselineDescriptors_ = descriptors;
        if (descriptors != baselineDescriptors_ || children != 1 || ptys != 0)
            Mismatch("cycle end", "descriptors " + std::to_string(descriptors) + " (start " +
                                      std::to_string(baselineDescriptors_) + "), ptys " +
                                      std::to_string(ptys) + ", child processes " +
                                      std::to_string(children) + " (the emulator: 1)");
    }

    void Report(double seconds) const {
        std::printf("cycles      %d (each a read, a write and a verify through mk843nb-cli)\n",
                    cycles_);
        std::printf("commands    %d\n", commands_);
        int total = 0;
        for (const auto& [kind, count] : faults_) total += count;
        std::printf("faults      %d:", total);
        for (const auto& [kind, count] : faults_) std::printf(" %s %d", kind.c_str(), count);
        std::printf("\nrestarts    %d of the emulator (before and after each fault)\n", restarts_);
        std::printf("mismatches  %d (goal: 0)\n", mismatches_);
        std::printf("time        %.1f s (%.1f ms a cycle)\n", seconds,
                    cycles_ ? seconds * 1000 / cycles_ : 0.0);
    }
    int Mismatches() const { return mismatches_; }

private:
    void StartBoard(std::vector<std::string> options) {
        if (board_) {
            board_->Stop();  // saves the pager's memory on its way out
            board_.reset();
            ++restarts_;
        }
        std::vector<std::string> args{"--baud", "0", "--save", memoryFile_};
        if (std::filesystem::exists(memoryFile_)) {
            args.push_back("--image");
            args.push_back(memoryFile_);
        }
        args.insert(args.end(), options.begin(), options.end());
        board_ = std::make_unique<test::SimProcess>(args);
    }

    void Run(Command command, const std::optional<Fault>& fault) {
        ++commands_;
        const PagerImage before = predicted_;
        PagerImage newImage{};
        Bytes fileBefore;
        if (command == Command::Write) {
            // An edit of what was read, as a user makes it: a few settings that
            // take any byte (tone limits and lengths, periods, flags, delays) changed.
            static constexpr std::uint8_t kFreeBytes[] = {50, 51, 52, 53, 54, 55, 56, 57,
                                                          58, 59, 69, 75, 77, 78, 80, 83};
            Bytes edited = test::ReadFileBytes(readFile_);
            for (int i = 0; i < 3; ++i)
                edited[kFreeBytes[random_() % std::size(kFreeBytes)]] =
                    static_cast<std::uint8_t>(random_());
            test::WriteFileBytes(writeFile_, edited);
            newImage = ToImage(edited);
            newImage[1] = 1;
            newImage[2] = 86;
            PrepareImageForWrite(newImage, 1, 86);
        }
        const std::string& file = command == Command::Read ? readFile_ : writeFile_;
        fileBefore = test::ReadFileBytes(file);

        Expected expected{{0}, {}, 32, std::nullopt};
        if (fault) {
            bool frameChanges = true;
            if (fault->kind == "lost-write") {
                const unsigned at = (fault->frame - kFirstWrite) * 8;
                frameChanges = !std::equal(newImage.begin() + at, newImage.begin() + at + 8,
                                           before.begin() + at);
            }
            expected = ExpectedOutcome(command, *fault, frameChanges);
        } else if (command == Command::Verify && predicted_ != ToImage(fileBefore)) {
            expected = Fails(5, {kVerifyError});
        }
        // A Write cut short leaves the pager's checksum wrong: a Read then refuses it.
        if (command == Command::Read && expected.statuses == std::set<int>{0} &&
            ImageChecksum(predicted_) != StoredChecksum(predicted_))
            expected = Fails(4, {kChecksumError});

        const test::CliRun run =
            test::RunCli({NameOf(command), "--port", board_->DevicePath(), file});
        const std::string what = std::string(NameOf(command)) +
                                 (fault ? " with " + fault->Option() : std::string(" (no fault)"));
        if (verbose_)
            std::printf("%5d %-34s status %d %s", cycles_, what.c_str(), run.status,
                        run.status == 0 ? run.out.c_str() : run.err.c_str());

        const bool succeeded = run.status == 0;
        if (!expected.statuses.count(run.status))
            Mismatch(what, "exit status " + std::to_string(run.status) + "; " + run.err + run.out);
        if (succeeded) {
            const char* text = command == Command::Read    ? "Read Success !\n"
                               : command == Command::Write ? "Write Sucess !\n"
                                                           : "Verify Sucess !\n";
            if (run.out != text) Mismatch(what, "success printed '" + run.out + "'");
        } else {
            // Once write frames went out, the message says the pager may hold part of the image.
            const bool framesWent = command == Command::Write && fault &&
                                    (fault->frame >= kFirstWrite ||
                                     (fault->kind == "hangup" && fault->frame == kModel));
            const bool noted = run.err.find(kPartlyWritten) != std::string::npos;
            if (noted != framesWent)
                Mismatch(what, std::string(framesWent ? "no" : "a") +
                                   " note that the pager may hold part of the image: " + run.err);
            bool named = expected.messages.empty();
            for (const auto& message : expected.messages)
                named |= run.err.find(message) != std::string::npos;
            if (!named) Mismatch(what, "message does not fit the fault: " + run.err);
        }

        // What the pager must hold now.
        if (command == Command::Write) {
            PagerImage now = before;
            const unsigned stored = succeeded ? 32 : expected.storedFrames;
            std::copy_n(newImage.begin(), stored * 8, now.begin());
            if (expected.lostFrame && !succeeded) {
                const unsigned at = (*expected.lostFrame - kFirstWrite) * 8;
                std::copy_n(before.begin() + at, 8, now.begin() + at);
            }
            predicted_ = now;
        }
        CheckMemory(what);

        // What FILE must hold now.
        const Bytes fileNow = test::ReadFileBytes(file);
        if (command == Command::Read && succeeded && fileNow != ToBytes(predicted_))
            Mismatch(what, "FILE does not hold what was read");
        if (command == Command::Write && succeeded && fileNow != ToBytes(newImage))
            Mismatch(what, "FILE does not hold the image as written (bytes " +
                               Differing(fileNow, newImage) + ")");
        if ((!succeeded || command == Command::Verify) && fileNow != fileBefore)
            Mismatch(what, "FILE changed although the command failed or only verified");
    }

    void CheckMemory(const std::string& what) {
        // The emulator saves before it acknowledges, and on its way out after a hang-up.
        const auto deadline = Clock::now() + std::chrono::seconds(2);
        for (;;) {
            Bytes memory;
            try {
                memory = test::ReadFileBytes(memoryFile_);
            } catch (const std::exception&) {
            }
            if (memory == ToBytes(predicted_)) return;
            if (Clock::now() > deadline) {
                Mismatch(what, "the pager holds another image (bytes " +
                                   Differing(memory, predicted_) + ")");
                predicted_ = ToImage(memory);  // go on from what it holds
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void Mismatch(const std::string& what, const std::string& detail) {
        ++mismatches_;
        std::printf("MISMATCH cycle %d, %s: %s\n", cycles_, what.c_str(), detail.c_str());
        std::fflush(stdout);
    }

    std::mt19937& random_;
    bool verbose_;
    test::TempDir dir_;
    std::string memoryFile_, readFile_, writeFile_;
    std::unique_ptr<test::SimProcess> board_;
    PagerImage predicted_{};
    int cycles_ = 0, commands_ = 0, mismatches_ = 0, restarts_ = 0;
    int baselineDescriptors_ = -1;
    std::map<std::string, int> faults_;
};

}  // namespace

int main(int argc, char** argv) {
    CLI::App app("Soak run of Read, Write and Verify through mk843nb-cli against mk843nb-sim");
    int cycles = 1000;
    double faultShare = 0.25;
    unsigned seed = static_cast<unsigned>(std::random_device{}());
    bool verbose = false;
    app.add_option("--cycles", cycles, "how many cycles of read, write and verify")
        ->check(CLI::PositiveNumber);
    app.add_option("--fault-share", faultShare, "the share of cycles with a fault")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--seed", seed, "the random seed (printed, to repeat a run)");
    app.add_flag("--verbose", verbose, "a line for every command");
    CLI11_PARSE(app, argc, argv);

    std::printf("seed        %u\n", seed);
    std::mt19937 random(seed);
    std::bernoulli_distribution faulty(faultShare);
    const auto start = Clock::now();
    int mismatches = 0;
    {
        Soak soak(random, verbose);
        for (int i = 0; i < cycles; ++i) {
            std::optional<Command> faulted;
            if (faulty(random)) faulted = static_cast<Command>(random() % 3);
            soak.Cycle(faulted);
            if (!verbose && (i + 1) % 100 == 0) {
                std::printf("... %d cycles\n", i + 1);
                std::fflush(stdout);
            }
        }
        soak.Report(std::chrono::duration<double>(Clock::now() - start).count());
        mismatches = soak.Mismatches();
    }
    return mismatches == 0 ? 0 : 1;
}
