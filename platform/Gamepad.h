// Gamepads through SDL's game controller support: plugged in or out while the game runs, their
// stick and buttons handed to the form; platform code only.
#pragma once

#include <SDL.h>

class TForm;

namespace vornu::gamepad {

// Called when the application starts SDL: starts the controller subsystem; without one the
// game simply has no gamepad.
void Start();
// Called before SDL quits: closes every open pad.
void Stop();
// Called by the event translation for each event it does not handle itself: opens and closes
// pads as they come and go, and hands the left stick and the buttons to Form. Returns whether
// the event was a pad's.
bool Deliver(TForm& Form, const SDL_Event& Event);

}  // namespace vornu::gamepad
