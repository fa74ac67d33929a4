#pragma once

#include <string>

namespace mk843nb::sim {

// The master side of a pseudo-terminal whose slave device the program opens as
// its serial port. The emulator keeps a slave descriptor of its own open all the
// time: without it the master sees a hang-up each time the program closes the
// port (which it does after every command) and the next open would find a line
// in that state.
class PseudoTerminal {
public:
    // Creates the pair in raw mode, 9600 8N1; throws std::system_error.
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }
    bool IsOpen() const { return master_ >= 0; }

    // Bytes sent to the program that it has not read yet.
    int PendingForProgram() const;

    // Closes both sides: whoever has the slave open sees a hang-up, and loses
    // what it has not read yet.
    void Close();

private:
    int master_ = -1;
    int heldSlave_ = -1;
    std::string slavePath_;
};

}  // namespace mk843nb::sim
