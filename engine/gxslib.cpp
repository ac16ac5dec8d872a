#include "engine/gxslib.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "engine/GXLibStream.h"
#include "platform/AudioDevice.h"

namespace vornu {
namespace {

constexpr std::array<std::uint8_t, 4> kSoundMagic{'S', 'L', '1', '0'};
// A sound record in memory: the stream header plus the address of its data block.
constexpr std::size_t kSoundRecordBytes = TGXSounds::kSoundHeaderSize + 4;

std::string SoundName(std::size_t i, std::size_t n) {
  return "sound " + std::to_string(i) + " of " + std::to_string(n);
}

TGXWaveFormat ReadFormat(TGXByteReader& r, const std::string& what) {
  TGXWaveFormat f;
  f.FormatTag = r.U16(what);
  f.Channels = r.U16(what);
  f.SamplesPerSec = r.U32(what);
  f.AvgBytesPerSec = r.U32(what);
  f.BlockAlign = r.U16(what);
  f.BitsPerSample = r.U16(what);
  f.ExtraSize = r.U16(what);
  r.Bytes(f.Padding, what);
  return f;
}

void WriteFormat(TGXByteWriter& w, const TGXWaveFormat& f) {
  w.U16(f.FormatTag);
  w.U16(f.Channels);
  w.U32(f.SamplesPerSec);
  w.U32(f.AvgBytesPerSec);
  w.U16(f.BlockAlign);
  w.U16(f.BitsPerSample);
  w.U16(f.ExtraSize);
  w.Bytes(f.Padding);
}

}  // namespace

std::string WaveFormatProblem(const TGXWaveFormat& f) {
  if (f.FormatTag != 1) {
    return "format tag " + std::to_string(f.FormatTag) + " is not integer PCM (1)";
  }
  if (f.Channels != 1 && f.Channels != 2) {
    return std::to_string(f.Channels) + " channels (only mono and stereo play)";
  }
  if (f.BitsPerSample != 8 && f.BitsPerSample != 16) {
    return std::to_string(f.BitsPerSample) + "-bit samples (only 8 and 16 bits play)";
  }
  if (f.SamplesPerSec < 1000 || f.SamplesPerSec > 192000) {
    return "sample rate " + std::to_string(f.SamplesPerSec) + " Hz is outside 1000..192000";
  }
  const unsigned frame = f.Channels * f.BitsPerSample / 8u;
  if (f.BlockAlign != frame) {
    return "block alignment " + std::to_string(f.BlockAlign) + " does not match " +
           std::to_string(f.Channels) + " channels of " + std::to_string(f.BitsPerSample) +
           " bits (" + std::to_string(frame) + ")";
  }
  return {};
}

std::string SoundPlayProblem(const TGXSoundHeader& h) {
  std::string problem = WaveFormatProblem(h.Format);
  if (!problem.empty()) return problem;
  if (h.Size < 0) return "negative sample size " + std::to_string(h.Size);
  return audio::SoundSizeProblem(static_cast<std::uint64_t>(h.Size),
                                 static_cast<int>(h.Format.SamplesPerSec), h.Format.BitsPerSample,
                                 h.Format.Channels);
}

TGXSounds::TGXSounds() : magic_(kSoundMagic) {}

const TGXSound& TGXSounds::Sound(int i) const {
  if (i < 0 || i >= Count()) {
    throw std::out_of_range("sound " + std::to_string(i) + " outside 0.." +
                            std::to_string(Count() - 1));
  }
  return sounds_[static_cast<std::size_t>(i)];
}

void TGXSounds::Add(const TGXWaveFormat& format, std::span<const std::uint8_t> data,
                    std::int32_t pan, std::int32_t volume,
                    const std::array<std::uint8_t, 12>& reserved) {
  if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    throw EGXLibrary("sound of " + std::to_string(data.size()) +
                     " bytes is too large for a sound library");
  }
  TGXSound s;
  s.Header.Format = format;
  s.Header.Reserved = reserved;
  s.Header.Pan = pan;
  s.Header.Volume = volume;
  s.Header.Size = static_cast<std::int32_t>(data.size());
  s.Data.assign(data.begin(), data.end());
  sounds_.push_back(std::move(s));
}

bool TGXSounds::HasData() const {
  for (const TGXSound& s : sounds_) {
    if (s.Data.size() != static_cast<std::size_t>(s.Header.Size)) return false;
  }
  return true;
}

void TGXSounds::FreeData() {
  for (TGXSound& s : sounds_) std::vector<std::uint8_t>().swap(s.Data);
}

void TGXSounds::Free() {
  *this = TGXSounds();
}

std::size_t TGXSounds::ReadFromStream(std::span<const std::uint8_t> data) {
  Free();
  if (data.size() >= 4 && !MagicMatches(data, "SL10")) {
    throw EGXLibrary("Not a valid Sound Library File");
  }
  TGXByteReader r(data);
  r.Need(kHeaderSize, "sound library header");
  TGXSounds lib;
  r.Bytes(lib.magic_, "magic");
  const std::int32_t count = r.I32("sound count");
  // The count is checked against what the stream can hold before anything is allocated.
  if (count < 0) {
    throw EGXLibrary("Not a valid Sound Library File: sound count " + std::to_string(count) +
                     " is negative");
  }
  const auto n = static_cast<std::size_t>(count);
  if (n > r.Remaining() / kSoundHeaderSize) {
    throw EGXLibrary("Not a valid Sound Library File: " + std::to_string(count) +
                     " sounds cannot fit in the " + std::to_string(r.Remaining()) +
                     " bytes that follow the header");
  }
  try {
    lib.sounds_.reserve(n);
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXSounds: GemMem Failed for FSounds");
  }
  for (std::size_t i = 0; i < n; ++i) {
    const std::string name = SoundName(i, n);
    TGXSound s;
    s.Header.Format = ReadFormat(r, name + " header");
    r.Bytes(s.Header.Reserved, name + " header");
    s.Header.Pan = r.I32(name + " header");
    s.Header.Volume = r.I32(name + " header");
    s.Header.Size = r.I32(name + " header");
    if (s.Header.Size < 0) {
      throw EGXLibrary("Not a valid Sound Library File: " + name + " has a data size of " +
                       std::to_string(s.Header.Size) + " bytes");
    }
    auto block = r.Block(static_cast<std::size_t>(s.Header.Size), name + " sample data");
    try {
      s.Data.assign(block.begin(), block.end());
    } catch (const std::bad_alloc&) {
      throw EGXLibrary("TGXSounds: GemMem Failed for Sound.Data");
    }
    lib.sounds_.push_back(std::move(s));
  }
  *this = std::move(lib);
  return r.Offset();
}

void TGXSounds::WriteToStream(std::vector<std::uint8_t>& out) const {
  if (!HasData()) {
    throw EGXLibrary("sound library cannot be written: its sample data has been freed");
  }
  TGXByteWriter w(out);
  w.Bytes(magic_);
  w.I32(Count());
  for (const TGXSound& s : sounds_) {
    WriteFormat(w, s.Header.Format);
    w.Bytes(s.Header.Reserved);
    w.I32(s.Header.Pan);
    w.I32(s.Header.Volume);
    w.I32(s.Header.Size);
    w.Block(s.Data);
  }
}

std::vector<std::uint8_t> TGXSounds::ToBytes() const { return LibraryBytes(*this); }

void TGXSounds::LoadFromFile(const std::string& path) { LoadLibraryFile(*this, path); }

void TGXSounds::SaveToFile(const std::string& path) const { SaveLibraryFile(*this, path); }

void TGXSounds::Assign(const TGXSounds& src) {
  if (&src == this) return;
  TGXSounds copy;
  copy.magic_ = src.magic_;
  try {
    copy.sounds_.reserve(src.sounds_.size());
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("TGXSounds.AssignTo failed (GetMem): " +
                     std::to_string(src.sounds_.size() * kSoundRecordBytes));
  }
  for (const TGXSound& s : src.sounds_) {
    TGXSound c;
    c.Header = s.Header;
    try {
      c.Data = s.Data;
    } catch (const std::bad_alloc&) {
      throw EGXLibrary("TGXSounds.AssignTo failed");
    }
    copy.sounds_.push_back(std::move(c));
  }
  *this = std::move(copy);
}

TGXSoundLib::TGXSoundLib(TComponent* Owner) : TComponent(Owner) {}

void TGXSoundLib::SetSounds(const TGXSounds& Value) {
  TGXSounds copy;
  copy.Assign(Value);
  sounds_ = std::move(copy);
  fileName_.clear();
}

void TGXSoundLib::LoadFromFile(const std::string& FileName) {
  TGXSounds loaded;
  loaded.LoadFromFile(FileName);
  sounds_ = std::move(loaded);
  fileName_ = FileName;
}

void TGXSoundLib::Reload() {
  if (fileName_.empty()) throw EGXLibrary("LoadFromFile must be called first");
  LoadFromFile(std::string(fileName_));
}

}  // namespace vornu
