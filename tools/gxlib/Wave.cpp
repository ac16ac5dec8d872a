#include "tools/gxlib/Wave.h"

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

#include "engine/GXLibStream.h"

namespace vornu::gxlib {
namespace {

void PutId(std::vector<std::uint8_t>& o, const char* id) {
  for (int i = 0; i < 4; ++i) o.push_back(static_cast<std::uint8_t>(id[i]));
}

[[noreturn]] void Fail(const std::string& what) {
  throw std::runtime_error(what);
}

bool IdIs(std::span<const std::uint8_t> b, std::size_t at, const char* id) {
  return std::memcmp(b.data() + at, id, 4) == 0;
}

}  // namespace

Wave ParseWave(std::span<const std::uint8_t> f) {
  if (f.size() < 12 || !IdIs(f, 0, "RIFF") || !IdIs(f, 8, "WAVE")) {
    Fail("not a WAV file (no RIFF WAVE header)");
  }
  std::optional<TGXWaveFormat> format;
  std::optional<std::span<const std::uint8_t>> data;
  std::size_t at = 12;
  while (at + 8 <= f.size() && !(format && data)) {
    const std::uint32_t size = TGXByteReader(f.subspan(at + 4, 4)).U32("chunk size");
    const std::string id(reinterpret_cast<const char*>(f.data() + at), 4);
    if (size > f.size() - at - 8) {
      Fail("chunk \"" + id + "\" claims " + std::to_string(size) + " bytes, only " +
           std::to_string(f.size() - at - 8) + " follow");
    }
    auto body = f.subspan(at + 8, size);
    if (id == "fmt ") {
      if (size < 16) Fail("format chunk of " + std::to_string(size) + " bytes (at least 16)");
      TGXWaveFormat w;
      TGXByteReader in(body);
      w.FormatTag = in.U16("format tag");
      w.Channels = in.U16("channels");
      w.SamplesPerSec = in.U32("sample rate");
      w.AvgBytesPerSec = in.U32("byte rate");
      w.BlockAlign = in.U16("block alignment");
      w.BitsPerSample = in.U16("bits per sample");
      if (w.FormatTag == 0xFFFE) {
        // The extensible form names its real format in the first two bytes of a GUID.
        if (size < 40) Fail("extensible format chunk of " + std::to_string(size) + " bytes");
        in.Block(8, "extension");
        w.FormatTag = in.U16("format GUID");
      }
      format = w;
    } else if (id == "data") {
      data = body;
    }
    at += 8 + static_cast<std::size_t>(size) + (size & 1);
  }
  if (!format) Fail("no format chunk");
  if (!data) Fail("no data chunk");
  const TGXWaveFormat& w = *format;
  if (w.Channels == 0 || w.BitsPerSample == 0 || w.SamplesPerSec == 0) {
    Fail("format of " + std::to_string(w.Channels) + " channels, " +
         std::to_string(w.BitsPerSample) + " bits, " + std::to_string(w.SamplesPerSec) +
         " Hz is empty");
  }
  if (w.BlockAlign != w.Channels * ((w.BitsPerSample + 7u) / 8u)) {
    Fail("block alignment " + std::to_string(w.BlockAlign) + " does not match " +
         std::to_string(w.Channels) + " channels of " + std::to_string(w.BitsPerSample) + " bits");
  }
  if (static_cast<std::uint64_t>(w.AvgBytesPerSec) !=
      static_cast<std::uint64_t>(w.SamplesPerSec) * w.BlockAlign) {
    Fail("average rate " + std::to_string(w.AvgBytesPerSec) + " bytes/s does not match " +
         std::to_string(w.SamplesPerSec) + " Hz x " + std::to_string(w.BlockAlign) + " bytes");
  }
  if (data->size() > 0x7FFFFFFFu) Fail("sample data above 2 GiB");
  Wave wave;
  wave.Format = w;
  // Only whole sample frames are kept; a trailing partial frame cannot be played.
  const std::size_t whole = data->size() - data->size() % w.BlockAlign;
  wave.Data.assign(data->begin(), data->begin() + static_cast<std::ptrdiff_t>(whole));
  return wave;
}

std::vector<std::uint8_t> EncodeWave(const TGXWaveFormat& w, std::span<const std::uint8_t> data) {
  std::vector<std::uint8_t> o;
  const auto size = static_cast<std::uint32_t>(data.size());
  o.reserve(44 + data.size() + 1);
  TGXByteWriter out(o);
  PutId(o, "RIFF");
  out.U32(4 + 8 + 16 + 8 + size + (size & 1));
  PutId(o, "WAVE");
  PutId(o, "fmt ");
  out.U32(16);
  out.U16(w.FormatTag);
  out.U16(w.Channels);
  out.U32(w.SamplesPerSec);
  out.U32(w.AvgBytesPerSec);
  out.U16(w.BlockAlign);
  out.U16(w.BitsPerSample);
  PutId(o, "data");
  out.U32(size);
  o.insert(o.end(), data.begin(), data.end());
  if (size & 1) o.push_back(0);
  return o;
}

}  // namespace vornu::gxlib
