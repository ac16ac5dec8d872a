// SDL's window, mouse, touch and key events translated into the form's events.
#include "platform/SdlEvents.h"

#include <SDL.h>

#include <cstdlib>
#include <stdexcept>
#include <string>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Forms.h"
#include "platform/Gamepad.h"
#include "platform/Text1252.h"

namespace vornu {

namespace {

// A finger held this long without a second one becomes a held left button; a second finger
// before then makes the touch a right click.
constexpr std::uint32_t kTouchHoldMs = 200;
// A first finger that moves this far (logical pixels) is pressed at once: it drags.
constexpr int kTouchSlop = 3;

TShiftState CurrentShift() {
  TShiftState s = 0;
  const SDL_Keymod m = SDL_GetModState();
  if (m & KMOD_SHIFT) s |= ssShift;
  if (m & KMOD_ALT) s |= ssAlt;
  if (m & KMOD_CTRL) s |= ssCtrl;
  const Uint32 b = SDL_GetMouseState(nullptr, nullptr);
  if (b & SDL_BUTTON(SDL_BUTTON_LEFT)) s |= ssLeft;
  if (b & SDL_BUTTON(SDL_BUTTON_RIGHT)) s |= ssRight;
  if (b & SDL_BUTTON(SDL_BUTTON_MIDDLE)) s |= ssMiddle;
  return s;
}

bool ToButton(Uint8 b, TMouseButton& out) {
  switch (b) {
    case SDL_BUTTON_LEFT:
      out = mbLeft;
      return true;
    case SDL_BUTTON_RIGHT:
      out = mbRight;
      return true;
    case SDL_BUTTON_MIDDLE:
      out = mbMiddle;
      return true;
    default:
      return false;
  }
}

void DeliverText(TForm& Form, const char* Utf8Text) {
  if (SDL_GetModState() & KMOD_ALT) return;
  // Deliver each character that Windows-1252 can hold; others have no key for the game.
  const std::string text = Utf8Text;
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t len = 1;
    const auto b = static_cast<unsigned char>(text[i]);
    if (b >= 0xF0) {
      len = 4;
    } else if (b >= 0xE0) {
      len = 3;
    } else if (b >= 0xC0) {
      len = 2;
    }
    try {
      const std::string one = Utf8To1252(std::string_view(text).substr(i, len));
      if (one.size() == 1) Form.KeyPress(one[0]);
    } catch (const std::invalid_argument&) {
    }
    i += len;
  }
}

// The virtual-key code of an SDL key the game looks at, 0 for the others. The keys with a place
// of their own go by their place, so that a key the page makes up (the browser's hotspot button)
// counts too; the letter goes by what the layout prints on it.
std::uint16_t VirtualKey(const SDL_Keysym& Key) {
  switch (Key.scancode) {
    case SDL_SCANCODE_LEFT:
      return VK_LEFT;
    case SDL_SCANCODE_RIGHT:
      return VK_RIGHT;
    case SDL_SCANCODE_UP:
      return VK_UP;
    case SDL_SCANCODE_DOWN:
      return VK_DOWN;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      return VK_RETURN;
    case SDL_SCANCODE_TAB:
      return VK_TAB;
    case SDL_SCANCODE_SPACE:
      return VK_SPACE;
    default:
      return Key.sym == SDLK_i ? 'I' : 0;
  }
}

void DeliverKey(TForm& Form, const SDL_KeyboardEvent& Key) {
  const SDL_Keycode k = Key.keysym.sym;
  const bool enter = k == SDLK_RETURN || k == SDLK_KP_ENTER;
  if (enter && (Key.keysym.mod & KMOD_ALT)) {
    if (!Key.repeat) Form.ToggleFullScreen();
    return;
  }
  // Held keys are timed by the game itself (the pointer speeds up as a key stays down).
  const std::uint16_t vk = VirtualKey(Key.keysym);
  if (vk != 0 && !Key.repeat) Form.KeyDown(vk, CurrentShift());
  if (enter) {
    Form.KeyPress('\r');
  } else if (k == SDLK_ESCAPE) {
    Form.KeyPress('\x1B');
  } else if (k == SDLK_BACKSPACE) {
    Form.KeyPress('\b');
  } else if (k == SDLK_TAB) {
    Form.KeyPress('\t');
  }
}

}  // namespace

void DeliverEvent(TForm& Form, const SDL_Event& e) {
  const std::uint32_t id = Form.WindowId();
  Display& display = *Form.display_;
  switch (e.type) {
    case SDL_WINDOWEVENT:
      if (e.window.windowID != id) return;
      // Moved, resized, exposed, restored: the bars and the picture may be gone.
      display.Invalidate();
      Form.presents_.RequestRepaint();
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          Form.Close();
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          Form.FocusGained();
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          Form.FocusLost();
          break;
        default:
          break;
      }
      break;
    case SDL_RENDER_DEVICE_RESET:
      display.MarkDeviceLost();
      [[fallthrough]];
    case SDL_RENDER_TARGETS_RESET:
      Form.presents_.RequestRepaint();
      if (Form.OnDisplayLost) Form.OnDisplayLost(&Form);
      break;
    case SDL_MOUSEMOTION: {
      if (e.motion.windowID != id || e.motion.which == SDL_TOUCH_MOUSEID) return;
      const TPoint p = Form.WindowToDisplay(e.motion.x, e.motion.y);
      Form.MouseMove(CurrentShift(), p.X, p.Y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.windowID != id || e.button.which == SDL_TOUCH_MOUSEID) return;
      TMouseButton b;
      if (!ToButton(e.button.button, b)) return;
      const TPoint p = Form.WindowToDisplay(e.button.x, e.button.y);
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        Form.MouseDown(b, CurrentShift(), p.X, p.Y);
      } else {
        Form.MouseUp(b, CurrentShift(), p.X, p.Y);
      }
      break;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERMOTION:
    case SDL_FINGERUP: {
      if (e.tfinger.windowID != 0 && e.tfinger.windowID != id) return;
      int ww = 1, wh = 1;
      display.WindowSize(ww, wh);
      const TPoint p = Form.WindowToDisplay(static_cast<int>(e.tfinger.x * ww),
                                            static_cast<int>(e.tfinger.y * wh));
      TForm::TTouch& t = Form.touch_;
      const bool first = t.State != TForm::TTouch::Phase::None && e.tfinger.fingerId == t.Finger;
      if (e.type == SDL_FINGERDOWN) {
        if (t.State == TForm::TTouch::Phase::None) {
          t = TForm::TTouch{TForm::TTouch::Phase::Pending, e.tfinger.fingerId, timeGetTime(), p.X,
                            p.Y};
          Form.MouseMove(0, p.X, p.Y);
        } else if (t.State == TForm::TTouch::Phase::Pending) {
          // A second finger: the right button where the first one touched.
          t.State = TForm::TTouch::Phase::Done;
          Form.MouseDown(mbRight, ssRight, t.X, t.Y);
          Form.MouseUp(mbRight, 0, t.X, t.Y);
        }
      } else if (e.type == SDL_FINGERMOTION && first) {
        if (t.State == TForm::TTouch::Phase::Pending &&
            (std::abs(p.X - t.X) > kTouchSlop || std::abs(p.Y - t.Y) > kTouchSlop)) {
          t.State = TForm::TTouch::Phase::Pressed;
          Form.MouseDown(mbLeft, ssLeft, t.X, t.Y);
        }
        if (t.State == TForm::TTouch::Phase::Pressed) Form.MouseMove(ssLeft, p.X, p.Y);
      } else if (e.type == SDL_FINGERUP && first) {
        if (t.State == TForm::TTouch::Phase::Pending) {
          Form.MouseDown(mbLeft, ssLeft, t.X, t.Y);
          Form.MouseUp(mbLeft, 0, p.X, p.Y);
        } else if (t.State == TForm::TTouch::Phase::Pressed) {
          Form.MouseUp(mbLeft, 0, p.X, p.Y);
        }
        t = TForm::TTouch{};
      }
      break;
    }
    case SDL_KEYDOWN:
      DeliverKey(Form, e.key);
      break;
    case SDL_KEYUP:
      // Alt+Enter's release is no key of the game's: its press never reached it.
      if (const std::uint16_t vk = VirtualKey(e.key.keysym);
          vk != 0 && !(vk == VK_RETURN && (e.key.keysym.mod & KMOD_ALT))) {
        Form.KeyUp(vk, CurrentShift());
      }
      break;
    case SDL_TEXTINPUT:
      DeliverText(Form, e.text.text);
      break;
    default:
      gamepad::Deliver(Form, e);
      break;
  }
}

void PollTouch(TForm& Form) {
  TForm::TTouch& t = Form.touch_;
  if (t.State != TForm::TTouch::Phase::Pending) return;
  if (static_cast<std::int32_t>(timeGetTime() - t.DownAt) <
      static_cast<std::int32_t>(kTouchHoldMs)) {
    return;
  }
  t.State = TForm::TTouch::Phase::Pressed;
  Form.MouseDown(mbLeft, ssLeft, t.X, t.Y);
}

}  // namespace vornu
