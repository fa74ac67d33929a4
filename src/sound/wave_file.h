#pragma once

// Test pages as WAV files: 16-bit PCM, one channel.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

#include "files/file_system_calls.h"

namespace mk843nb {

// The WAV file's bytes, made by libsndfile in memory; nullopt with the
// library's reason in *error when it refuses (a rate it cannot write).
std::optional<std::string> WaveFileBytes(std::span<const std::int16_t> samples, int sampleRate,
                                         std::string* error = nullptr);

// Replaces (or creates) the file with the samples as a WAV file, through the
// program's atomic writer: a failed write leaves the old file or none, never a
// part of one. nullopt on success, else what went wrong.
std::optional<std::string> WriteWaveFile(const std::filesystem::path& path,
                                         std::span<const std::int16_t> samples, int sampleRate,
                                         FileSystemCalls& calls = SystemFileCalls());

}  // namespace mk843nb
