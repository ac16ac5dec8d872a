#include "platform/MediaPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>
#include <fstream>

#include "platform/AudioDevice.h"

TMediaPlayer::TMediaPlayer(TComponent* Owner) : TComponent(Owner) {}

TMediaPlayer::~TMediaPlayer() { Close(); }

void TMediaPlayer::Open() {
  Close();
  std::ifstream in(fileName_, std::ios::binary);
  if (!in) throw EMCIDeviceError(fileName_ + ": cannot open the MIDI file");
  char head[4] = {};
  if (!in.read(head, 4) || std::memcmp(head, "MThd", 4) != 0) {
    throw EMCIDeviceError(fileName_ + ": not a MIDI file");
  }
  in.close();
  if (vornu::audio::Open() && vornu::audio::MusicAvailable()) {
    Mix_Music* m = Mix_LoadMUS(fileName_.c_str());
    if (!m) throw EMCIDeviceError(fileName_ + ": cannot open the MIDI file (" + Mix_GetError() + ")");
    music_ = m;
  }
  open_ = true;
}

void TMediaPlayer::Play() {
  if (!open_ || !music_) return;
  Mix_PlayMusic(static_cast<Mix_Music*>(music_), 0);
}

void TMediaPlayer::Stop() {
  if (Playing()) Mix_HaltMusic();
}

void TMediaPlayer::Close() {
  if (!open_) return;
  if (music_) {
    // Freeing a playing song halts it first.
    Mix_FreeMusic(static_cast<Mix_Music*>(music_));
    music_ = nullptr;
  }
  open_ = false;
}

bool TMediaPlayer::Playing() const {
  return open_ && music_ && vornu::audio::IsOpen() && Mix_PlayingMusic();
}
