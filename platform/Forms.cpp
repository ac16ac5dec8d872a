#include "platform/Forms.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/FormEvents.h"
#include "platform/Gamepad.h"
#include "platform/Text1252.h"

// ---- The form ----

TForm::TForm(const TFormSettings& Settings)
    : TComponent(nullptr),
      Font(Settings.Font),
      settings_(Settings),
      display_(std::make_unique<vornu::Display>()),
      clientWidth_(Settings.Width),
      clientHeight_(Settings.Height) {}

TForm::~TForm() {
  display_->CloseWindow();
  Application->ForgetForm(this);
}

int TForm::ClientWidth() const { return displayWidth_ > 0 ? displayWidth_ : clientWidth_; }
int TForm::ClientHeight() const { return displayHeight_ > 0 ? displayHeight_ : clientHeight_; }

void TForm::SetClientSize(int Width, int Height) {
  clientWidth_ = Width;
  clientHeight_ = Height;
  if (!fullScreen_) display_->SetWindowSize(Width, Height);
}

void TForm::Loaded() {
  // Copy: a component's Loaded may create further components.
  const std::vector<TComponent*> list = Components();
  for (TComponent* c : list) c->Loaded();
}

bool TForm::Visible() const { return display_->WindowOpen(); }

std::uint32_t TForm::WindowId() const { return display_->WindowId(); }

void TForm::OpenWindow() {
  display_->OpenWindow(vornu::WindowStyle{vornu::Cp1252ToUtf8(settings_.Caption), settings_.Left,
                                          settings_.Top, clientWidth_, clientHeight_,
                                          BorderStyle == bsNone, FormStyle == fsStayOnTop});
}

void TForm::Show() {
  if (closed_) return;
  OpenWindow();
  Activate();
  if (Application->MainForm() == this) Application->SetActive(true);
}

void TForm::Close() {
  if (closed_) return;
  closed_ = true;
  if (OnClose) {
    try {
      OnClose(this);
    } catch (const std::exception& e) {
      Application->HandleException(this, e);
    }
  }
  display_->CloseWindow();
  if (Application->MainForm() == this) Application->Terminate();
}

void TForm::Activate() {
  if (active_ || closed_) return;
  active_ = true;
  if (!OnActivate) return;
  try {
    TNotifyEvent handler = OnActivate;
    handler(this);
  } catch (const std::exception& e) {
    Application->HandleException(this, e);
  }
}

void TForm::Deactivate() {
  if (!active_) return;
  active_ = false;
  if (!OnDeactivate) return;
  try {
    TNotifyEvent handler = OnDeactivate;
    handler(this);
  } catch (const std::exception& e) {
    Application->HandleException(this, e);
  }
}

void TForm::SetDisplay(int Width, int Height, bool FullScreen) {
  if (Width < 1 || Height < 1) throw Exception("display size must be positive");
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) throw Exception("the display is not started");
  OpenWindow();
  display_->SetMode(Width, Height, FullScreen, BorderStyle != bsNone);
  presents_.RequestRepaint();  // a new picture holds nothing yet
  presents_.Note(display_->PathName().c_str());
  displayWidth_ = Width;
  displayHeight_ = Height;
  fullScreen_ = FullScreen;
}

void TForm::ToggleFullScreen() {
  if (!display_->WindowOpen() || displayWidth_ == 0) return;
  fullScreen_ = !fullScreen_;
  presents_.RequestRepaint();
  display_->SetFullScreen(fullScreen_, BorderStyle != bsNone);
}

bool TForm::RestoreDisplay() {
  presents_.RequestRepaint();
  return display_->Restore();
}

TRect TForm::OutputRect() const {
  int ow = ClientWidth(), oh = ClientHeight();
  if (display_->WindowOpen()) display_->OutputSize(ow, oh);
  const int w = displayWidth_ > 0 ? displayWidth_ : std::max(ow, 1);
  const int h = displayHeight_ > 0 ? displayHeight_ : std::max(oh, 1);
  const int factor = std::max(1, std::min(ow / w, oh / h));
  const int left = (ow - w * factor) / 2, top = (oh - h * factor) / 2;
  return Rect(left, top, left + w * factor, top + h * factor);
}

namespace {

// Output pixels per window unit (they differ on high-density screens).
void WindowScale(const vornu::Display& D, double& Sx, double& Sy) {
  Sx = Sy = 1.0;
  if (!D.WindowOpen()) return;
  int ww = 1, wh = 1, ow = 1, oh = 1;
  D.WindowSize(ww, wh);
  D.OutputSize(ow, oh);
  if (ww > 0 && wh > 0) {
    Sx = static_cast<double>(ow) / ww;
    Sy = static_cast<double>(oh) / wh;
  }
}

}  // namespace

TPoint TForm::WindowToDisplay(int X, int Y) const {
  const int w = ClientWidth(), h = ClientHeight();
  if (w < 1 || h < 1) return TPoint{0, 0};
  double sx = 1.0, sy = 1.0;
  WindowScale(*display_, sx, sy);
  const TRect r = OutputRect();
  const double px = X * sx - r.Left, py = Y * sy - r.Top;
  int lx = static_cast<int>(std::floor(px * w / std::max(r.Width(), 1)));
  int ly = static_cast<int>(std::floor(py * h / std::max(r.Height(), 1)));
  return TPoint{std::clamp(lx, 0, w - 1), std::clamp(ly, 0, h - 1)};
}

TPoint TForm::DisplayToWindow(int X, int Y) const {
  const int w = ClientWidth(), h = ClientHeight();
  double sx = 1.0, sy = 1.0;
  WindowScale(*display_, sx, sy);
  const TRect r = OutputRect();
  // The middle of the display pixel's area in output pixels, back in window units.
  const double px = r.Left + (X + 0.5) * r.Width() / std::max(w, 1);
  const double py = r.Top + (Y + 0.5) * r.Height() / std::max(h, 1);
  return TPoint{static_cast<int>(std::floor(px / sx)), static_cast<int>(std::floor(py / sy))};
}

void TForm::Present(const TPixelView& Pixels) {
  if (!display_->WindowOpen() || displayWidth_ == 0) return;
  if (Pixels.Width != displayWidth_ || Pixels.Height != displayHeight_ || !Pixels.Pixels) {
    throw Exception("picture to show does not match the display size");
  }
  if (!presents_.Admit(Pixels)) {
    // Nothing new to show: converting, uploading and scaling the same picture again would
    // cost most of a frame's time for nothing.
    display_->EndFrame(false);
    return;
  }
  if (!display_->Upload(Pixels, presents_.Changed())) {
    presents_.RequestRepaint();
    display_->EndFrame(false);
    return;
  }
  display_->Show(OutputRect(), presents_.Changed());
  presents_.Shown();
  display_->EndFrame(true);
}

bool TForm::ReadWindow(std::vector<std::uint32_t>& Pixels, int& Width, int& Height) const {
  return display_->ReadWindow(Pixels, Width, Height);
}

std::string TForm::PresentPath() const { return display_->PathName(); }

int TForm::MsUntilNextFrame() const {
  return display_->WindowOpen() && displayWidth_ > 0 ? display_->MsUntilNextFrame() : 0;
}

void TForm::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TForm::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TForm::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TForm::KeyPress(char Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TForm::KeyDown(std::uint16_t Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TForm::KeyUp(std::uint16_t Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TForm::PadButton(TPadButton Button, bool Down) {
  if (OnPadButton) OnPadButton(this, Button, Down);
}

void TForm::PadStick(double X, double Y) {
  if (OnPadStick) OnPadStick(this, X, Y);
}

int DesktopBitsPerPixel() {
  SDL_DisplayMode m;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0 || SDL_GetDesktopDisplayMode(0, &m) != 0) return 32;
  const int bits = SDL_BITSPERPIXEL(m.format);
  return bits > 0 ? bits : 32;
}

// ---- SDL's events, translated ----

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
          Form.Activate();
          if (Application->MainForm() == &Form) Application->SetActive(true);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (Application->MainForm() == &Form) {
            Application->SetActive(false);
          } else {
            Form.Deactivate();
          }
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
          t = TForm::TTouch{TForm::TTouch::Phase::Pending, e.tfinger.fingerId, timeGetTime(),
                            p.X, p.Y};
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
  if (static_cast<std::int32_t>(timeGetTime() - t.DownAt) < static_cast<std::int32_t>(kTouchHoldMs)) {
    return;
  }
  t.State = TForm::TTouch::Phase::Pressed;
  Form.MouseDown(mbLeft, ssLeft, t.X, t.Y);
}

}  // namespace vornu
