// Synthetic input through SDL's event queue, so it takes the same way as a real player's.
#include "platform/EventInjection.h"

#include <SDL.h>

#include <cmath>
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

TPoint DisplayToWindow(const TForm& Form, int X, int Y) {
  const int W = Form.ClientWidth(), H = Form.ClientHeight();
  const TRect R = Form.OutputRect();
  double Sx = 1.0, Sy = 1.0;
  if (SDL_Window* Window = SDL_GetWindowFromID(Form.WindowId())) {
    int Ww = 1, Wh = 1, Ow = 1, Oh = 1;
    SDL_GetWindowSize(Window, &Ww, &Wh);
    if (SDL_Renderer* Renderer = SDL_GetRenderer(Window)) {
      SDL_GetRendererOutputSize(Renderer, &Ow, &Oh);
      if (Ww > 0 && Wh > 0) {
        Sx = static_cast<double>(Ow) / Ww;
        Sy = static_cast<double>(Oh) / Wh;
      }
    }
  }
  // The middle of the display pixel's area in output pixels, back in window units.
  const double Px = R.Left + (X + 0.5) * R.Width() / std::max(W, 1);
  const double Py = R.Top + (Y + 0.5) * R.Height() / std::max(H, 1);
  return TPoint{static_cast<int>(std::floor(Px / Sx)), static_cast<int>(std::floor(Py / Sy))};
}

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
