#include "link/port_diagnosis.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "link/directory_entries.h"

namespace mk843nb {
namespace {

std::string BaseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsUsbName(const std::string& path) {
    const std::string base = BaseName(path);
    return base.starts_with("ttyUSB") || base.starts_with("ttyACM") ||
           path.find("/serial/by-") != std::string::npos;
}

std::string MissingText(const std::string& path, const SystemPaths& paths) {
    std::string text = path + ": no such device.";
    if (!IsUsbName(path)) return text;
    text += " The USB adapter is not plugged in, or it came back under another name.";
    const auto aliases = ByIdAliases(paths);
    if (aliases.empty()) return text + " No adapter is listed in " + paths.byId + ".";
    text += " Adapters plugged in now:";
    bool first = true;
    for (const auto& [device, alias] : aliases) {
        text += (first ? " " : ", ") + alias + " (" + BaseName(device) + ")";
        first = false;
    }
    return text + ".";
}

std::string BusyText(const std::string& path, const std::vector<PortHolder>& holders) {
    std::string text = path + " is in use by ";
    if (holders.empty()) return text + "another program. Close it and try again.";
    for (std::size_t i = 0; i < holders.size(); ++i) {
        if (i > 0) text += ", ";
        const std::string& program = holders[i].program;
        text += (program.empty() ? std::string("a program") : program) + " (pid " +
                std::to_string(holders[i].pid) + ")";
    }
    text += ". Close it and try again.";
    for (const PortHolder& holder : holders) {
        if (holder.program == "ModemManager") {
            text +=
                " ModemManager probes every new serial adapter for a modem: stop it (sudo "
                "systemctl stop ModemManager), or keep it off this device with a udev rule that "
                "sets ENV{ID_MM_DEVICE_IGNORE}=\"1\".";
        } else if (holder.program == "brltty") {
            text +=
                " brltty, a braille display driver, claims some USB serial adapters: stop it "
                "(sudo systemctl stop brltty-udev.service brltty.service), or remove the brltty "
                "package if no braille display is used.";
        }
    }
    return text;
}

// True when the user's entry in the group database lists them in gid, though
// this session's groups do not: they were added and have not logged in again.
bool AddedButNotLoggedInAgain(gid_t gid) {
    const passwd* user = ::getpwuid(::getuid());
    const group* entry = ::getgrgid(gid);
    if (user == nullptr || entry == nullptr) return false;
    bool listed = false;
    for (char** member = entry->gr_mem; member && *member; ++member)
        listed = listed || std::strcmp(*member, user->pw_name) == 0;
    if (!listed) return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(::getgroups(0, nullptr), 0)));
    const int count = ::getgroups(static_cast<int>(groups.size()), groups.data());
    return std::find(groups.begin(), groups.begin() + std::max(count, 0), gid) ==
           groups.begin() + std::max(count, 0);
}

PortDiagnosis PermissionDiagnosis(const std::string& path, const struct stat& st) {
    PortDiagnosis diagnosis{PortFault::Permission, "", {}, ""};
    const group* entry = ::getgrgid(st.st_gid);
    diagnosis.group = entry ? entry->gr_name : std::to_string(st.st_gid);
    std::string& text = diagnosis.text;
    text = "Permission denied on " + path + ": ";
    const bool groupMayUse = (st.st_mode & S_IRGRP) && (st.st_mode & S_IWGRP);
    if (!groupMayUse) {
        const passwd* owner = ::getpwuid(st.st_uid);
        const std::string ownerName =
            owner ? std::string(owner->pw_name) : "uid " + std::to_string(st.st_uid);
        text += "only its owner (" + ownerName +
                ") may open it. A udev rule can give the device to a group of users.";
        return diagnosis;
    }
    text += "the device belongs to the group " + diagnosis.group + ". ";
    if (AddedButNotLoggedInAgain(st.st_gid)) {
        text += "You were added to it after this session started: log in again.";
    } else {
        text += "Add yourself to it with: sudo usermod -aG " + diagnosis.group +
                " $USER, then log in again.";
    }
    return diagnosis;
}

}  // namespace

std::string DevicePathOf(const std::string& name) {
    return !name.empty() && name.front() == '/' ? name : "/dev/" + name;
}

std::vector<PortHolder> FindHolders(const std::string& devicePath, const SystemPaths& paths) {
    return HoldersOf(devicePath, PortUsers::Scan(paths), paths);
}

std::map<std::string, std::string> ByIdAliases(const SystemPaths& paths) {
    std::map<std::string, std::string> aliases;
    for (const std::string& name : DirectoryEntries(paths.byId)) {
        const std::string alias = paths.byId + "/" + name;
        std::unique_ptr<char, void (*)(void*)> real(::realpath(alias.c_str(), nullptr), std::free);
        if (real) aliases.emplace(real.get(), alias);  // the first name of a device in sort order
    }
    return aliases;
}

std::string ByIdNameOf(const std::string& port, const SystemPaths& paths) {
    if (port.empty()) return {};
    const std::string device = DevicePathOf(port);
    std::unique_ptr<char, void (*)(void*)> real(::realpath(device.c_str(), nullptr), std::free);
    if (!real) return {};
    if (std::filesystem::path(device).parent_path() == std::filesystem::path(paths.byId))
        return device;
    const auto aliases = ByIdAliases(paths);
    const auto alias = aliases.find(real.get());
    return alias != aliases.end() ? alias->second : std::string();
}

PortDiagnosis DiagnosePort(const std::string& name, const SystemPaths& paths) {
    const std::string path = DevicePathOf(name);
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return {PortFault::Missing, MissingText(path, paths), {}, ""};
        return {PortFault::Other, path + ": " + std::strerror(errno) + ".", {}, ""};
    }
    // Before anything else: the processes that have /dev/null open hold no serial port.
    if (!IsTerminalDevice(path, paths))
        return {PortFault::NotSerial, path + " is not a serial port.", {}, ""};
    std::vector<PortHolder> holders = FindHolders(path, paths);
    if (!holders.empty()) return {PortFault::Busy, BusyText(path, holders), holders, ""};

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
        ::close(fd);
        return {};
    }
    switch (errno) {
        case EACCES:
        case EPERM:
            return PermissionDiagnosis(path, st);
        case EBUSY:
            return {PortFault::Busy, BusyText(path, {}), {}, ""};
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return {PortFault::Missing, MissingText(path, paths), {}, ""};
        default:
            return {PortFault::Other, path + ": " + std::strerror(errno) + ".", {}, ""};
    }
}

}  // namespace mk843nb
