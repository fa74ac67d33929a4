#pragma once

#include <cstdio>
#include <string>

#include "frames.h"
#include "paced_line.h"

namespace mk843nb::sim {

// One line per event on stderr, seconds since the start first:
//      0.012345 rx #1 42 72 65 6E 7A 61 6C 6F 66 74 33 52 03 00 00 00 00 88
//      0.031250 tx #1 42 72 ...
//      0.031250 -- #1 fault bad-checksum
//      1.500000 -- dropped 3 bytes that start no request: 00 11 22
// Frames are numbered as the fault options count them.
class Trace {
public:
    Trace(bool enabled, Clock::time_point start, std::FILE* out = stderr);

    void Received(unsigned frame, Clock::time_point when, const Bytes& bytes);
    void Sent(unsigned frame, Clock::time_point when, const Bytes& bytes);
    void Note(Clock::time_point when, const std::string& text);
    void Note(unsigned frame, Clock::time_point when, const std::string& text);

private:
    void Line(Clock::time_point when, const std::string& rest);

    bool enabled_;
    Clock::time_point start_;
    std::FILE* out_;
};

std::string Hex(const Bytes& bytes);

}  // namespace mk843nb::sim
