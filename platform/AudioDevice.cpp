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

std::uint64_t DeviceBytes(std::uint64_t Bytes, int SamplesPerSec, int BitsPerSample,
                          int Channels) {
  const Format device = DeviceFormat();
  const int frame = BitsPerSample / 8 * Channels;
  if (frame <= 0 || SamplesPerSec <= 0) return 0;
  const std::uint64_t frames = Bytes / static_cast<std::uint64_t>(frame);
  const auto rate = static_cast<std::uint64_t>(SamplesPerSec);
  const std::uint64_t out = (frames * static_cast<std::uint64_t>(device.Frequency) + rate / 2) / rate;
  return out * static_cast<std::uint64_t>(device.BitsPerSample / 8 * device.Channels);
}

std::string SoundSizeProblem(std::uint64_t Bytes, int SamplesPerSec, int BitsPerSample,
                             int Channels) {
  const std::uint64_t out = DeviceBytes(Bytes, SamplesPerSec, BitsPerSample, Channels);
  if (out <= kMaxSoundBytes) return {};
  return std::to_string(Bytes) + " bytes at " + std::to_string(SamplesPerSec) +
         " Hz would take " + std::to_string((out + (1 << 20) - 1) >> 20) +
         " MiB in the device format, above the limit of 64 MiB a sound";
}

namespace {

[[noreturn]] void ConversionFailed() {
  throw std::runtime_error(std::string("cannot convert samples: ") + SDL_GetError());
}

// Takes what the stream has converted so far onto Out, up to Want bytes; the rest is dropped.
void Drain(SDL_AudioStream* Stream, std::vector<std::uint8_t>& Out, std::size_t Want) {
  std::uint8_t piece[16384];
  for (;;) {
    const int got = SDL_AudioStreamGet(Stream, piece, sizeof piece);
    if (got < 0) ConversionFailed();
    if (got == 0) return;
    const std::size_t keep = std::min(static_cast<std::size_t>(got), Want - Out.size());
    Out.insert(Out.end(), piece, piece + keep);
    if (Out.size() == Want) return;  // the rest is the silence after the sound
  }
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
  const std::string tooLong = SoundSizeProblem(Bytes, SamplesPerSec, BitsPerSample, Channels);
  if (!tooLong.empty()) throw std::runtime_error(tooLong);
  const auto want =
      static_cast<std::size_t>(DeviceBytes(Bytes, SamplesPerSec, BitsPerSample, Channels));
  const Format device = DeviceFormat();
  // A stream converts a piece at a time (converting in one call needs a buffer many times the
  // converted size), so memory stays at the converted sound plus a piece.
  const SDL_AudioFormat from = BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  sdl::AudioStream stream(
      SDL_NewAudioStream(from, static_cast<Uint8>(Channels), SamplesPerSec, AUDIO_S16SYS,
                         static_cast<Uint8>(device.Channels), device.Frequency));
  if (!stream) ConversionFailed();
  std::vector<std::uint8_t>& out = impl_->samples;
  out.reserve(want);
  constexpr std::size_t kPiece = 65536;  // whole frames of every format
  const auto* in = static_cast<const std::uint8_t*>(Data);
  for (std::size_t at = 0; at < Bytes; at += kPiece) {
    const std::size_t n = std::min(kPiece, Bytes - at);
    if (SDL_AudioStreamPut(stream.get(), in + at, static_cast<int>(n)) != 0) ConversionFailed();
    Drain(stream.get(), out, want);
  }
  // The resampler holds back the last few hundred frames even when flushed: silence after the
  // sound pushes them out, and only the sound's own length is kept.
  constexpr std::size_t kTailFrames = 2048;
  const std::vector<std::uint8_t> silence(kTailFrames * frame, BitsPerSample == 8 ? 0x80 : 0);
  if (SDL_AudioStreamPut(stream.get(), silence.data(), static_cast<int>(silence.size())) != 0 ||
      SDL_AudioStreamFlush(stream.get()) != 0) {
    ConversionFailed();
  }
  Drain(stream.get(), out, want);
  const std::size_t outLen = out.size();
  out.resize(std::max<std::size_t>(outLen, 4));
  impl_->chunk.reset(Mix_QuickLoad_RAW(out.data(), static_cast<Uint32>(outLen)));
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
