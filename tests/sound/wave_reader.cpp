#include "wave_reader.h"

#include <sndfile.h>

namespace mk843nb::test {

WaveContents ReadWave(const std::string& path) {
    WaveContents contents;
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (file == nullptr) {
        contents.error = sf_strerror(nullptr);
        return contents;
    }
    contents.opened = true;
    contents.format = info.format;
    contents.channels = info.channels;
    contents.sampleRate = info.samplerate;
    contents.samples.resize(static_cast<std::size_t>(info.frames * info.channels));
    const sf_count_t got = sf_read_short(file, contents.samples.data(),
                                         static_cast<sf_count_t>(contents.samples.size()));
    contents.samples.resize(static_cast<std::size_t>(got));
    sf_close(file);
    return contents;
}

}  // namespace mk843nb::test
