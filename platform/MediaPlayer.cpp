#include "platform/MediaPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstring>
#include <fstream>

#include "platform/AudioDevice.h"
#include "platform/MusicTarget.h"

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
    const std::string song = vornu::audio::target::SongFile(fileName_);
    music_.reset(Mix_LoadMUS(song.c_str()));
    if (!music_) {
      throw EMCIDeviceError(fileName_ + ": cannot open the MIDI file (" + song + ": " +
                            Mix_GetError() + ")");
    }
  }
  open_ = true;
}

void TMediaPlayer::Play() {
  if (!open_ || !music_) return;
  Mix_PlayMusic(music_.get(), 0);
}

void TMediaPlayer::Stop() {
  if (Playing()) Mix_HaltMusic();
}

void TMediaPlayer::Close() {
  if (!open_) return;
  music_.reset();
  open_ = false;
}

bool TMediaPlayer::Playing() const {
  return open_ && music_ && vornu::audio::IsOpen() && Mix_PlayingMusic();
}
