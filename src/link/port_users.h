#pragma once

// Who else uses a serial port, found out from the system (/proc, lock files)
// before the port is opened. The kernel's exclusive flag on a terminal binds
// nobody running as root, so without this look a second program would open a
// port another one holds and both would read the same line.

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace mk843nb {

// Where the system keeps what the port checks read; tests point these at their own folders.
struct SystemPaths {
    std::string proc = "/proc";
    std::string byId = "/dev/serial/by-id";
    // Folders where serial programs leave their lock files ("LCK..ttyUSB0").
    std::vector<std::string> lockDirs = {"/run/lock", "/var/lock", "/tmp", "/var/tmp"};
};

struct PortHolder {
    pid_t pid = 0;
    std::string program;  // the process's name, as /proc/PID/comm gives it

    bool operator==(const PortHolder&) const = default;
};

// True when path is a terminal device a serial line can run on: a character
// device of one of the system's terminal drivers (/proc/tty/drivers), other
// than the controlling terminal, the console and the pseudo-terminal masters.
// /dev/null, a regular file or a folder is none. Where the driver list cannot
// be read, every character device counts as one.
bool IsTerminalDevice(const std::string& path, const SystemPaths& paths = {});

// One walk through /proc: which processes other than this one have which
// terminal devices open. The process behind a pseudo-terminal's master side is
// the far end of that line (the board emulator keeps the slave open beside its
// master), not another user of it, and does not count for that terminal.
class PortUsers {
public:
    static PortUsers Scan(const SystemPaths& paths = {});

    // The other processes with devicePath's device open, in pid order.
    std::vector<PortHolder> Of(const std::string& devicePath) const;

private:
    struct Use {
        dev_t device = 0;
        pid_t pid = 0;
    };
    std::vector<Use> uses_;
    std::map<pid_t, std::string> programs_;
    std::multimap<unsigned, pid_t> ptyMasters_;  // pseudo-terminal index -> master's process
};

// While one of these lives on a thread, the port opens there check for other
// users against one walk through /proc, made at the first of them, instead of
// one walk each: the board search opens every listed port at once.
class SharedPortUsersScan {
public:
    SharedPortUsersScan();
    ~SharedPortUsersScan();
    SharedPortUsersScan(const SharedPortUsersScan&) = delete;
    SharedPortUsersScan& operator=(const SharedPortUsersScan&) = delete;

    // The open scan's snapshot (made now if this is the first use), or a fresh
    // walk when no scan is open on this thread.
    static PortUsers Current(const SystemPaths& paths = {});

private:
    std::optional<PortUsers> users_;
    SharedPortUsersScan* outer_;
};

// The other processes using devicePath: those live lock files name, or else
// those users saw with it open (a lock file names the one that uses the line,
// where the descriptors may also show others that merely keep it open).
std::vector<PortHolder> HoldersOf(const std::string& devicePath, const PortUsers& users,
                                  const SystemPaths& paths = {});

// Why a port must not be opened: "not a serial port", or "in use by minicom
// (pid 42)" with the holders; nothing when it may be opened (a path that does
// not exist is left to the open to report).
struct PortRefusal {
    std::string reason;
    std::vector<PortHolder> holders;  // empty when the path is no serial port
};
std::optional<PortRefusal> CheckBeforeOpen(const std::string& devicePath,
                                           const SystemPaths& paths = {});

}  // namespace mk843nb
