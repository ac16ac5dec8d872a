#include "platform/AudioDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <vector>

#include "platform/MusicTarget.h"
#include "platform/SdlHandles.h"

namespace vornu::audio {
namespace {

std::mutex gMutex;
bool gTried = false;
bool gOpen = false;
bool gMusic = false;
std::string gSoundFont;
std::unique_ptr<SoundChunk> gBeep;  // made on the first beep, freed by Close

}  // namespace

bool Open() {
  std::lock_guard<std::mutex> lock(gMutex);
  if (gTried) return gOpen;
  gTried = true;
  // The instruments must be chosen before the mixer opens: chosen later, music plays silent.
  gSoundFont = target::PrepareMusic();
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "vornu: no audio device (%s); playing without sound\n", SDL_GetError());
    return false;
  }
  const int decoders = target::InitDecoders();
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    std::fprintf(stderr, "vornu: cannot open the audio device (%s); playing without sound\n",
                 Mix_GetError());
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(32);
  gOpen = true;
  gMusic = target::MusicReady(gSoundFont, decoders);
  return true;
}

bool IsOpen() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gOpen;
}

Format DeviceFormat() { return Format{}; }

bool MusicAvailable() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gOpen && gMusic;
}

std::string SoundFont() {
  std::lock_guard<std::mutex> lock(gMutex);
  return gSoundFont;
}

void Close() {
  gBeep.reset();
  std::lock_guard<std::mutex> lock(gMutex);
  if (gOpen) {
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  gOpen = false;
  gMusic = false;
  gTried = false;
}

bool PlayBeep() {
  if (!Open()) return false;
  try {
    if (!gBeep) {
      // Faded at both ends so that it does not click.
      constexpr int kRate = 44100, kSamples = kRate * 8 / 100;
      std::vector<std::int16_t> s(kSamples);
      for (int i = 0; i < kSamples; ++i) {
        const double fade = std::min({1.0, i / 400.0, (kSamples - i) / 400.0});
        s[i] = static_cast<std::int16_t>(8000 * fade *
                                         std::sin(2 * 3.14159265358979 * 880 * i / kRate));
      }
      gBeep = std::make_unique<SoundChunk>(s.data(), s.size() * 2, kRate, 16, 1);
    }
    gBeep->Play(false);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

struct SoundChunk::Impl {
  std::vector<std::uint8_t> samples;
  sdl::Chunk chunk;
  int channel = -1;
};

namespace {

// Linear amplitude (0..1) of an attenuation in hundredths of a decibel.
double Amplitude(int Hundredths) {
  if (Hundredths <= -10000) return 0.0;
  return std::pow(10.0, std::min(Hundredths, 0) / 2000.0);
}

}  // namespace

SoundChunk::SoundChunk(const void* Data, std::size_t Bytes, int SamplesPerSec, int BitsPerSample,
                       int Channels)
    : impl_(std::make_unique<Impl>()) {
  if (!IsOpen()) throw std::runtime_error("sound device is not open");
  if ((BitsPerSample != 8 && BitsPerSample != 16) || (Channels != 1 && Channels != 2) ||
      SamplesPerSec < 1000 || SamplesPerSec > 192000) {
    throw std::runtime_error("unsupported sample format: " + std::to_string(BitsPerSample) +
                             " bits, " + std::to_string(Channels) + " channels, " +
                             std::to_string(SamplesPerSec) + " Hz");
  }
  const std::size_t frame = static_cast<std::size_t>(BitsPerSample / 8 * Channels);
  Bytes -= Bytes % frame;
  SDL_AudioCVT cvt;
  if (SDL_BuildAudioCVT(&cvt, BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB,
                        static_cast<Uint8>(Channels), SamplesPerSec, AUDIO_S16SYS, 2,
                        44100) < 0) {
    throw std::runtime_error(std::string("cannot convert samples: ") + SDL_GetError());
  }
  cvt.len = static_cast<int>(Bytes);
  impl_->samples.assign(Bytes * static_cast<std::size_t>(std::max(cvt.len_mult, 1)) + 16, 0);
  if (Bytes) std::memcpy(impl_->samples.data(), Data, Bytes);
  cvt.buf = impl_->samples.data();
  if (cvt.needed && Bytes && SDL_ConvertAudio(&cvt) != 0) {
    throw std::runtime_error(std::string("cannot convert samples: ") + SDL_GetError());
  }
  const std::size_t outLen = cvt.needed ? static_cast<std::size_t>(cvt.len_cvt) : Bytes;
  impl_->samples.resize(std::max<std::size_t>(outLen, 4));
  impl_->chunk.reset(Mix_QuickLoad_RAW(impl_->samples.data(), static_cast<Uint32>(outLen)));
  if (!impl_->chunk) throw std::runtime_error(std::string("cannot make sound: ") + Mix_GetError());
}

SoundChunk::~SoundChunk() { Stop(); }

void SoundChunk::Play(bool Looping) {
  Stop();
  impl_->channel = Mix_PlayChannel(-1, impl_->chunk.get(), Looping ? -1 : 0);
  if (impl_->channel < 0) return;  // every channel busy: this sound is skipped
  SetVolume(volume_);
  SetPan(pan_);
}

void SoundChunk::Stop() {
  if (Playing()) Mix_HaltChannel(impl_->channel);
  impl_->channel = -1;
}

bool SoundChunk::Playing() const {
  return impl_->channel >= 0 && Mix_Playing(impl_->channel) &&
         Mix_GetChunk(impl_->channel) == impl_->chunk.get();
}

void SoundChunk::SetVolume(int Hundredths) {
  volume_ = std::clamp(Hundredths, -10000, 0);
  Mix_VolumeChunk(impl_->chunk.get(), static_cast<int>(std::lround(Amplitude(volume_) * MIX_MAX_VOLUME)));
}

void SoundChunk::SetPan(int Hundredths) {
  pan_ = std::clamp(Hundredths, -10000, 10000);
  if (!Playing()) return;
  const double left = pan_ > 0 ? Amplitude(-pan_) : 1.0;
  const double right = pan_ < 0 ? Amplitude(pan_) : 1.0;
  Mix_SetPanning(impl_->channel, static_cast<Uint8>(std::lround(left * 255)),
                 static_cast<Uint8>(std::lround(right * 255)));
}

}  // namespace vornu::audio
