#include "engine/GXAudio.h"

#include <algorithm>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

#include "engine/GXLibStream.h"
#include "platform/AudioDevice.h"
#include "platform/Forms.h"

namespace vornu {

TGXSoundBuffer::TGXSoundBuffer(const TGXSoundHeader& Header, std::span<const std::uint8_t> Data)
    : size_(Header.Size),
      samplesPerSec_(Header.Format.SamplesPerSec),
      blockAlign_(Header.Format.BlockAlign) {
  const std::string problem = SoundPlayProblem(Header);
  if (!problem.empty()) throw EGXLibrary("CreateSoundBuffer Failed: " + problem);
  if (Header.Size < 0 || Data.size() < static_cast<std::size_t>(Header.Size)) {
    throw EGXLibrary("CreateSoundBuffer Failed: " + std::to_string(Data.size()) +
                     " bytes of sample data for a sound of " + std::to_string(Header.Size));
  }
  if (!audio::IsOpen()) throw EGXLibrary("CreateSoundBuffer Failed: the audio device is not open");
  try {
    chunk_ = std::make_unique<audio::SoundChunk>(
        Data.data(), static_cast<std::size_t>(size_), static_cast<int>(samplesPerSec_),
        Header.Format.BitsPerSample, Header.Format.Channels);
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("CreateSoundBuffer Failed: out of memory");
  } catch (const std::runtime_error& e) {
    throw EGXLibrary(std::string("CreateSoundBuffer Failed: ") + e.what());
  }
}

TGXSoundBuffer::~TGXSoundBuffer() {
  if (chunk_) chunk_->Stop();
}

void TGXSoundBuffer::Play(bool Looping) {
  if (lost_ && OnLost) {
    // The handler rebuilds the owner's buffers, this one included: touch nothing afterwards.
    const std::function<void()> handler = OnLost;
    handler();
    return;
  }
  lost_ = false;
  chunk_->Play(Looping);
}

void TGXSoundBuffer::Stop() {
  chunk_->Stop();
}

bool TGXSoundBuffer::Playing() const {
  return chunk_->Playing();
}

void TGXSoundBuffer::SetVolume(std::int32_t Value) {
  if (Value < -10000 || Value > 0) {
    throw EGXLibrary("SetVolume Failed: " + std::to_string(Value) + " is outside -10000..0");
  }
  volume_ = Value;
  chunk_->SetVolume(Value);
}

void TGXSoundBuffer::SetPan(std::int32_t Value) {
  if (Value < -10000 || Value > 10000) {
    throw EGXLibrary("SetPan Failed: " + std::to_string(Value) + " is outside -10000..10000");
  }
  pan_ = Value;
  chunk_->SetPan(Value);
}

std::uint32_t TGXSoundBuffer::LengthMs() const {
  if (blockAlign_ == 0 || samplesPerSec_ == 0) return 0;
  const std::uint64_t frames = static_cast<std::uint64_t>(size_) / blockAlign_;
  return static_cast<std::uint32_t>(frames * 1000 / samplesPerSec_);
}

TGXAudio::TGXAudio(TComponent* Owner) : TComponent(Owner) {}

TGXAudio::~TGXAudio() {
  SetSoundLibrary(nullptr);
}

void TGXAudio::SetSoundLibrary(TGXSoundLib* Value) {
  FreeBuffers();
  if (library_) std::erase(library_->players_, this);
  library_ = Value;
  if (!library_) return;
  library_->players_.push_back(this);
  if (started_) BuildBuffers();
}

void TGXAudio::Start() {
  if (started_) return;
  if (!audio::Open()) throw EGXLibrary("Failed to Create DirectSound");
  const audio::Format f = audio::DeviceFormat();
  if (f.Frequency != 44100 || f.Channels != 2 || f.BitsPerSample != 16) {
    throw EGXLibrary("Failed to set directsound copoperative level");
  }
  started_ = true;
  if (library_) {
    BuildBuffers();
    if (OnInitialize) OnInitialize(this);
  }
}

void TGXAudio::Loaded() {
  if (Owner()) {
    for (TComponent* c : Owner()->Components()) {
      if (dynamic_cast<TGXScreen*>(c)) return;  // the screen starts it at activation
    }
  }
  // Loading settings is no event handler of the game: report a failure the way one is
  // reported, and go on without sound.
  try {
    Start();
  } catch (const std::exception& e) {
    Application->HandleException(this, e);
  }
}

void TGXAudio::BuildBuffers() {
  FreeBuffers();
  if (!library_ || library_->Count() == 0) return;
  if (!library_->Sounds().HasData()) {
    if (!library_->LoadedFromFile()) {
      throw EGXLibrary("the sample data has been freed and no file is known to read it from");
    }
    library_->Reload();
  }
  const TGXSounds& sounds = library_->Sounds();
  // Built aside, so a failure part way leaves no half-filled player behind.
  std::vector<std::unique_ptr<TGXSoundBuffer>> built;
  try {
    built.reserve(static_cast<std::size_t>(sounds.Count()));
  } catch (const std::bad_alloc&) {
    throw EGXLibrary("Failed to allocate memory for Sound Buffers");
  }
  for (int i = 0; i < sounds.Count(); ++i) {
    const TGXSound& s = sounds.Sound(i);
    try {
      auto b = std::make_unique<TGXSoundBuffer>(s.Header, s.Data);
      b->SetPan(s.Header.Pan);
      b->SetVolume(s.Header.Volume);
      b->OnLost = [this] { Rebuild(); };
      built.push_back(std::move(b));
    } catch (const EGXLibrary& e) {
      const std::string file = library_->LoadedFromFile() ? " of " + library_->FileName() : "";
      throw EGXLibrary(std::string(e.what()) + " (sound " + std::to_string(i) + " of " +
                       std::to_string(sounds.Count()) + file + ")");
    }
  }
  buffers_ = std::move(built);
  if (library_->LoadedFromFile()) library_->FreeData();
}

void TGXAudio::Rebuild() {
  FreeBuffers();
  if (!library_) return;
  if (library_->LoadedFromFile()) library_->Reload();
  if (started_) BuildBuffers();
}

TGXSoundBuffer& TGXAudio::Buffer(int Index) {
  if (Index < 0 || Index >= Count()) {
    throw std::out_of_range("sound buffer " + std::to_string(Index) + " outside 0.." +
                            std::to_string(Count() - 1));
  }
  return *buffers_[static_cast<std::size_t>(Index)];
}

void TGXAudio::Play(int Index, bool Looping) {
  if (Index < 0 || Index >= Count()) return;
  if (buffers_[static_cast<std::size_t>(Index)]->IsLost()) {
    Rebuild();
    if (Index >= Count()) return;
  }
  buffers_[static_cast<std::size_t>(Index)]->Play(Looping);
}

void TGXAudio::Stop(int Index) {
  if (Index >= 0 && Index < Count()) buffers_[static_cast<std::size_t>(Index)]->Stop();
}

void TGXAudio::StopAll() {
  for (auto& b : buffers_) b->Stop();
}

TGXSoundLib::~TGXSoundLib() {
  const std::vector<TGXAudio*> players = players_;
  for (TGXAudio* p : players) p->SetSoundLibrary(nullptr);
}

}  // namespace vornu
