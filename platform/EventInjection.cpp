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

}  // namespace vornu
