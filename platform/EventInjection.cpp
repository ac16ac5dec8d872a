// Synthetic input through SDL's event queue, so it takes the same way as a real player's.
#include "platform/EventInjection.h"

#include <SDL.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace vornu {

namespace {

void Push(SDL_Event& E) {
  if (SDL_PushEvent(&E) < 0) {
    throw Exception(std::string("cannot queue a synthetic event: ") + SDL_GetError());
  }
}

Uint8 SdlButton(TMouseButton Button) {
  switch (Button) {
    case mbRight:
      return SDL_BUTTON_RIGHT;
    case mbMiddle:
      return SDL_BUTTON_MIDDLE;
    default:
      return SDL_BUTTON_LEFT;
  }
}

}  // namespace

TPoint DisplayToWindow(const TForm& Form, int X, int Y) { return Form.DisplayToWindow(X, Y); }

void InjectMouseMove(const TForm& Form, int X, int Y) {
  const TPoint P = DisplayToWindow(Form, X, Y);
  SDL_Event E{};
  E.type = SDL_MOUSEMOTION;
  E.motion.windowID = Form.WindowId();
  E.motion.x = P.X;
  E.motion.y = P.Y;
  E.motion.timestamp = SDL_GetTicks();
  Push(E);
}

void InjectMouseButton(const TForm& Form, TMouseButton Button, bool Down, int X, int Y) {
  const TPoint P = DisplayToWindow(Form, X, Y);
  SDL_Event E{};
  E.type = Down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  E.button.windowID = Form.WindowId();
  E.button.button = SdlButton(Button);
  E.button.state = Down ? SDL_PRESSED : SDL_RELEASED;
  E.button.clicks = 1;
  E.button.x = P.X;
  E.button.y = P.Y;
  E.button.timestamp = SDL_GetTicks();
  Push(E);
}

void InjectFinger(const TForm& Form, TFingerPhase Phase, long long Finger, int X, int Y) {
  const int W = std::max(Form.ClientWidth(), 1), H = std::max(Form.ClientHeight(), 1);
  SDL_Event E{};
  E.type = Phase == TFingerPhase::Down     ? SDL_FINGERDOWN
           : Phase == TFingerPhase::Motion ? SDL_FINGERMOTION
                                           : SDL_FINGERUP;
  E.tfinger.touchId = 1;
  E.tfinger.fingerId = Finger;
  // Fingers are given as parts of the window, the middle of the pixel here.
  E.tfinger.x = (X + 0.5f) / static_cast<float>(W);
  E.tfinger.y = (Y + 0.5f) / static_cast<float>(H);
  E.tfinger.pressure = Phase == TFingerPhase::Up ? 0.0f : 1.0f;
  E.tfinger.windowID = Form.WindowId();
  E.tfinger.timestamp = SDL_GetTicks();
  Push(E);
}

void InjectKey(const TForm& Form, char Key) {
  SDL_Event E{};
  E.type = SDL_TEXTINPUT;
  E.text.windowID = Form.WindowId();
  E.text.text[0] = Key;
  E.text.text[1] = '\0';
  E.text.timestamp = SDL_GetTicks();
  Push(E);
}

void InjectWindowExposed(const TForm& Form) {
  SDL_Event E{};
  E.type = SDL_WINDOWEVENT;
  E.window.windowID = Form.WindowId();
  E.window.event = SDL_WINDOWEVENT_EXPOSED;
  Push(E);
}

VirtualPad::VirtualPad() {
  // SDL passes a pad's input on only to a window with the focus, which a headless one never
  // has; while the program's own pad is plugged in, any window gets it.
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SDL_VirtualJoystickDesc desc{};
  desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
  desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
  desc.naxes = SDL_CONTROLLER_AXIS_MAX;
  desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
  desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
  desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
  desc.name = "Vornu virtual pad";
  index_ = SDL_JoystickAttachVirtualEx(&desc);
  if (index_ < 0) throw Exception(std::string("cannot make a virtual gamepad: ") + SDL_GetError());
  joystick_ = SDL_JoystickOpen(index_);
  if (joystick_ == nullptr) {
    SDL_JoystickDetachVirtual(index_);
    SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
    throw Exception(std::string("cannot open the virtual gamepad: ") + SDL_GetError());
  }
}

VirtualPad::~VirtualPad() {
  Unplug();
}

void VirtualPad::Unplug() {
  if (joystick_ == nullptr) return;
  SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick_));
  joystick_ = nullptr;
  // The index may have moved since: look the virtual pad up again.
  for (int i = 0; i < SDL_NumJoysticks(); ++i) {
    if (SDL_JoystickIsVirtual(i)) {
      SDL_JoystickDetachVirtual(i);
      break;
    }
  }
  SDL_ResetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS);
}

void VirtualPad::SetStick(double X, double Y) {
  if (joystick_ == nullptr) return;
  auto raw = [](double v) {
    return static_cast<Sint16>(std::clamp(v, -1.0, 1.0) * (v < 0 ? 32768.0 : 32767.0));
  };
  auto* j = static_cast<SDL_Joystick*>(joystick_);
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTX, raw(X));
  SDL_JoystickSetVirtualAxis(j, SDL_CONTROLLER_AXIS_LEFTY, raw(Y));
}

void VirtualPad::SetButton(TPadButton Button, bool Down) {
  if (joystick_ == nullptr) return;
  SDL_GameControllerButton b = SDL_CONTROLLER_BUTTON_A;
  switch (Button) {
    case TPadButton::South:
      b = SDL_CONTROLLER_BUTTON_A;
      break;
    case TPadButton::East:
      b = SDL_CONTROLLER_BUTTON_B;
      break;
    case TPadButton::West:
      b = SDL_CONTROLLER_BUTTON_X;
      break;
    case TPadButton::North:
      b = SDL_CONTROLLER_BUTTON_Y;
      break;
    case TPadButton::LeftShoulder:
      b = SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
      break;
    case TPadButton::RightShoulder:
      b = SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
      break;
    case TPadButton::Start:
      b = SDL_CONTROLLER_BUTTON_START;
      break;
    case TPadButton::Back:
      b = SDL_CONTROLLER_BUTTON_BACK;
      break;
  }
  SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(joystick_), b, Down ? 1 : 0);
}

}  // namespace vornu
