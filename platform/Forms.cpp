#include "platform/Forms.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "platform/Display.h"
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
  if (Reports.Destroyed) Reports.Destroyed();
}

int TForm::ClientWidth() const {
  return displayWidth_ > 0 ? displayWidth_ : clientWidth_;
}
int TForm::ClientHeight() const {
  return displayHeight_ > 0 ? displayHeight_ : clientHeight_;
}

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

bool TForm::Visible() const {
  return display_->WindowOpen();
}

std::uint32_t TForm::WindowId() const {
  return display_->WindowId();
}

void TForm::OpenWindow() {
  display_->OpenWindow(vornu::WindowStyle{vornu::Cp1252ToUtf8(settings_.Caption), settings_.Left,
                                          settings_.Top, clientWidth_, clientHeight_,
                                          BorderStyle == bsNone, FormStyle == fsStayOnTop});
}

void TForm::Show() {
  if (closed_) return;
  OpenWindow();
  Activate();
  if (Reports.FocusChanged) Reports.FocusChanged(true);
}

void TForm::RunHandler(const TNotifyEvent& Handler) {
  if (!Handler) return;
  // Copy: the handler may replace or remove itself.
  const TNotifyEvent Call = Handler;
  if (!Reports.HandlerFailed) {
    Call(this);
    return;
  }
  try {
    Call(this);
  } catch (const std::exception& e) {
    Reports.HandlerFailed(this, e);
  }
}

void TForm::Close() {
  if (closed_) return;
  closed_ = true;
  // The window goes however the handler ends; a failure nobody takes goes on to the caller.
  std::exception_ptr failure;
  try {
    RunHandler(OnClose);
  } catch (...) {
    failure = std::current_exception();
  }
  display_->CloseWindow();
  if (Reports.Closed) Reports.Closed();
  if (failure) std::rethrow_exception(failure);
}

void TForm::Activate() {
  if (active_ || closed_) return;
  active_ = true;
  RunHandler(OnActivate);
}

void TForm::Deactivate() {
  if (!active_) return;
  active_ = false;
  RunHandler(OnDeactivate);
}

void TForm::FocusGained() {
  Activate();
  if (Reports.FocusChanged) Reports.FocusChanged(true);
}

void TForm::FocusLost() {
  // The application deactivates its main form itself, once it has become inactive.
  if (Reports.FocusChanged) {
    Reports.FocusChanged(false);
  } else {
    Deactivate();
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
