#include "sim_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace mk843nb::test {
namespace {

using Clock = std::chrono::steady_clock;

int DecodeStatus(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

std::string MakeTraceFile() {
    const char* dir = std::getenv("TMPDIR");
    std::string name = std::string(dir && *dir ? dir : "/tmp") + "/mk843nb-sim-trace-XXXXXX";
    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        throw std::runtime_error(std::string("cannot create the emulator's trace file: ") +
                                 std::strerror(errno));
    ::close(fd);
    return name;
}

}  // namespace

std::string SimProcess::ExecutablePath() {
    if (const char* path = std::getenv("MK843NB_SIM"); path && *path) return path;
    return MK843NB_SIM_PATH;
}

SimProcess::SimProcess(std::vector<std::string> options, std::chrono::milliseconds startTimeout) {
    tracePath_ = MakeTraceFile();
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe2 failed");

    std::vector<std::string> args{ExecutablePath(), "--trace"};
    args.insert(args.end(), options.begin(), options.end());
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, tracePath_.c_str(),
                                     O_WRONLY | O_APPEND, 0);
    const int spawned = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    stdoutFd_ = out[0];
    if (spawned != 0) {
        pid_ = -1;
        ::close(stdoutFd_);
        std::remove(tracePath_.c_str());
        throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(spawned));
    }

    // The first line of stdout is the device path.
    std::string line;
    const auto deadline = Clock::now() + startTimeout;
    while (line.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd fd{stdoutFd_, POLLIN, 0};
        const int ready = left.count() > 0 ? ::poll(&fd, 1, static_cast<int>(left.count())) : 0;
        if (ready < 0 && errno == EINTR) continue;
        char buffer[256];
        const ssize_t got = ready > 0 ? ::read(stdoutFd_, buffer, sizeof buffer) : 0;
        if (got <= 0) {
            const std::string why = ready == 0 ? "printed no device within the start time-out"
                                               : "ended before printing its device";
            Stop();
            const std::string trace = Trace();
            std::remove(tracePath_.c_str());
            ::close(stdoutFd_);
            throw std::runtime_error("mk843nb-sim " + why + "; stderr: " + trace);
        }
        line.append(buffer, static_cast<std::size_t>(got));
    }
    devicePath_ = line.substr(0, line.find('\n'));
}

SimProcess::~SimProcess() {
    Stop();
    if (stdoutFd_ >= 0) ::close(stdoutFd_);
    std::remove(tracePath_.c_str());
}

bool SimProcess::Running() {
    if (exitStatus_ || pid_ < 0) return false;
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exitStatus_ = DecodeStatus(status);
        return false;
    }
    return true;
}

std::optional<int> SimProcess::WaitForExit(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (Running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return exitStatus_;
}

int SimProcess::Stop(std::chrono::milliseconds timeout) {
    if (pid_ < 0) return -1;
    if (Running()) {
        ::kill(pid_, SIGTERM);
        if (!WaitForExit(timeout)) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            ::waitpid(pid_, &status, 0);
            exitStatus_ = DecodeStatus(status);
        }
    }
    return exitStatus_.value_or(-1);
}

std::string SimProcess::Trace() const {
    std::ifstream in(tracePath_);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool SimProcess::WaitForTrace(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (Trace().find(text) != std::string::npos) return true;
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Lines look like "    0.012345 rx #1 42 72 65 ...".
std::vector<SimFrame> SimProcess::Frames() const {
    std::vector<SimFrame> frames;
    std::istringstream lines(Trace());
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        double seconds = 0;
        std::string direction, number;
        if (!(words >> seconds >> direction >> number) ||
            (direction != "rx" && direction != "tx") || number.size() < 2 || number[0] != '#')
            continue;
        SimFrame frame{
            direction == "rx" ? SimFrame::Direction::Received : SimFrame::Direction::Sent,
            static_cast<unsigned>(std::stoul(number.substr(1))),
            seconds,
            {}};
        std::string hex;
        while (words >> hex)
            frame.bytes.push_back(static_cast<std::uint8_t>(std::stoul(hex, nullptr, 16)));
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<Bytes> SimProcess::Received() const {
    std::vector<Bytes> result;
    for (auto& frame : Frames())
        if (frame.direction == SimFrame::Direction::Received)
            result.push_back(std::move(frame.bytes));
    return result;
}

std::vector<Bytes> SimProcess::Sent() const {
    std::vector<Bytes> result;
    for (auto& frame : Frames())
        if (frame.direction == SimFrame::Direction::Sent) result.push_back(std::move(frame.bytes));
    return result;
}

}  // namespace mk843nb::test
