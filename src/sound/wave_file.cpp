#include "sound/wave_file.h"

#include <sndfile.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "files/atomic_write.h"

namespace mk843nb {
namespace {

// A growing byte buffer that libsndfile writes into as if it were a file, so the
// finished file can go to disk in one atomic step.
struct MemoryFile {
    std::string bytes;
    sf_count_t position = 0;
};

MemoryFile& FileOf(void* user) { return *static_cast<MemoryFile*>(user); }

sf_count_t Length(void* user) { return static_cast<sf_count_t>(FileOf(user).bytes.size()); }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    MemoryFile& file = FileOf(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = file.position;
    if (whence == SEEK_END) base = static_cast<sf_count_t>(file.bytes.size());
    if (base + offset < 0) return -1;
    file.position = base + offset;
    return file.position;
}

sf_count_t Read(void* data, sf_count_t count, void* user) {
    MemoryFile& file = FileOf(user);
    const auto size = static_cast<sf_count_t>(file.bytes.size());
    const sf_count_t got = std::clamp<sf_count_t>(size - file.position, 0, count);
    std::memcpy(data, file.bytes.data() + file.position, static_cast<std::size_t>(got));
    file.position += got;
    return got;
}

sf_count_t Write(const void* data, sf_count_t count, void* user) {
    MemoryFile& file = FileOf(user);
    const auto end = static_cast<std::size_t>(file.position + count);
    if (file.bytes.size() < end) file.bytes.resize(end);
    std::memcpy(file.bytes.data() + file.position, data, static_cast<std::size_t>(count));
    file.position += count;
    return count;
}

sf_count_t Tell(void* user) { return FileOf(user).position; }

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

}  // namespace

std::optional<std::string> WaveFileBytes(std::span<const std::int16_t> samples, int sampleRate,
                                         std::string* error) {
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    MemoryFile memory;
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    std::unique_ptr<SNDFILE, SndfileCloser> file(sf_open_virtual(&io, SFM_WRITE, &info, &memory));
    if (!file) {
        if (error) *error = sf_strerror(nullptr);
        return std::nullopt;
    }
    const auto count = static_cast<sf_count_t>(samples.size());
    if (sf_write_short(file.get(), samples.data(), count) != count) {
        if (error) *error = sf_strerror(file.get());
        return std::nullopt;
    }
    file.reset();  // closing writes the final sizes into the header
    return std::move(memory.bytes);
}

std::optional<std::string> WriteWaveFile(const std::filesystem::path& path,
                                         std::span<const std::int16_t> samples, int sampleRate,
                                         FileSystemCalls& calls) {
    std::string error;
    const std::optional<std::string> bytes = WaveFileBytes(samples, sampleRate, &error);
    if (!bytes) return "the sound library cannot make the WAV file: " + error;
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes->data()),
                                             bytes->size());
    if (!WriteFileAtomically(path, data, calls))
        return "cannot write " + path.string() + ": " + SaveFailureReason(path, path, errno);
    return std::nullopt;
}

}  // namespace mk843nb
