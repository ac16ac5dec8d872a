// How songs reach the mixer on each platform: MIDI through a soundfont on the desktop
// (MediaPlayer_desktop.cpp), the same songs rendered to OGG at build time in the browser
// (MediaPlayer_web.cpp); platform code only.
#pragma once

#include <string>

namespace vornu::audio::target {

// Called by the audio device before the mixer opens: chooses the instruments; returns the
// soundfont chosen (empty when there is none, or none is needed).
std::string PrepareMusic();
// Called by the audio device before the mixer opens: starts the song decoders; returns the
// mixer's initialised decoder flags.
int InitDecoders();
// Called by the audio device once the mixer is open: whether songs can play; says why not on
// stderr, once.
bool MusicReady(const std::string& SoundFont, int Decoders);
// Called by the media player: the file the mixer plays for the MIDI file MidiFile.
std::string SongFile(const std::string& MidiFile);
// Called by the media player: false while Song is still on its way (the browser's page fetches
// the songs after the game has started); the mixer then plays it once it is there.
bool SongArrived(const std::string& Song);

}  // namespace vornu::audio::target
