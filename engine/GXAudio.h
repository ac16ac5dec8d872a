// The sound player: one playback buffer per sound of a sound library, on the shared audio device.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "engine/GX.h"
#include "engine/gxslib.h"
#include "platform/Classes.h"

namespace vornu {

namespace audio {
class SoundChunk;
}

// One sound converted to the device's format, with its pan and volume.
class TGXSoundBuffer {
 public:
  // A buffer for Data in Header's wave format; a format the player cannot play, data shorter
  // than Header.Size or a closed device throws EGXLibrary "CreateSoundBuffer Failed: ...".
  TGXSoundBuffer(const TGXSoundHeader& Header, std::span<const std::uint8_t> Data);
  // Stops, then releases the buffer.
  ~TGXSoundBuffer();
  TGXSoundBuffer(const TGXSoundBuffer&) = delete;
  TGXSoundBuffer& operator=(const TGXSoundBuffer&) = delete;

  // Plays the sound from its start, mixed with every other playing sound (a playing sound
  // restarts); Looping repeats it until Stop. A lost buffer calls OnLost instead: the owner
  // rebuilds its buffers, and this one is gone when the call returns.
  void Play(bool Looping = false);
  // Stops playing; nothing when silent.
  void Stop();
  bool Playing() const;
  // Hundredths of a decibel: -10000 (silent) .. 0 (full); outside throws "SetVolume Failed".
  void SetVolume(std::int32_t Value);
  // Hundredths of a decibel: -10000 (left only) .. 10000 (right only); outside throws
  // "SetPan Failed".
  void SetPan(std::int32_t Value);
  std::int32_t Volume() const { return volume_; }
  std::int32_t Pan() const { return pan_; }

  // Bytes of sample data in the sound's own format.
  std::int32_t Size() const { return size_; }
  // The two values kept from the wave format: frames per second and bytes per frame, which
  // give the sound's length.
  std::uint32_t SamplesPerSec() const { return samplesPerSec_; }
  std::uint16_t BlockAlign() const { return blockAlign_; }
  // Length of the sound in milliseconds.
  std::uint32_t LengthMs() const;

  // Marks the buffer as lost (the device went away under it); Play then calls OnLost.
  void MarkLost() { lost_ = true; }
  bool IsLost() const { return lost_; }
  std::function<void()> OnLost;

 private:
  std::unique_ptr<audio::SoundChunk> chunk_;
  std::int32_t size_ = 0;
  std::uint32_t samplesPerSec_ = 0;
  std::uint16_t blockAlign_ = 0;
  std::int32_t volume_ = 0;
  std::int32_t pan_ = 0;
  bool lost_ = false;
};

// The sound player component. On a form with a screen it starts at the form's activation
// (after the display is set up); on a form without one, when its settings are loaded.
class TGXAudio : public TComponent, public TGXSoundDevice {
 public:
  explicit TGXAudio(TComponent* Owner = nullptr);
  // Frees every buffer and stops using the library.
  ~TGXAudio() override;

  TGXSoundLib* SoundLibrary() const { return library_; }
  // Frees every buffer, takes the library (or none) and, once started, builds the buffers.
  void SetSoundLibrary(TGXSoundLib* Value);
  TNotifyEvent OnInitialize;

  // Opens the shared device ("Failed to Create DirectSound" when there is none), checks its
  // output format (PCM, 2 channels, 44100 Hz, 16 bits), builds the buffers of the library
  // and raises OnInitialize. A started player does nothing.
  void Start();
  void StartSoundDevice() override { Start(); }
  bool Started() const { return started_; }
  // Starts the player when the owner form has no screen to start it at activation.
  void Loaded() override;

  // Frees every buffer, reads the library's file again when it came from one, builds again.
  void Rebuild();

  int Count() const { return static_cast<int>(buffers_.size()); }
  // Buffer Index (zero-based, the library's order); throws std::out_of_range outside.
  TGXSoundBuffer& Buffer(int Index);
  // Plays sound Index (rebuilding first when its buffer was lost); an index outside the
  // library plays nothing.
  void Play(int Index, bool Looping = false);
  // Stops sound Index; an index outside the library does nothing.
  void Stop(int Index);
  void StopAll();

 private:
  friend class TGXSoundLib;
  void BuildBuffers();
  void FreeBuffers() { buffers_.clear(); }

  TGXSoundLib* library_ = nullptr;
  std::vector<std::unique_ptr<TGXSoundBuffer>> buffers_;
  bool started_ = false;
};

}  // namespace vornu
