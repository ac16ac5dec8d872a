// Sound libraries: the "SL10" container of wave samples with their pan and volume, and its
// component.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Classes.h"

namespace vornu {

// The platform's wave-format record as stored in a sound header (20 bytes).
struct TGXWaveFormat {
  std::uint16_t FormatTag = 1;  // 1 = integer PCM, 3 = IEEE float
  std::uint16_t Channels = 0;
  std::uint32_t SamplesPerSec = 0;
  std::uint32_t AvgBytesPerSec = 0;
  std::uint16_t BlockAlign = 0;
  std::uint16_t BitsPerSample = 0;
  std::uint16_t ExtraSize = 0;
  std::array<std::uint8_t, 2> Padding{};  // carried along unchanged
  friend bool operator==(const TGXWaveFormat&, const TGXWaveFormat&) = default;
};

struct TGXSoundHeader {
  TGXWaveFormat Format;
  std::array<std::uint8_t, 12> Reserved{};  // carried along unchanged
  std::int32_t Pan = 0;     // hundredths of a decibel, -10000 (left) .. 10000 (right)
  std::int32_t Volume = 0;  // hundredths of a decibel, -10000 (silent) .. 0 (full)
  std::int32_t Size = 0;    // bytes of sample data
  friend bool operator==(const TGXSoundHeader&, const TGXSoundHeader&) = default;
};

struct TGXSound {
  TGXSoundHeader Header;
  std::vector<std::uint8_t> Data;  // Header.Size bytes; empty once freed
  friend bool operator==(const TGXSound&, const TGXSound&) = default;
};

// Why the sound player cannot play samples of this format (integer PCM of 8 or 16 bits, mono
// or stereo, 1 to 192 kHz, block alignment matching); empty when it can.
std::string WaveFormatProblem(const TGXWaveFormat& f);

// Why the sound player cannot play this sound: its format (as above), or its samples would
// take more than 64 MiB in the device format; empty when it can.
std::string SoundPlayProblem(const TGXSoundHeader& h);

class TGXSounds {
 public:
  static constexpr std::size_t kHeaderSize = 8;
  static constexpr std::size_t kSoundHeaderSize = 44;

  TGXSounds();

  int Count() const { return static_cast<int>(sounds_.size()); }
  bool Empty() const { return sounds_.empty(); }
  // Sound i, zero-based; throws std::out_of_range outside 0..Count()-1.
  const TGXSound& Sound(int i) const;
  const std::array<std::uint8_t, 4>& Magic() const { return magic_; }

  // Appends a sound; its Size becomes the data's size (EGXLibrary when above 2 GiB).
  void Add(const TGXWaveFormat& format, std::span<const std::uint8_t> data, std::int32_t pan = 0,
           std::int32_t volume = 0, const std::array<std::uint8_t, 12>& reserved = {});

  // Whether every sound still holds its sample data.
  bool HasData() const;
  // Drops the sample data and keeps the headers (the sounds live on in playback buffers).
  void FreeData();
  void Free();

  // Reads one sound library from the start of `data` and returns the bytes it took. The
  // container is emptied first and stays empty when the data is refused (EGXLibrary).
  std::size_t ReadFromStream(std::span<const std::uint8_t> data);
  // Appends the stream; throws EGXLibrary when sample data has been freed.
  void WriteToStream(std::vector<std::uint8_t>& out) const;
  std::vector<std::uint8_t> ToBytes() const;
  void LoadFromFile(const std::string& path);
  void SaveToFile(const std::string& path) const;

  // Deep copy of `src` into this container (this is left unchanged when memory runs out).
  void Assign(const TGXSounds& src);

  friend bool operator==(const TGXSounds&, const TGXSounds&) = default;

 private:
  std::array<std::uint8_t, 4> magic_;
  std::vector<TGXSound> sounds_;
};

class TGXAudio;

// The sound library component: holds a TGXSounds and loads it from a file. Sound players
// that use it are told when it goes away.
class TGXSoundLib : public TComponent {
 public:
  explicit TGXSoundLib(TComponent* Owner = nullptr);
  // Every player still using the library forgets it (and frees its buffers).
  ~TGXSoundLib() override;

  const TGXSounds& Sounds() const { return sounds_; }
  // Takes a deep copy of Value; the library no longer counts as loaded from a file.
  void SetSounds(const TGXSounds& Value);
  // Reads FileName into Sounds and remembers the name. A refused file throws EGXLibrary
  // naming it and leaves the library as it was.
  void LoadFromFile(const std::string& FileName);
  // Reads the remembered file again; throws EGXLibrary "LoadFromFile must be called first"
  // when none was loaded.
  void Reload();
  const std::string& FileName() const { return fileName_; }
  bool LoadedFromFile() const { return !fileName_.empty(); }
  int Count() const { return sounds_.Count(); }
  // Drops the sample data once playback buffers hold it.
  void FreeData() { sounds_.FreeData(); }

 private:
  friend class TGXAudio;
  std::vector<TGXAudio*> players_;
  TGXSounds sounds_;
  std::string fileName_;
};

}  // namespace vornu
