#include "pseudo_terminal.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

namespace mk843nb::sim {
namespace {

[[noreturn]] void Fail(const char* what) {
    throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) Fail("posix_openpt");
    try {
        if (::grantpt(master_) != 0) Fail("grantpt");
        if (::unlockpt(master_) != 0) Fail("unlockpt");
        char name[128];
        if (::ptsname_r(master_, name, sizeof name) != 0) Fail("ptsname_r");
        slavePath_ = name;
        heldSlave_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (heldSlave_ < 0) Fail("open pseudo-terminal slave");
        termios settings{};
        if (::tcgetattr(heldSlave_, &settings) != 0) Fail("tcgetattr");
        ::cfmakeraw(&settings);
        settings.c_cflag |= CLOCAL | CREAD;
        ::cfsetispeed(&settings, B9600);
        ::cfsetospeed(&settings, B9600);
        if (::tcsetattr(heldSlave_, TCSANOW, &settings) != 0) Fail("tcsetattr");
    } catch (...) {
        Close();
        throw;
    }
}

PseudoTerminal::~PseudoTerminal() { Close(); }

int PseudoTerminal::PendingForProgram() const {
    int count = 0;
    if (heldSlave_ < 0 || ::ioctl(heldSlave_, TIOCINQ, &count) != 0) return 0;
    return count;
}

void PseudoTerminal::Close() {
    if (heldSlave_ >= 0) ::close(heldSlave_);
    if (master_ >= 0) ::close(master_);
    heldSlave_ = master_ = -1;
}

}  // namespace mk843nb::sim
