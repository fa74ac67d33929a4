// mk843nb-cli's start-up, whole process (start, work, exit): the median and
// the worst of N runs of --version, show and set, and how many shared
// libraries mk843nb-cli loads, next to mk843nb-cli-media, which page and
// tones chart are handed to. Scripts run show and set hundreds of times: the
// goal is show and set within 12 ms. A process that does nothing (/bin/true)
// is timed the same way first: on a loaded machine its time shows how much of
// each figure is the machine's and not the program's, and the CPU time each
// run used (user + system) is printed beside the wall time for the same reason.
//
//   bench_cli_startup [RUNS]   (default 30)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct RunTime {
    double wall = -1;  // milliseconds; -1 when the run failed
    double cpu = 0;    // user + system, milliseconds
};

// One run of args as a whole process, its output thrown away.
RunTime Run(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return {};
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double millis =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
    return {millis, ms(usage.ru_utime) + ms(usage.ru_stime)};
}

// The shared libraries the dynamic loader maps for program, as ldd lists them.
int SharedLibraries(const std::string& program) {
    const std::string command = "LD_TRACE_LOADED_OBJECTS=1 '" + program + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    int count = 0;
    std::array<char, 512> line{};
    while (std::fgets(line.data(), line.size(), pipe) != nullptr)
        if (std::string(line.data()).find(".so") != std::string::npos) ++count;
    return pclose(pipe) == 0 ? count : -1;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const std::string cli = MK843NB_CLI;
    const std::filesystem::path table =
        std::filesystem::temp_directory_path() /
        ("mk843nb-bench-startup-" + std::to_string(::getpid()) + ".tbl");
    std::filesystem::copy_file(MK843NB_FIXTURE, table,
                               std::filesystem::copy_options::overwrite_existing);

    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool judged;
    };
    const std::vector<Case> cases = {
        {"/bin/true", {"/bin/true"}, false},
        {"--version", {cli, "--version"}, false},
        {"show", {cli, "show", table.string()}, true},
        {"set", {cli, "set", table.string(), "T11=330.5"}, true},
    };
    bool met = true;
    std::printf("mk843nb-cli start-up, whole process, %d runs each:\n", runs);
    for (const Case& each : cases) {
        std::vector<double> millis;
        std::vector<double> cpu;
        for (int i = 0; i < runs; ++i) {
            const RunTime run = Run(each.args);
            if (run.wall < 0) {
                std::fprintf(stderr, "%s failed\n", each.name);
                std::filesystem::remove(table);
                return 1;
            }
            millis.push_back(run.wall);
            cpu.push_back(run.cpu);
        }
        std::sort(millis.begin(), millis.end());
        std::sort(cpu.begin(), cpu.end());
        const double median = millis[millis.size() / 2];
        if (each.judged && median > 12.0) met = false;
        std::printf("  %-10s median %6.2f ms, worst %6.2f ms, CPU median %5.2f ms\n", each.name,
                    median, millis.back(), cpu[cpu.size() / 2]);
    }
    std::filesystem::remove(table);
    std::printf(
        "shared libraries loaded: mk843nb-cli %d, mk843nb-cli-media (page, tones chart) %d\n",
        SharedLibraries(cli), SharedLibraries(MK843NB_CLI_MEDIA));
    std::printf("goal: show and set within 12 ms: %s\n", met ? "met" : "NOT met");
    return 0;
}
