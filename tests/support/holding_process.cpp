#include "holding_process.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <stdexcept>

namespace mk843nb::test {

HoldingProcess::HoldingProcess(const std::string& path, const std::string& program) {
    int ready[2];
    if (::pipe(ready) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork");
    if (pid_ == 0) {
        // Only calls that are safe after a fork of a process with threads.
        const int report = ready[1];
        if (report > 3) ::close_range(3, static_cast<unsigned>(report) - 1, 0);
        ::close_range(static_cast<unsigned>(report) + 1, UINT_MAX, 0);
        ::prctl(PR_SET_NAME, program.c_str());
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) ::ioctl(fd, TIOCEXCL);
        const char ok = fd >= 0 ? '1' : '0';
        (void)!::write(report, &ok, 1);
        ::close(report);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char ok = '0';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    if (ok != '1') {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        throw std::runtime_error("the holder could not open " + path);
    }
}

HoldingProcess::~HoldingProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

}  // namespace mk843nb::test
