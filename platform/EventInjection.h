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
enum class TFingerPhase { Down, Motion, Up };
// Queues a finger touching, moving on or leaving the display pixel (X, Y); Finger tells the
// fingers of one touch apart.
void InjectFinger(const TForm& Form, TFingerPhase Phase, long long Finger, int X, int Y);
// Queues a typed character.
void InjectKey(const TForm& Form, char Key);
// Queues the window system's word that Form's window was uncovered and must be drawn again.
void InjectWindowExposed(const TForm& Form);

// A gamepad of SDL's own, plugged in and out by the program (tests and the robot player):
// SDL reports it as it reports a real one.
class VirtualPad {
 public:
  // Plugs the pad in; throws Exception when SDL cannot make one.
  VirtualPad();
  // Unplugs it, if still plugged in.
  ~VirtualPad();
  VirtualPad(const VirtualPad&) = delete;
  VirtualPad& operator=(const VirtualPad&) = delete;
  // The left stick's deflection, each axis -1 .. 1.
  void SetStick(double X, double Y);
  void SetButton(TPadButton Button, bool Down);
  // Pulls the pad out.
  void Unplug();

 private:
  int index_ = -1;
  void* joystick_ = nullptr;
};

}  // namespace vornu
