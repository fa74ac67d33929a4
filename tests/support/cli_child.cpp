#include "cli_child.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <thread>

#include "test_files.h"

extern char** environ;

namespace mk843nb::test {
CliChild::CliChild(std::vector<std::string> args, const std::string& input,
                   const std::string& workingDirectory) {
    std::string folder = std::filesystem::temp_directory_path() / "mk843nb-cli-XXXXXX";
    if (::mkdtemp(folder.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    folder_ = folder;
    std::ofstream(folder_ + "/stdin", std::ios::binary) << input;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, (folder_ + "/stdin").c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (folder_ + "/stdout").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, (folder_ + "/stderr").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    args.insert(args.begin(), MK843NB_CLI_PATH);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) throw std::runtime_error("cannot start mk843nb-cli");
}

CliChild::~CliChild() {
    if (!ended_ && pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::string CliChild::Out() const { return ReadFileText(folder_ + "/stdout"); }

bool CliChild::WaitForOut(const std::string& text, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (Out().find(text) != std::string::npos) return true;
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid_)
            return Out().find(text) != std::string::npos;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void CliChild::Interrupt() const { ::kill(pid_, SIGINT); }

void CliChild::Signal(int signal) const { ::kill(pid_, signal); }

CliRun CliChild::Wait(std::chrono::milliseconds timeout) {
    CliRun run;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    while (!ended_) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        } else if (std::chrono::steady_clock::now() >= deadline) {
            break;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    run.out = Out();
    run.err = ReadFileText(folder_ + "/stderr");
    return run;
}

}  // namespace mk843nb::test
