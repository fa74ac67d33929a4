#include "cli_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include "test_files.h"

extern char** environ;

namespace mk843nb::test {
namespace {

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

namespace {

CliRun Run(const std::string& program, std::vector<std::string> args,
           const std::string& workingDirectory, char* const* environment) {
    const TempDir capture;
    const std::string out = capture.File("stdout");
    const std::string err = capture.File("stderr");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    CliRun run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environment) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadText(out);
    run.err = ReadText(err);
    return run;
}

}  // namespace

CliRun RunCli(std::vector<std::string> args, const std::string& workingDirectory) {
    return Run(MK843NB_CLI_PATH, std::move(args), workingDirectory, environ);
}

CliRun RunProgram(const std::string& program, std::vector<std::string> args,
                  const std::vector<std::string>& environment) {
    std::vector<std::string> copy = environment;
    std::vector<char*> env;
    for (auto& entry : copy) env.push_back(entry.data());
    env.push_back(nullptr);
    return Run(program, std::move(args), {}, env.data());
}

}  // namespace mk843nb::test
