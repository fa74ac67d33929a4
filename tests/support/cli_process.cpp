#include "cli_process.h"

#include <fcntl.h>
#include <grp.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "test_files.h"

extern char** environ;

namespace mk843nb::test {
namespace {

std::vector<char*> Argv(std::vector<std::string>& args, const char* program = MK843NB_CLI_PATH) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    return argv;
}

int StatusOf(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

CliRun RunCli(std::vector<std::string> args, const std::string& workingDirectory) {
    const TempDir capture;
    const std::string out = capture.File("stdout");
    const std::string err = capture.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    std::vector<char*> argv = Argv(args);
    pid_t pid = -1;
    CliRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        run.status = StatusOf(pid);
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadFileText(out);
    run.err = ReadFileText(err);
    return run;
}

CliRun RunProgram(const std::string& program, std::vector<std::string> args,
                  const std::vector<std::string>& environment) {
    const TempDir capture;
    const std::string out = capture.File("stdout");
    const std::string err = capture.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char*> argv = Argv(args, program.c_str());
    std::vector<std::string> entries = environment;
    std::vector<char*> env;
    for (auto& entry : entries) env.push_back(entry.data());
    env.push_back(nullptr);
    pid_t pid = -1;
    CliRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) == 0)
        run.status = StatusOf(pid);
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadFileText(out);
    run.err = ReadFileText(err);
    return run;
}

CliRun RunCliAs(uid_t uid, gid_t gid, std::vector<std::string> args,
                const std::string& workingDirectory) {
    const TempDir capture;
    const std::string out = capture.File("stdout");
    const std::string err = capture.File("stderr");
    std::vector<char*> argv = Argv(args);
    CliRun run;
    const pid_t pid = fork();
    if (pid == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (outFd < 0 || errFd < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0) _exit(127);
        if (!workingDirectory.empty() && chdir(workingDirectory.c_str()) != 0) _exit(127);
        if (setgroups(0, nullptr) != 0 || setresgid(gid, gid, gid) != 0 ||
            setresuid(uid, uid, uid) != 0)
            _exit(127);
        execve(argv[0], argv.data(), environ);
        _exit(127);
    }
    if (pid > 0) run.status = StatusOf(pid);
    run.out = ReadFileText(out);
    run.err = ReadFileText(err);
    return run;
}

}  // namespace mk843nb::test
