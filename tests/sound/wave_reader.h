#pragma once

// Reading a WAV file back through libsndfile, for the tests.

#include <cstdint>
#include <string>
#include <vector>

namespace mk843nb::test {

struct WaveContents {
    bool opened = false;
    std::string error;
    int format = 0;  // libsndfile's SF_FORMAT_* bits
    int channels = 0;
    int sampleRate = 0;
    std::vector<std::int16_t> samples;
};

WaveContents ReadWave(const std::string& path);

}  // namespace mk843nb::test
