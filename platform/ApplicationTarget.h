// What the application loop does differently on the desktop and in the browser
// (Application_desktop.cpp, Application_web.cpp); platform code only.
#pragma once

#include <SDL.h>

namespace vornu::target {

// Called by Initialize before SDL starts: throws Exception when nothing could show the game.
void CheckDisplay();
// Called by the loop when it has nothing to do: waits up to TimeoutMs for an event and
// returns whether Event holds one.
bool WaitEvent(SDL_Event& Event, int TimeoutMs);
// Called by the loop after each round of events: in the browser, keeps the files the game
// wrote in the browser's storage.
void AfterEvents();
// Whether timers may have threads of their own.
bool HasThreads();

}  // namespace vornu::target
