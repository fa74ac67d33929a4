#include "silent_ptys.h"

#include "pseudo_terminal.h"

namespace mk843nb::test {

SilentPtys::SilentPtys(std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        terminals_.push_back(std::make_unique<sim::PseudoTerminal>());
        paths_.push_back(terminals_.back()->SlavePath());
    }
}

SilentPtys::~SilentPtys() = default;

}  // namespace mk843nb::test
