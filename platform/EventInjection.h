// Synthetic input: mouse and key events put into the window's event queue, as a player's would.
#pragma once

#include "platform/Forms.h"

namespace vornu {

// The window position that Form maps to the logical display pixel (X, Y).
TPoint DisplayToWindow(const TForm& Form, int X, int Y);

// Queues a pointer movement to the display pixel (X, Y) of Form's window.
void InjectMouseMove(const TForm& Form, int X, int Y);
// Queues a press (Down) or release of Button at the display pixel (X, Y).
void InjectMouseButton(const TForm& Form, TMouseButton Button, bool Down, int X, int Y);
// Queues a typed character.
void InjectKey(const TForm& Form, char Key);
// Queues the window system's word that Form's window was uncovered and must be drawn again.
void InjectWindowExposed(const TForm& Form);

}  // namespace vornu
