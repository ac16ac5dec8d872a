// The translation of SDL's window, mouse, touch and key events into the form's events;
// platform code only.
#pragma once

#include <SDL.h>

class TForm;

namespace vornu {

// Called by the loop for each SDL event: delivers what belongs to Form's window.
void DeliverEvent(TForm& Form, const SDL_Event& Event);
// Called by the loop each round: a finger held long enough becomes a pressed button.
void PollTouch(TForm& Form);

}  // namespace vornu
