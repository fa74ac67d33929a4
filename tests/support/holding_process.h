#pragma once

#include <sys/types.h>

#include <string>

namespace mk843nb::test {

// Another program on the port: a child process named program (as /proc/PID/comm
// shows it) that opens path, takes it exclusively (TIOCEXCL, which binds no
// root) and sleeps until it is killed. It keeps none of this process's
// descriptors, so it holds no pseudo-terminal master the test may have.
class HoldingProcess {
public:
    HoldingProcess(const std::string& path, const std::string& program);
    ~HoldingProcess();  // kills and reaps the child
    HoldingProcess(const HoldingProcess&) = delete;
    HoldingProcess& operator=(const HoldingProcess&) = delete;

    pid_t Pid() const { return pid_; }

private:
    pid_t pid_ = -1;
};

}  // namespace mk843nb::test
