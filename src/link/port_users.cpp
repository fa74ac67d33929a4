#include "link/port_users.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string_view>

#include "files/regular_file.h"
#include "link/directory_entries.h"

namespace mk843nb {
namespace {

// The pseudo-terminal multiplexer: every master side is a descriptor of it.
constexpr unsigned kPtmxMajor = 5;
constexpr unsigned kPtmxMinor = 2;
// Pseudo-terminal slaves: /dev/pts/N is this major with minor N.
constexpr unsigned kPtySlaveMajor = 136;

thread_local SharedPortUsersScan* activeScan = nullptr;

// Lock folders are writable by everyone: a named pipe planted under a lock
// file's name must not keep the port list waiting, nor a huge file fill memory.
constexpr std::size_t kSmallFileLimit = 64 * 1024;

// The file's text, empty when it is no regular file or cannot be read; a
// stream over it so the readers below parse it as they parsed the file.
std::istringstream SmallFile(const std::string& path) {
    std::string why;
    return std::istringstream(ReadRegularFile(path, kSmallFileLimit, why).value_or(""));
}

bool IsNumber(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string ProgramOf(pid_t pid, const SystemPaths& paths) {
    std::istringstream in = SmallFile(paths.proc + "/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(in, name);
    return name;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The pseudo-terminal a master descriptor leads to ("tty-index:" in its fdinfo).
std::optional<unsigned> PtyIndexOf(const std::string& fdInfo) {
    std::istringstream in = SmallFile(fdInfo);
    for (std::string line; std::getline(in, line);) {
        if (!line.starts_with("tty-index:")) continue;
        std::istringstream value(line.substr(10));
        unsigned index = 0;
        if (value >> index) return index;
    }
    return std::nullopt;
}

// The holders live lock files name. Programs name the file after the device in
// one of three ways: "LCK..ttyUSB0", the path under /dev ("LCK..pts_4") or the
// whole path ("LCK.._tmp_ttyPAGER").
std::vector<PortHolder> LockFileHolders(const std::string& devicePath, const SystemPaths& paths) {
    const auto flat = [](std::string text) {
        std::replace(text.begin(), text.end(), '/', '_');
        return text;
    };
    const std::string underDev =
        devicePath.starts_with("/dev/") ? devicePath.substr(5) : devicePath;
    std::vector<PortHolder> holders;
    for (const std::string& dir : paths.lockDirs) {
        for (const std::string& name : {"LCK.." + BaseName(devicePath), "LCK.." + flat(underDev),
                                        "LCK.." + flat(devicePath)}) {
            std::istringstream in = SmallFile(dir + "/" + name);
            long pid = 0;
            if (!(in >> pid) || pid <= 0 || pid == ::getpid()) continue;
            struct stat st {};
            if (::stat((paths.proc + "/" + std::to_string(pid)).c_str(), &st) != 0) continue;
            if (std::any_of(holders.begin(), holders.end(),
                            [&](const PortHolder& h) { return h.pid == pid; }))
                continue;
            holders.push_back({static_cast<pid_t>(pid), ProgramOf(static_cast<pid_t>(pid), paths)});
        }
    }
    return holders;
}

struct TtyDriver {
    unsigned major = 0;
    unsigned firstMinor = 0;
    unsigned lastMinor = 0;
    std::string type;
};

std::optional<std::vector<TtyDriver>> TtyDrivers(const SystemPaths& paths) {
    std::string why;
    const std::optional<std::string> text =
        ReadRegularFile(paths.proc + "/tty/drivers", kSmallFileLimit, why);
    if (!text) return std::nullopt;
    std::istringstream in(*text);
    std::vector<TtyDriver> drivers;
    // "serial  /dev/ttyS  4 64-95 serial": name, node, major, minors, type.
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string name, node, minors;
        TtyDriver driver;
        if (!(fields >> name >> node >> driver.major >> minors >> driver.type)) continue;
        const auto dash = minors.find('-');
        try {
            driver.firstMinor = static_cast<unsigned>(std::stoul(minors.substr(0, dash)));
            driver.lastMinor = dash == std::string::npos
                                   ? driver.firstMinor
                                   : static_cast<unsigned>(std::stoul(minors.substr(dash + 1)));
        } catch (const std::exception&) {
            continue;
        }
        drivers.push_back(driver);
    }
    return drivers;
}

}  // namespace

bool IsTerminalDevice(const std::string& path, const SystemPaths& paths) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    const auto drivers = TtyDrivers(paths);
    if (!drivers || drivers->empty()) return true;
    const unsigned major = ::major(st.st_rdev);
    const unsigned minor = ::minor(st.st_rdev);
    return std::any_of(drivers->begin(), drivers->end(), [&](const TtyDriver& d) {
        return d.major == major && minor >= d.firstMinor && minor <= d.lastMinor &&
               !d.type.starts_with("system") && d.type != "pty:master";
    });
}

PortUsers PortUsers::Scan(const SystemPaths& paths) {
    PortUsers users;
    const pid_t self = ::getpid();
    for (const std::string& entry : DirectoryEntries(paths.proc)) {
        if (!IsNumber(entry)) continue;
        const auto pid = static_cast<pid_t>(std::stol(entry));
        if (pid == self) continue;
        const std::string processDir = paths.proc + "/" + entry;
        bool usesTerminal = false;
        for (const std::string& fd : DirectoryEntries(processDir + "/fd")) {
            // Devices only: sockets, pipes and files are passed over without a stat.
            const std::string link = processDir + "/fd/" + fd;
            char target[6];
            if (::readlink(link.c_str(), target, sizeof target) < 5 ||
                std::string_view(target, 5) != "/dev/")
                continue;
            struct stat st {};
            if (::stat(link.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) continue;
            usesTerminal = true;
            if (::major(st.st_rdev) == kPtmxMajor && ::minor(st.st_rdev) == kPtmxMinor) {
                if (const auto index = PtyIndexOf(processDir + "/fdinfo/" + fd))
                    users.ptyMasters_.emplace(*index, pid);
                continue;
            }
            users.uses_.push_back({st.st_rdev, pid});
        }
        if (usesTerminal) users.programs_.emplace(pid, ProgramOf(pid, paths));
    }
    return users;
}

std::vector<PortHolder> PortUsers::Of(const std::string& devicePath) const {
    std::vector<PortHolder> holders;
    struct stat target {};
    if (::stat(devicePath.c_str(), &target) != 0 || !S_ISCHR(target.st_mode)) return holders;
    const bool ptySlave = ::major(target.st_rdev) == kPtySlaveMajor;
    const auto [masterFirst, masterEnd] = ptyMasters_.equal_range(::minor(target.st_rdev));
    const auto isFarEnd = [&, masterFirst = masterFirst, masterEnd = masterEnd](pid_t pid) {
        return ptySlave && std::any_of(masterFirst, masterEnd,
                                       [pid](const auto& master) { return master.second == pid; });
    };
    for (const Use& use : uses_) {
        if (use.device != target.st_rdev || isFarEnd(use.pid)) continue;
        if (std::any_of(holders.begin(), holders.end(),
                        [&](const PortHolder& h) { return h.pid == use.pid; }))
            continue;
        const auto program = programs_.find(use.pid);
        holders.push_back({use.pid, program == programs_.end() ? "" : program->second});
    }
    std::sort(holders.begin(), holders.end(),
              [](const PortHolder& a, const PortHolder& b) { return a.pid < b.pid; });
    return holders;
}

SharedPortUsersScan::SharedPortUsersScan() : outer_(activeScan) { activeScan = this; }

SharedPortUsersScan::~SharedPortUsersScan() { activeScan = outer_; }

PortUsers SharedPortUsersScan::Current(const SystemPaths& paths) {
    if (activeScan == nullptr) return PortUsers::Scan(paths);
    if (!activeScan->users_) activeScan->users_ = PortUsers::Scan(paths);
    return *activeScan->users_;
}

std::vector<PortHolder> HoldersOf(const std::string& devicePath, const PortUsers& users,
                                  const SystemPaths& paths) {
    std::unique_ptr<char, void (*)(void*)> real(::realpath(devicePath.c_str(), nullptr), std::free);
    std::vector<PortHolder> holders;
    for (const std::string& path : {devicePath, real ? std::string(real.get()) : devicePath}) {
        for (const PortHolder& holder : LockFileHolders(path, paths)) {
            if (std::find(holders.begin(), holders.end(), holder) == holders.end())
                holders.push_back(holder);
        }
    }
    return holders.empty() ? users.Of(devicePath) : holders;
}

std::optional<PortRefusal> CheckBeforeOpen(const std::string& devicePath,
                                           const SystemPaths& paths) {
    struct stat st {};
    if (::stat(devicePath.c_str(), &st) != 0) return std::nullopt;
    if (!IsTerminalDevice(devicePath, paths)) return PortRefusal{"not a serial port", {}};
    std::vector<PortHolder> holders =
        HoldersOf(devicePath, SharedPortUsersScan::Current(paths), paths);
    if (holders.empty()) return std::nullopt;
    std::string reason = "in use by ";
    for (std::size_t i = 0; i < holders.size(); ++i) {
        const std::string& program = holders[i].program;
        reason += (i > 0 ? ", " : "") + (program.empty() ? std::string("a program") : program) +
                  " (pid " + std::to_string(holders[i].pid) + ")";
    }
    return PortRefusal{reason, std::move(holders)};
}

}  // namespace mk843nb
