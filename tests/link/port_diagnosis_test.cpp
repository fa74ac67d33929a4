// Diagnosis of a port that cannot be used, on real devices: pseudo-terminals
// held by another process, a node the user may not open, missing paths.

#include "link/port_diagnosis.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>

#include "holding_process.h"
#include "link/comm_port.h"
#include "sim_process.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

constexpr uid_t kNobody = 65534;

// A pseudo-terminal pair; the slave is the "device".
class Pty {
public:
    Pty() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            throw std::runtime_error("no pseudo-terminal");
        path_ = ::ptsname(master_);
    }
    ~Pty() { ::close(master_); }
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;
    const std::string& Path() const { return path_; }

private:
    int master_ = -1;
    std::string path_;
};

// Runs DiagnosePort as an unprivileged user in a child process; the fault and
// the text come back through a pipe.
std::pair<PortFault, std::string> DiagnoseAsNobody(const std::string& path) {
    int out[2];
    if (::pipe(out) != 0) throw std::runtime_error("pipe");
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(out[0]);
        if (::setgroups(0, nullptr) != 0 || ::setresgid(kNobody, kNobody, kNobody) != 0 ||
            ::setresuid(kNobody, kNobody, kNobody) != 0)
            ::_exit(1);
        const PortDiagnosis d = DiagnosePort(path);
        const std::string reply = std::to_string(static_cast<int>(d.fault)) + "\n" + d.text;
        (void)!::write(out[1], reply.data(), reply.size());
        ::_exit(0);
    }
    ::close(out[1]);
    std::string reply;
    char buffer[512];
    for (ssize_t got; (got = ::read(out[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, got);
    ::close(out[0]);
    ::waitpid(pid, nullptr, 0);
    const auto newline = reply.find('\n');
    if (newline == std::string::npos) throw std::runtime_error("the child did not answer");
    return {static_cast<PortFault>(std::stoi(reply.substr(0, newline))), reply.substr(newline + 1)};
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

struct PortDiagnosisTest : testing::Test {
    PortDiagnosisTest() {
        ::mkdir(byId.c_str(), 0755);
        ::mkdir(lockDir.c_str(), 0755);
        paths.byId = byId;
        paths.lockDirs = {lockDir};
    }
    TempDir dir;
    std::string byId = dir.File("by-id");
    std::string lockDir = dir.File("lock");
    SystemPaths paths;
};

TEST_F(PortDiagnosisTest, AFreeDeviceHasNoFault) {
    Pty pty;
    const PortDiagnosis d = DiagnosePort(pty.Path(), paths);
    EXPECT_EQ(d.fault, PortFault::None) << d.text;
    EXPECT_EQ(d.text, "");
}

TEST_F(PortDiagnosisTest, MissingDeviceNamesTheAdaptersThatArePluggedIn) {
    Pty adapter;
    ASSERT_EQ(::symlink(adapter.Path().c_str(),
                        (byId + "/usb-FTDI_FT232R_USB_UART_A10K-if00-port0").c_str()),
              0);
    struct Case {
        std::string name;
        std::vector<std::string> says;
        std::vector<std::string> saysNot;
    };
    const std::string ptsName = adapter.Path().substr(adapter.Path().rfind('/') + 1);
    for (const Case& c : {
             Case{dir.File("ttyUSB9"),
                  {dir.File("ttyUSB9") + ": no such device.", "not plugged in",
                   byId + "/usb-FTDI_FT232R_USB_UART_A10K-if00-port0 (" + ptsName + ")"},
                  {}},
             Case{dir.File("ttyACM3"), {"no such device.", "not plugged in"}, {}},
             Case{dir.File("ttyS40"), {"no such device."}, {"plugged", "by-id"}},
         }) {
        SCOPED_TRACE(c.name);
        const PortDiagnosis d = DiagnosePort(c.name, paths);
        EXPECT_EQ(d.fault, PortFault::Missing);
        for (const auto& part : c.says) EXPECT_TRUE(Contains(d.text, part)) << d.text;
        for (const auto& part : c.saysNot) EXPECT_FALSE(Contains(d.text, part)) << d.text;
    }
    paths.byId = dir.File("no-by-id");
    EXPECT_TRUE(Contains(DiagnosePort(dir.File("ttyUSB9"), paths).text,
                         "No adapter is listed in " + paths.byId + "."));
}

TEST_F(PortDiagnosisTest, HeldDeviceNamesItsHolderAndTheWayToStopIt) {
    struct Case {
        const char* program;
        const char* advice;  // "" for none
    };
    for (const Case& c :
         {Case{"minicom", ""}, Case{"ModemManager", "ENV{ID_MM_DEVICE_IGNORE}=\"1\""},
          Case{"brltty", "sudo systemctl stop brltty-udev.service"}}) {
        SCOPED_TRACE(c.program);
        Pty pty;
        test::HoldingProcess holder(pty.Path(), c.program);
        const PortDiagnosis d = DiagnosePort(pty.Path(), paths);
        EXPECT_EQ(d.fault, PortFault::Busy);
        ASSERT_EQ(d.holders.size(), 1u);
        EXPECT_EQ(d.holders[0].pid, holder.Pid());
        EXPECT_EQ(d.holders[0].program, c.program);
        EXPECT_TRUE(Contains(d.text, pty.Path() + " is in use by " + c.program + " (pid " +
                                         std::to_string(holder.Pid()) + ")"))
            << d.text;
        EXPECT_FALSE(Contains(d.text, "dialout")) << "a busy port is no permission problem";
        if (*c.advice) {
            EXPECT_TRUE(Contains(d.text, c.advice)) << d.text;
        } else {
            EXPECT_FALSE(Contains(d.text, "systemctl")) << d.text;
        }
    }
}

TEST_F(PortDiagnosisTest, LockFileNamesAHolderWhoseDescriptorsCannotBeSeen) {
    Pty pty;
    std::string flat = pty.Path().substr(5);  // "pts/4" names "LCK..pts_4"
    std::replace(flat.begin(), flat.end(), '/', '_');
    test::HoldingProcess user("/dev/null", "mk843nb-cli");  // alive, the device not open
    std::ofstream(lockDir + "/LCK.." + flat) << user.Pid() << "\nmk843nb-cli\nhost\n";
    const PortDiagnosis d = DiagnosePort(pty.Path(), paths);
    EXPECT_EQ(d.fault, PortFault::Busy);
    ASSERT_EQ(d.holders, (std::vector<PortHolder>{{user.Pid(), "mk843nb-cli"}}));

    // The lock file names the user of the line; others that keep it open are not listed.
    {
        test::HoldingProcess keeper(pty.Path(), "keeper");
        const PortDiagnosis locked = DiagnosePort(pty.Path(), paths);
        ASSERT_EQ(locked.holders.size(), 1u);
        EXPECT_EQ(locked.holders[0].pid, user.Pid());
    }

    // Neither this process's own lock nor one left behind by a process that has ended holds it.
    for (const long pid : {long{::getpid()}, 999999999L}) {
        std::ofstream(lockDir + "/LCK.." + flat, std::ios::trunc) << pid << "\n";
        EXPECT_EQ(DiagnosePort(pty.Path(), paths).fault, PortFault::None) << pid;
    }
}

// Lock folders are writable by everyone: a named pipe or a link to the endless
// device planted under a lock file's name neither keeps the diagnosis waiting
// nor fills memory, and names no holder.
TEST_F(PortDiagnosisTest, ALockFileThatIsNoRegularFileHoldsNothingAndIsNotWaitedOn) {
    Pty pty;
    std::string flat = pty.Path().substr(5);
    std::replace(flat.begin(), flat.end(), '/', '_');
    const std::string lock = lockDir + "/LCK.." + flat;
    for (const bool pipe : {true, false}) {
        std::remove(lock.c_str());
        if (pipe)
            ASSERT_EQ(::mkfifo(lock.c_str(), 0600), 0);
        else
            ASSERT_EQ(::symlink("/dev/zero", lock.c_str()), 0);
        const PortDiagnosis d = DiagnosePort(pty.Path(), paths);
        EXPECT_EQ(d.fault, PortFault::None) << (pipe ? "pipe: " : "device: ") << d.text;
        EXPECT_TRUE(d.holders.empty());
    }
}

TEST_F(PortDiagnosisTest, ExclusiveDeviceOfAnotherUserIsInUseByAnotherProgram) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop to another user";
    Pty pty;
    ASSERT_EQ(::chmod(pty.Path().c_str(), 0666), 0);
    test::HoldingProcess holder(pty.Path(), "holder");
    const auto [fault, text] = DiagnoseAsNobody(pty.Path());
    EXPECT_EQ(fault, PortFault::Busy) << text;
    EXPECT_EQ(text, pty.Path() + " is in use by another program. Close it and try again.");
}

TEST_F(PortDiagnosisTest, PermissionNamesTheDevicesOwnGroupAndTheCommand) {
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to drop to another user";
    struct Case {
        const char* group;
        mode_t mode;
        std::string says;
    };
    for (const Case& c : {
             Case{"dialout", 0660,
                  "the device belongs to the group dialout. Add yourself to it "
                  "with: sudo usermod -aG dialout $USER, then log in again."},
             Case{"uucp", 0660, "sudo usermod -aG uucp $USER"},
             Case{"dialout", 0600, "only its owner (root) may open it."},
         }) {
        SCOPED_TRACE(std::string(c.group) + " " + std::to_string(c.mode));
        const group* entry = ::getgrnam(c.group);
        if (entry == nullptr) continue;
        Pty pty;
        ASSERT_EQ(::chown(pty.Path().c_str(), 0, entry->gr_gid), 0);
        ASSERT_EQ(::chmod(pty.Path().c_str(), c.mode), 0);
        const auto [fault, text] = DiagnoseAsNobody(pty.Path());
        EXPECT_EQ(fault, PortFault::Permission);
        EXPECT_EQ(text.rfind("Permission denied on " + pty.Path() + ": ", 0), 0u) << text;
        EXPECT_TRUE(Contains(text, c.says)) << text;
    }
}

TEST_F(PortDiagnosisTest, ByIdAliasesLeadToTheirDevices) {
    Pty first;
    Pty second;
    ASSERT_EQ(::symlink(first.Path().c_str(), (byId + "/usb-B-if00").c_str()), 0);
    ASSERT_EQ(::symlink(second.Path().c_str(), (byId + "/usb-A-if00").c_str()), 0);
    ASSERT_EQ(::symlink(dir.File("gone").c_str(), (byId + "/usb-C-if00").c_str()), 0);
    const auto aliases = ByIdAliases(paths);
    EXPECT_EQ(aliases, (std::map<std::string, std::string>{{first.Path(), byId + "/usb-B-if00"},
                                                           {second.Path(), byId + "/usb-A-if00"}}))
        << "a dangling link names no device";
}

TEST_F(PortDiagnosisTest, APortsByIdNameIsTheFirstThatLeadsToItsDevice) {
    Pty pty;
    Pty other;
    ASSERT_EQ(::symlink(pty.Path().c_str(), (byId + "/usb-B-if00").c_str()), 0);
    ASSERT_EQ(::symlink(pty.Path().c_str(), (byId + "/usb-A-if00").c_str()), 0);
    struct Case {
        std::string port;
        std::string byIdName;
    };
    const std::vector<Case> cases{
        {pty.Path(), byId + "/usb-A-if00"},
        // A by-id name is its own, not the first of its device's.
        {byId + "/usb-B-if00", byId + "/usb-B-if00"},
        {other.Path(), ""},
        {dir.File("ttyUSB9"), ""},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(ByIdNameOf(c.port, paths), c.byIdName) << c.port;
    EXPECT_EQ(ByIdNameOf(pty.Path(), {.byId = dir.File("none")}), "");
}

TEST(DevicePathOf, NamesLiveUnderDevPathsStay) {
    EXPECT_EQ(DevicePathOf("ttyUSB0"), "/dev/ttyUSB0");
    EXPECT_EQ(DevicePathOf("/dev/serial/by-id/usb-x"), "/dev/serial/by-id/usb-x");
}

// What TCommPort makes of a path before it opens anything.
ECommError OpenRefusal(const std::string& path) {
    TCommPort port;
    port.SetPortName(path);
    try {
        port.Open();
    } catch (const ECommError& error) {
        return error;
    }
    port.Close();
    return {CommErrorCode::CannotOpen, 0, "opened", false};
}

TEST_F(PortDiagnosisTest, PathThatIsNoTerminalIsNotASerialPortWhoeverHasItOpen) {
    const std::string file = dir.File("notes.txt");
    std::ofstream(file) << "not a port\n";
    test::HoldingProcess holder("/dev/null", "minicom");
    for (const std::string& path : {std::string("/dev/null"), file, dir.Path()}) {
        SCOPED_TRACE(path);
        const PortDiagnosis d = DiagnosePort(path, paths);
        EXPECT_EQ(d.fault, PortFault::NotSerial);
        EXPECT_EQ(d.text, path + " is not a serial port.");
        const ECommError refused = OpenRefusal(path);
        EXPECT_EQ(refused.code, CommErrorCode::CannotOpen);
        EXPECT_EQ(refused.reason, "not a serial port");
        EXPECT_FALSE(refused.permissionDenied);
    }
    std::ifstream in(file);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a port\n");
}

TEST_F(PortDiagnosisTest, PortHeldByAnotherProcessIsRefusedBeforeAnythingIsSent) {
    Pty pty;
    test::HoldingProcess holder(pty.Path(), "minicom");
    const ECommError refused = OpenRefusal(pty.Path());
    EXPECT_EQ(refused.code, CommErrorCode::CannotOpen);
    EXPECT_EQ(refused.reason, "in use by minicom (pid " + std::to_string(holder.Pid()) + ")");
    EXPECT_TRUE(refused.permissionDenied) << "the start-up warning looks into held ports";

    // Through a symbolic link, as a by-id name leads to its device.
    const std::string link = dir.File("ttyPAGER");
    ASSERT_EQ(::symlink(pty.Path().c_str(), link.c_str()), 0);
    EXPECT_EQ(OpenRefusal(link).reason, refused.reason);
}

TEST_F(PortDiagnosisTest, ThisProcessAndTheFarEndOfAPseudoTerminalHoldNothing) {
    {
        // This process with the port open, as the board search's probes or the
        // window's own port have it.
        Pty pty;
        const int own = ::open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(own, 0);
        EXPECT_EQ(DiagnosePort(pty.Path(), paths).fault, PortFault::None);
        EXPECT_EQ(CheckBeforeOpen(pty.Path()), std::nullopt);
        ::close(own);
    }
    // The emulator keeps the slave open beside its master: it is the board, not a user.
    test::SimProcess sim({"--baud", "0"});
    const PortDiagnosis d = DiagnosePort(sim.DevicePath(), paths);
    EXPECT_EQ(d.fault, PortFault::None) << d.text;
    EXPECT_EQ(CheckBeforeOpen(sim.DevicePath()), std::nullopt);
    // Another program beside it is.
    test::HoldingProcess holder(sim.DevicePath(), "screen");
    EXPECT_EQ(FindHolders(sim.DevicePath(), paths),
              (std::vector<PortHolder>{{holder.Pid(), "screen"}}));
}

}  // namespace
}  // namespace mk843nb::test
