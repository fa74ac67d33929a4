#include "sound_server.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli_process.h"

namespace mk843nb::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

pid_t Spawn(const std::string& program, std::vector<std::string> args,
            const std::vector<std::string>& environment, const std::string& output,
            const std::string& errors) {
    args.insert(args.begin(), program);
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> entries = environment;
    std::vector<char*> env;
    for (auto& entry : entries) env.push_back(entry.data());
    env.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND,
                                     0644);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// Asks the process to end with signal, waits for it, and kills it after a while.
void EndProcess(pid_t& pid, int signal) {
    if (pid <= 0) return;
    kill(pid, signal);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(10ms);
    }
    pid = -1;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder) / name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
    }
    return {};
}

std::vector<std::string> SoundClientEnvironment(const std::string& folder,
                                                const std::string& socket) {
    const fs::path home = fs::path(folder) / "home";
    const fs::path runtime = fs::path(folder) / "runtime";
    fs::create_directories(home);
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all);
    const fs::path clientConfig = fs::path(folder) / "client.conf";
    std::ofstream(clientConfig) << "autospawn = no\n";
    const char* path = std::getenv("PATH");
    std::vector<std::string> environment{
        std::string("PATH=") + (path ? path : "/usr/bin:/bin"),
        "HOME=" + home.string(),
        "XDG_RUNTIME_DIR=" + runtime.string(),
        "XDG_CONFIG_HOME=" + (home / ".config").string(),
        "PULSE_SERVER=unix:" + socket,
        "PULSE_CLIENTCONFIG=" + clientConfig.string(),
    };
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS", "TMPDIR"})
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    return environment;
}

SoundServer::SoundServer() {
    const std::string socket = folder_.File("native");
    environment_ = SoundClientEnvironment(folder_.Path(), socket);
    const std::string server = FindProgram("pulseaudio");
    const std::string pactl = FindProgram("pactl");
    if (server.empty() || pactl.empty()) {
        error_ = "pulseaudio and pactl are needed (scripts/install-deps.sh installs them)";
        return;
    }
    auto nullSink = [](const NullOutput& output) {
        return "module-null-sink sink_name=" + output.name +
               " rate=" + std::to_string(kServerRate) +
               " channels=1 sink_properties='device.description=\"" + output.description + "\"'";
    };
    const std::string log = folder_.File("server.log");
    pid_ = Spawn(
        server,
        {"-n", "--daemonize=no", "--use-pid-file=no", "--exit-idle-time=-1", "--disallow-exit",
         "--realtime=no", "--high-priority=no", "--no-cpu-limit", "--log-target=stderr", "-L",
         "module-native-protocol-unix auth-anonymous=1 socket=" + socket, "-L",
         nullSink(kPagesOutput), "-L", nullSink(kBenchOutput)},
        environment_, "/dev/null", log);
    const auto deadline = std::chrono::steady_clock::now() + 15s;
    while (pid_ > 0) {
        if (RunProgram(pactl, {"set-default-sink", kPagesOutput.name}, environment_).status == 0)
            return;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        if (std::chrono::steady_clock::now() > deadline) break;
        std::this_thread::sleep_for(50ms);
    }
    error_ = "the sound server did not start:\n" + ReadFileText(log);
}

SoundServer::~SoundServer() { EndProcess(pid_, SIGTERM); }

void SoundServer::Kill() { EndProcess(pid_, SIGKILL); }

Recorder::Recorder(const SoundServer& server, const NullOutput& output)
    : file_(folder_.File("recorded.raw")) {
    pid_ = Spawn(FindProgram("parec"),
                 {"--device=" + output.name + ".monitor", "--raw", "--format=s16le",
                  "--rate=" + std::to_string(kServerRate), "--channels=1"},
                 server.ClientEnvironment(), file_, folder_.File("recorder.log"));
}

Recorder::~Recorder() { EndProcess(pid_, SIGINT); }

bool Recorder::WaitStarted(std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::error_code error;
        if (fs::file_size(file_, error) >= kServerRate / 10 * 2) return true;  // 100 ms
        std::this_thread::sleep_for(10ms);
    }
    return false;
}

std::vector<std::int16_t> Recorder::Samples() const {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(file_);
    std::vector<std::int16_t> samples(bytes.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return samples;
}

std::vector<std::int16_t> Recorder::Stop() {
    EndProcess(pid_, SIGINT);
    return Samples();
}

std::vector<std::int16_t> Recorder::StopAfterSilence(std::chrono::milliseconds silence,
                                                     std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    const auto quiet = static_cast<std::size_t>(silence.count() * kServerRate / 1000);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::vector<std::int16_t> samples = Samples();
        std::size_t lastSound = samples.size();
        for (std::size_t i = samples.size(); i-- > 0;) {
            if (std::abs(static_cast<int>(samples[i])) > 100) {
                lastSound = i;
                break;
            }
        }
        if (lastSound < samples.size() && samples.size() - lastSound > quiet) break;
        std::this_thread::sleep_for(50ms);
    }
    return Stop();
}

void BecomeClientOf(const SoundServer& server) {
    for (const std::string& entry : server.ClientEnvironment()) {
        const auto equals = entry.find('=');
        ::setenv(entry.substr(0, equals).c_str(), entry.substr(equals + 1).c_str(), 1);
    }
}

}  // namespace mk843nb::test
