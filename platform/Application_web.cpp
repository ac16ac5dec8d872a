// The application loop in the browser: the page's main thread is the only thread; waiting
// gives the browser its turn (the loop is suspended and resumed by the page), the files the
// game writes beside its data are kept in the browser's storage, and a song that arrives after
// the game has started is taken up.
#include <emscripten.h>

#include "platform/ApplicationTarget.h"
#include "platform/MediaPlayer.h"

namespace vornu::target {

void CheckDisplay() {}

bool WaitEvent(SDL_Event& Event, int TimeoutMs) {
  if (SDL_PollEvent(&Event)) return true;
  // Events that arrive meanwhile wait for the end of the sleep (at most 100 ms, while the game
  // is in the background or has nothing to draw).
  emscripten_sleep(TimeoutMs > 0 ? static_cast<unsigned>(TimeoutMs) : 1u);
  return SDL_PollEvent(&Event) != 0;
}

void AfterEvents() {
  TMediaPlayer::TakeArrivedSong();
  // The page's storage script (storage.js) compares the game directory with what it kept
  // and stores what changed; a page without it keeps nothing.
  EM_ASM({
    if (Module["keepFiles"]) Module["keepFiles"]();
  });
}

bool HasThreads() { return false; }

}  // namespace vornu::target
