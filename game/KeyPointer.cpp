#include "game/KeyPointer.h"

#include <algorithm>
#include <cmath>

#include "game/Unit1.h"
#include "platform/Clock.h"

namespace {

enum Arrow { kLeft, kRight, kUp, kDown };

int ArrowOf(std::uint16_t Key) {
  switch (Key) {
    case VK_LEFT:
      return kLeft;
    case VK_RIGHT:
      return kRight;
    case VK_UP:
      return kUp;
    case VK_DOWN:
      return kDown;
    default:
      return -1;
  }
}

constexpr int kDx[4] = {-1, 1, 0, 0};
constexpr int kDy[4] = {0, 0, -1, 1};

}  // namespace

bool TKeyPointer::InGameView() const {
  return form_.IntroActive == 0 && form_.EndingActive == 0 && !form_.Closed();
}

int TKeyPointer::InputX() const {
  const int X = owned_ ? static_cast<int>(std::floor(x_)) : form_.MouseX;
  return form_.Settings.HalveMouse ? X * 2 : X;
}

int TKeyPointer::InputY() const {
  const int Y = owned_ ? static_cast<int>(std::floor(y_)) : form_.MouseY;
  return form_.Settings.HalveMouse ? Y * 2 : Y;
}

void TKeyPointer::TakePointer() {
  if (owned_) return;
  owned_ = true;
  x_ = form_.MouseX;
  y_ = form_.MouseY;
  // Before anything has moved the pointer it sits in the corner, where nothing is: the keys
  // start from the middle of the picture instead.
  if (form_.MouseX == 0 && form_.MouseY == 0) {
    x_ = 160;
    y_ = 100;
    shownX_ = -1;
  } else {
    shownX_ = form_.MouseX;
    shownY_ = form_.MouseY;
  }
}

void TKeyPointer::MoveTo(double X, double Y) {
  x_ = std::clamp(X, 0.0, 319.999);
  y_ = std::clamp(Y, 0.0, 199.999);
  const int Ix = static_cast<int>(std::floor(x_));
  const int Iy = static_cast<int>(std::floor(y_));
  if (Ix == shownX_ && Iy == shownY_) return;
  shownX_ = Ix;
  shownY_ = Iy;
  TShiftState Shift = 0;
  if (left_.Delivered) Shift |= ssLeft;
  if (right_.Delivered) Shift |= ssRight;
  form_.FormMouseMove(nullptr, Shift, InputX(), InputY());
}

void TKeyPointer::Nudge(int Dx, int Dy) {
  TakePointer();
  MoveTo(x_ + Dx, y_ + Dy);
}

void TKeyPointer::Press(TMouseButton Button, TButton& State, unsigned Source, bool Down) {
  if (Down) {
    if ((State.Sources & Source) != 0) return;
    const bool First = State.Sources == 0;
    State.Sources |= Source;
    if (!First || !InGameView()) return;
    State.Delivered = true;
    form_.FormMouseDown(nullptr, Button, Button == mbLeft ? ssLeft : ssRight, InputX(), InputY());
  } else {
    if ((State.Sources & Source) == 0) return;
    State.Sources &= ~Source;
    // A press the game saw is always released, even when the view changed meanwhile.
    if (State.Sources != 0 || !State.Delivered) return;
    State.Delivered = false;
    form_.FormMouseUp(nullptr, Button, 0, InputX(), InputY());
  }
}

void TKeyPointer::KeyDown(std::uint16_t Key) {
  if (const int A = ArrowOf(Key); A >= 0) {
    if (arrowHeld_[A]) return;
    arrowHeld_[A] = true;
    arrowDownAt_[A] = timeGetTime();
    if (InGameView()) Nudge(kDx[A], kDy[A]);
    return;
  }
  switch (Key) {
    case VK_RETURN:
      Press(mbLeft, left_, kKey, true);
      break;
    case VK_TAB:
      Press(mbRight, right_, kKey, true);
      break;
    case 'I':
      Press(mbRight, right_, kKeyAlt, true);
      break;
    case VK_SPACE:
      markerSources_ |= kKey;
      break;
    default:
      break;
  }
}

void TKeyPointer::KeyUp(std::uint16_t Key) {
  if (const int A = ArrowOf(Key); A >= 0) {
    arrowHeld_[A] = false;
    return;
  }
  switch (Key) {
    case VK_RETURN:
      Press(mbLeft, left_, kKey, false);
      break;
    case VK_TAB:
      Press(mbRight, right_, kKey, false);
      break;
    case 'I':
      Press(mbRight, right_, kKeyAlt, false);
      break;
    case VK_SPACE:
      markerSources_ &= ~static_cast<unsigned>(kKey);
      break;
    default:
      break;
  }
}

void TKeyPointer::PadButton(TPadButton Button, bool Down) {
  switch (Button) {
    case TPadButton::South:
      // Outside the game view it is the key that steps the pictures, as Enter is.
      if (Down && !InGameView()) {
        form_.KeyPress('\r');
        return;
      }
      Press(mbLeft, left_, kPad, Down);
      break;
    case TPadButton::East:
      Press(mbRight, right_, kPad, Down);
      break;
    case TPadButton::North:
      if (Down) {
        markerSources_ |= kPad;
      } else {
        markerSources_ &= ~static_cast<unsigned>(kPad);
      }
      break;
    case TPadButton::Start:
      if (Down) form_.KeyPress(' ');
      break;
    case TPadButton::LeftShoulder:
    case TPadButton::RightShoulder: {
      const unsigned Bit = Button == TPadButton::LeftShoulder ? 1u : 2u;
      if (Down) {
        slowSources_ |= Bit;
      } else {
        slowSources_ &= ~Bit;
      }
      break;
    }
    default:
      break;
  }
}

void TKeyPointer::PadStick(double X, double Y) {
  stickX_ = std::clamp(X, -1.0, 1.0);
  stickY_ = std::clamp(Y, -1.0, 1.0);
}

double TKeyPointer::KeySpeed(int A, std::uint32_t NowMs) const {
  if (!arrowHeld_[A]) return 0;
  const std::int32_t Held = vornu::ClockDiff(NowMs, arrowDownAt_[A]);
  if (Held < static_cast<std::int32_t>(kHoldDelayMs)) return 0;
  const double Seconds = (Held - static_cast<std::int32_t>(kHoldDelayMs)) / 1000.0;
  return std::min(kKeyTopSpeed, kKeyStartSpeed + kKeyAcceleration * Seconds);
}

void TKeyPointer::Step(std::uint32_t NowMs) {
  if (!stepped_) {
    stepped_ = true;
    lastStep_ = NowMs;
  }
  // A stalled frame (a dragged window, a slow disk) must not throw the pointer across the
  // picture.
  const std::int32_t Ms = std::clamp<std::int32_t>(vornu::ClockDiff(NowMs, lastStep_), 0, 100);
  lastStep_ = NowMs;
  if (!InGameView()) return;
  double Vx = KeySpeed(kRight, NowMs) - KeySpeed(kLeft, NowMs);
  double Vy = KeySpeed(kDown, NowMs) - KeySpeed(kUp, NowMs);
  // A round dead zone: a stick resting a little off centre in any direction moves nothing,
  // and past it the speed grows with the square of the deflection, for fine aim near the
  // centre and speed at the rim.
  const double Deflection = std::hypot(stickX_, stickY_);
  if (Deflection > kStickDeadZone) {
    const double M = std::min(1.0, (Deflection - kStickDeadZone) / (1.0 - kStickDeadZone));
    const double Speed = kStickTopSpeed * M * M;
    Vx += Speed * stickX_ / Deflection;
    Vy += Speed * stickY_ / Deflection;
  }
  if (Vx == 0 && Vy == 0) return;
  if (slowSources_ != 0) {
    Vx *= kSlowFactor;
    Vy *= kSlowFactor;
  }
  TakePointer();
  MoveTo(x_ + Vx * Ms / 1000.0, y_ + Vy * Ms / 1000.0);
}
