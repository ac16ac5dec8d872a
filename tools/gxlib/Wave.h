// WAV files for the library tool: reading the format and samples, writing them back.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "engine/gxslib.h"

namespace vornu::gxlib {

struct Wave {
  TGXWaveFormat Format;
  std::vector<std::uint8_t> Data;
};

// Parses a RIFF WAVE file (plain or extensible format chunk); a missing chunk, a chunk longer
// than the file or an inconsistent format throws std::runtime_error saying what is wrong.
Wave ParseWave(std::span<const std::uint8_t> file);

// A RIFF WAVE file holding `data` in `format`.
std::vector<std::uint8_t> EncodeWave(const TGXWaveFormat& format,
                                     std::span<const std::uint8_t> data);

}  // namespace vornu::gxlib
