// The one shared audio output (44100 Hz, 16-bit, stereo) for music and sound samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace vornu::audio {

// The output format of the open device.
struct Format {
  int Frequency = 44100;
  int Channels = 2;
  int BitsPerSample = 16;
};

// Opens the device once (later calls only report): the soundfont is chosen first (the user's
// data directories, then /usr/share/sounds/sf2 and sf3), then the mixer opens. Returns whether
// the device is open. With no device, one line on stderr says so and the game goes on silent.
bool Open();
// Whether the device is open.
bool IsOpen();
// The format of the open device (the fixed one above).
Format DeviceFormat();
// Whether MIDI music can play: device open and a soundfont found.
bool MusicAvailable();
// The soundfont chosen, empty when none was found.
std::string SoundFont();
// Plays a short tone (80 ms, 880 Hz); false when there is no device.
bool PlayBeep();
// Closes the device (all sounds and music stop); Open may open it again.
void Close();

// The soundfont that Open would choose, searching the given data directories (colon-separated,
// as XDG_DATA_HOME/XDG_DATA_DIRS) and then the system directories; empty when none.
std::string FindSoundFont(const std::string& DataHome, const std::string& DataDirs);

// The most one sound may take in the device format: 64 MiB, six minutes and a third.
constexpr std::uint64_t kMaxSoundBytes = std::uint64_t{64} << 20;

// Bytes that Bytes of PCM samples of the given format come to in the device format (whole
// frames only; the conversion gives at most this much).
std::uint64_t DeviceBytes(std::uint64_t Bytes, int SamplesPerSec, int BitsPerSample, int Channels);
// Why such samples are too long to play (their converted size passes kMaxSoundBytes); empty
// when they are not.
std::string SoundSizeProblem(std::uint64_t Bytes, int SamplesPerSec, int BitsPerSample,
                             int Channels);

// One sound sample converted to the device format, played on a mixer channel of its own.
class SoundChunk {
 public:
  // Converts PCM samples (BitsPerSample 8 unsigned or 16 signed little-endian, Channels 1 or
  // 2, 1000 to 192000 Hz) to the device format, a piece at a time. Throws std::runtime_error
  // when the device is not open, the format is not one of these or the converted sound would
  // pass kMaxSoundBytes.
  SoundChunk(const void* Data, std::size_t Bytes, int SamplesPerSec, int BitsPerSample,
             int Channels);
  ~SoundChunk();
  SoundChunk(const SoundChunk&) = delete;
  SoundChunk& operator=(const SoundChunk&) = delete;

  // Starts playing from the start (Looping: until Stop); a playing chunk restarts.
  void Play(bool Looping);
  // Stops playing; nothing when silent.
  void Stop();
  // Whether the chunk is playing.
  bool Playing() const;
  // Volume in hundredths of a decibel, -10000 (silent) .. 0 (full).
  void SetVolume(int Hundredths);
  // Pan in hundredths of a decibel, -10000 (left only) .. 10000 (right only).
  void SetPan(int Hundredths);
  int Volume() const { return volume_; }
  int Pan() const { return pan_; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  int volume_ = 0;
  int pan_ = 0;
};

}  // namespace vornu::audio
