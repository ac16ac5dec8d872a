#include "platform/MediaPlayer.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/MusicTarget.h"
#include "platform/Trace.h"

TMediaPlayer::TMediaPlayer(TComponent* Owner) : TComponent(Owner) {}

TMediaPlayer::~TMediaPlayer() {
  Close();
}

namespace {

// Songs of the game are a few kilobytes; a larger file is not taken for one.
constexpr std::uintmax_t kMaxSongBytes = 16 << 20;

// The one player whose song was opened before it had arrived (a new Open supersedes it).
TMediaPlayer* waitingForSong = nullptr;

std::uint32_t Be32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3];
}

}  // namespace

void TMediaPlayer::CheckFile(const std::string& FileName) {
  auto fail = [&](const std::string& What) { throw EMCIDeviceError(FileName + ": " + What); };
  std::ifstream in(FileName, std::ios::binary | std::ios::ate);
  if (!in) fail("cannot open the MIDI file");
  const std::streamoff size = in.tellg();
  if (size < 0 || static_cast<std::uintmax_t>(size) > kMaxSongBytes) {
    fail("not a MIDI file (" + std::to_string(size) + " bytes)");
  }
  std::vector<unsigned char> d(static_cast<std::size_t>(size));
  in.seekg(0);
  if (size > 0 && !in.read(reinterpret_cast<char*>(d.data()), size)) fail("read error");
  if (d.size() < 14 || std::memcmp(d.data(), "MThd", 4) != 0) fail("not a MIDI file");
  const std::uint32_t headerLength = Be32(&d[4]);
  const unsigned format = d[8] << 8 | d[9], tracks = d[10] << 8 | d[11];
  if (headerLength < 6 || headerLength > d.size() - 8) fail("broken MIDI header");
  if (format > 2) fail("unknown MIDI format " + std::to_string(format));
  if (tracks == 0) fail("a MIDI file without tracks");
  std::size_t at = 8 + headerLength;
  unsigned found = 0;
  while (found < tracks) {
    if (d.size() - at < 8) {
      fail("truncated MIDI file: " + std::to_string(found) + " of " + std::to_string(tracks) +
           " tracks");
    }
    const std::uint32_t length = Be32(&d[at + 4]);
    const bool track = std::memcmp(&d[at], "MTrk", 4) == 0;
    if (length > d.size() - at - 8) {
      fail(track ? "truncated MIDI file: track " + std::to_string(found + 1) + " ends early"
                 : "truncated MIDI file");
    }
    if (track) ++found;
    at += 8 + length;
  }
}

void TMediaPlayer::Open() {
  Close();
  CheckFile(fileName_);
  if (vornu::audio::Open() && vornu::audio::MusicAvailable()) {
    const std::string song = vornu::audio::target::SongFile(fileName_);
    if (!vornu::audio::target::SongArrived(song)) {
      // The game goes on in silence meanwhile, as with a song that cannot play.
      waitingForSong = this;
      open_ = true;
      return;
    }
    music_.reset(Mix_LoadMUS(song.c_str()));
    if (!music_) {
      throw EMCIDeviceError(fileName_ + ": cannot open the MIDI file (" + song + ": " +
                            Mix_GetError() + ")");
    }
  }
  open_ = true;
}

void TMediaPlayer::Play() {
  if (!open_) return;
  if (!music_) {
    playWhenArrived_ = waitingForSong == this;
    return;
  }
  Mix_PlayMusic(music_.get(), 0);
}

void TMediaPlayer::Stop() {
  playWhenArrived_ = false;
  if (Playing()) Mix_HaltMusic();
}

void TMediaPlayer::Close() {
  if (waitingForSong == this) waitingForSong = nullptr;
  playWhenArrived_ = false;
  if (!open_) return;
  music_.reset();
  open_ = false;
}

void TMediaPlayer::TakeArrivedSong() {
  TMediaPlayer* player = waitingForSong;
  if (player == nullptr) return;
  const std::string song = vornu::audio::target::SongFile(player->fileName_);
  if (!vornu::audio::target::SongArrived(song)) return;
  waitingForSong = nullptr;
  player->music_.reset(Mix_LoadMUS(song.c_str()));
  if (!player->music_) {
    // Like a song that spoilt after start-up: the game plays on without it.
    TraceLine("music: " + player->fileName_ + ": cannot open the MIDI file (" + song + ": " +
              Mix_GetError() + "); playing on without music");
    return;
  }
  if (player->playWhenArrived_) Mix_PlayMusic(player->music_.get(), 0);
  player->playWhenArrived_ = false;
}

bool TMediaPlayer::Playing() const {
  return open_ && music_ && vornu::audio::IsOpen() && Mix_PlayingMusic();
}
