#pragma once

#include <memory>
#include <string>
#include <vector>

namespace mk843nb::sim {
class PseudoTerminal;
}

namespace mk843nb::test {

// Pseudo-terminals nobody answers on: a port with no board behind it. The
// program can open, write to and close them as often as it likes; they live as
// long as this object.
class SilentPtys {
public:
    explicit SilentPtys(std::size_t count);
    ~SilentPtys();
    SilentPtys(const SilentPtys&) = delete;
    SilentPtys& operator=(const SilentPtys&) = delete;

    const std::vector<std::string>& Paths() const { return paths_; }

private:
    std::vector<std::unique_ptr<sim::PseudoTerminal>> terminals_;
    std::vector<std::string> paths_;
};

}  // namespace mk843nb::test
