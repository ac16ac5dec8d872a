#include "tools/gxlib/Wave.h"

#include <cstring>
#include <optional>
#include <stdexcept>
#include <string>

namespace vornu::gxlib {
namespace {

std::uint32_t Get16(std::span<const std::uint8_t> b, std::size_t at) {
  return static_cast<std::uint32_t>(b[at] | b[at + 1] << 8);
}
std::uint32_t Get32(std::span<const std::uint8_t> b, std::size_t at) {
  return Get16(b, at) | Get16(b, at + 2) << 16;
}
void Put16(std::vector<std::uint8_t>& o, std::uint32_t v) {
  o.push_back(static_cast<std::uint8_t>(v));
  o.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& o, std::uint32_t v) {
  Put16(o, v & 0xFFFF);
  Put16(o, v >> 16);
}
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
    const std::uint32_t size = Get32(f, at + 4);
    const std::string id(reinterpret_cast<const char*>(f.data() + at), 4);
    if (size > f.size() - at - 8) {
      Fail("chunk \"" + id + "\" claims " + std::to_string(size) + " bytes, only " +
           std::to_string(f.size() - at - 8) + " follow");
    }
    auto body = f.subspan(at + 8, size);
    if (id == "fmt ") {
      if (size < 16) Fail("format chunk of " + std::to_string(size) + " bytes (at least 16)");
      TGXWaveFormat w;
      w.FormatTag = static_cast<std::uint16_t>(Get16(body, 0));
      w.Channels = static_cast<std::uint16_t>(Get16(body, 2));
      w.SamplesPerSec = Get32(body, 4);
      w.AvgBytesPerSec = Get32(body, 8);
      w.BlockAlign = static_cast<std::uint16_t>(Get16(body, 12));
      w.BitsPerSample = static_cast<std::uint16_t>(Get16(body, 14));
      if (w.FormatTag == 0xFFFE) {
        // The extensible form names its real format in the first two bytes of a GUID.
        if (size < 40) Fail("extensible format chunk of " + std::to_string(size) + " bytes");
        w.FormatTag = static_cast<std::uint16_t>(Get16(body, 24));
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
  PutId(o, "RIFF");
  Put32(o, 4 + 8 + 16 + 8 + size + (size & 1));
  PutId(o, "WAVE");
  PutId(o, "fmt ");
  Put32(o, 16);
  Put16(o, w.FormatTag);
  Put16(o, w.Channels);
  Put32(o, w.SamplesPerSec);
  Put32(o, w.AvgBytesPerSec);
  Put16(o, w.BlockAlign);
  Put16(o, w.BitsPerSample);
  PutId(o, "data");
  Put32(o, size);
  o.insert(o.end(), data.begin(), data.end());
  if (size & 1) o.push_back(0);
  return o;
}

}  // namespace vornu::gxlib
