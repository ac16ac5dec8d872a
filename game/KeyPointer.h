// The pointer and the buttons worked from the keyboard or a gamepad: they reach the game as
// the mouse's moves, presses and releases, at the same logical positions.
#pragma once

#include <cstdint>

#include "platform/Forms.h"

class TForm1;

class TKeyPointer {
 public:
  explicit TKeyPointer(TForm1& Form) : form_(Form) {}

  // Arrow keys move the pointer, Enter is the left button, Tab and I the right button, Space
  // shows the hotspots; other keys are not looked at.
  void KeyDown(std::uint16_t Key);
  void KeyUp(std::uint16_t Key);
  // South: left button (steps the pictures outside the game view), east: right button, north:
  // shows the hotspots, Start: steps the pictures, a shoulder: slow pointer.
  void PadButton(TPadButton Button, bool Down);
  // The left stick's deflection, each axis -1 .. 1.
  void PadStick(double X, double Y);
  // Called once per game frame with the clock: moves the pointer for held keys and the stick.
  void Step(std::uint32_t NowMs);
  // The mouse moved: from now on it places the pointer, until keys or the pad move it again.
  void MouseMoved() { owned_ = false; }
  // Whether keys or the pad placed the pointer last; a mouse button then acts where the
  // pointer is drawn, not where the hidden system pointer was left.
  bool PlacedPointer() const { return owned_; }
  // The pointer in the form's input pixels (as the mouse handlers take them).
  int InputX() const;
  int InputY() const;
  // Whether a key or button showing the hotspots is held.
  bool MarkersHeld() const { return markerSources_ != 0; }

  // Pointer speeds in logical pixels per second; a held arrow starts moving after kHoldDelayMs.
  static constexpr std::uint32_t kHoldDelayMs = 250;
  static constexpr double kKeyStartSpeed = 25;
  static constexpr double kKeyTopSpeed = 160;
  static constexpr double kKeyAcceleration = 270;  // per second, until the top speed
  static constexpr double kStickDeadZone = 0.2;    // of the full deflection, in any direction
  static constexpr double kStickTopSpeed = 220;
  static constexpr double kSlowFactor = 0.25;

 private:
  enum Source : unsigned { kKey = 1, kPad = 2, kKeyAlt = 4 };
  // A button worked by several keys: down while any of them is, and whether the game saw the
  // press (only presses in the game view reach it).
  struct TButton {
    unsigned Sources = 0;
    bool Delivered = false;
  };
  bool InGameView() const;
  void Nudge(int Dx, int Dy);
  void TakePointer();
  void MoveTo(double X, double Y);
  void Press(TMouseButton Button, TButton& State, unsigned Source, bool Down);
  double KeySpeed(int Arrow, std::uint32_t NowMs) const;

  TForm1& form_;
  bool owned_ = false;
  double x_ = 0, y_ = 0;  // logical, fractions kept
  int shownX_ = -1, shownY_ = -1;
  bool arrowHeld_[4] = {false, false, false, false};  // left, right, up, down
  std::uint32_t arrowDownAt_[4] = {0, 0, 0, 0};
  double stickX_ = 0, stickY_ = 0;
  unsigned slowSources_ = 0;
  TButton left_, right_;
  unsigned markerSources_ = 0;
  bool stepped_ = false;
  std::uint32_t lastStep_ = 0;
};
