#include "platform/Forms.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <thread>
#include <vector>

#include "platform/AudioDevice.h"
#include "platform/Clock.h"
#include "platform/PixelConvert.h"
#include "platform/Text1252.h"
#include "platform/WindowProbe.h"

namespace {

TApplication gApplication;

std::function<bool(const std::string&)> gConfirmHook;
std::function<void(const std::string&)> gTraceHook;
std::mutex gHookMutex;

bool VideoUp() { return SDL_WasInit(SDL_INIT_VIDEO) != 0; }

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

// Drivers that show nothing: no window manager to wait for.
bool HeadlessDriver() {
  const char* d = SDL_GetCurrentVideoDriver();
  return d && (std::strcmp(d, "dummy") == 0 || std::strcmp(d, "offscreen") == 0);
}

std::string Utf8(std::string_view cp1252) {
  return vornu::Cp1252ToUtf8(cp1252);
}

}  // namespace

TApplication* Application = &gApplication;

// ---- Work handed to the main thread ----

struct TApplication::SyncQueue {
  struct Item {
    const std::function<void()>* Call;
    bool Started = false;
    bool Done = false;
  };
  std::mutex Mutex;
  std::condition_variable Finished;
  std::condition_variable Kick;
  std::deque<Item*> Queue;
  bool Kicked = false;
  std::thread::id MainThread = std::this_thread::get_id();
  std::atomic<Uint32> WakeType{0};
};

TApplication::TApplication() : sync_(std::make_unique<SyncQueue>()) {}

TApplication::~TApplication() = default;

void TApplication::Initialize() {
  sync_->MainThread = std::this_thread::get_id();
  if (initialized_) return;
  if (!EnvSet("SDL_VIDEODRIVER") && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
    throw Exception(
        "no display: DISPLAY is not set. Start Vornu on a desktop or under Xvfb (see README); "
        "SDL_VIDEODRIVER=dummy runs it invisibly");
  }
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    throw Exception(std::string("cannot start the display: ") + SDL_GetError());
  }
  const Uint32 wake = SDL_RegisterEvents(1);
  if (wake != static_cast<Uint32>(-1)) sync_->WakeType = wake;
  initialized_ = true;
}

void TApplication::Finalize() {
  vornu::audio::Close();
  if (initialized_) SDL_Quit();
  initialized_ = false;
}

void TApplication::SetMainForm(TForm* Form) {
  mainForm_ = Form;
  terminated_ = false;
  if (!Form) return;
  Form->Loaded();
  Form->Show();
}

void TApplication::ForgetForm(TForm* Form) {
  if (mainForm_ == Form) mainForm_ = nullptr;
}

void TApplication::Run() {
  while (!terminated_) {
    ProcessMessages();
    if (terminated_) break;
    // Frames keep to the display's refresh. Until the next one is due the loop waits for
    // events, so that input and timer ticks are still handled as they come.
    const int pace = OnIdle && mainForm_ ? mainForm_->MsUntilNextFrame() : 0;
    if (pace > 0) {
      HandleSdlEvents(true, std::min(pace, MsToNextTimer()));
      continue;
    }
    bool done = true;
    try {
      done = DoIdle();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
    if (done && !terminated_) HandleSdlEvents(true, MsToNextTimer());
  }
}

void TApplication::ProcessMessages() {
  HandleSdlEvents(false, 0);
  DispatchPosted();
  RunSynchronized();
  ProcessTimers();
}

void TApplication::ProcessTimers() {
  const std::vector<TTimerSource*> snapshot = timers_;
  for (TTimerSource* t : snapshot) {
    // A handler may have destroyed a later timer.
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    try {
      t->PollTimer();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  }
}

bool TApplication::DoIdle() {
  bool done = true;
  if (OnIdle) {
    // Copy: the handler may replace or remove itself.
    TIdleEvent idle = OnIdle;
    idle(this, done);
  }
  return done;
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
  if (OnException) {
    try {
      TExceptionEvent handler = OnException;
      handler(Sender, E);
      return;
    } catch (const std::exception& inner) {
      std::fprintf(stderr, "vornu: %s\n", Utf8(inner.what()).c_str());
    }
  }
  std::fprintf(stderr, "vornu: %s\n", Utf8(E.what()).c_str());
}

void TApplication::PostMessage(std::uint32_t Message, std::intptr_t WParam,
                               std::intptr_t LParam) {
  posted_.push_back(TMsg{Message, WParam, LParam});
}

void TApplication::DispatchPosted() {
  // Messages posted while dispatching wait for the next round, as a queue would hold them.
  std::vector<TMsg> batch;
  batch.swap(posted_);
  for (TMsg& m : batch) {
    bool handled = false;
    if (!OnMessage) continue;
    try {
      TMessageEvent hook = OnMessage;
      hook(m, handled);
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  }
}

bool TApplication::Synchronize(const std::function<void()>& Call,
                               const std::atomic<bool>& Stop) {
  if (std::this_thread::get_id() == sync_->MainThread) {
    Call();
    return true;
  }
  SyncQueue::Item item{&Call};
  std::unique_lock<std::mutex> lock(sync_->Mutex);
  sync_->Queue.push_back(&item);
  sync_->Kicked = true;
  lock.unlock();
  sync_->Kick.notify_all();
  WakeUp();
  lock.lock();
  sync_->Finished.wait(lock, [&] { return item.Done || Stop.load(); });
  if (!item.Done) {
    if (!item.Started) {
      auto& q = sync_->Queue;
      q.erase(std::remove(q.begin(), q.end(), &item), q.end());
      return false;
    }
    // Already running on the main thread: the item lives on this stack until it is done.
    sync_->Finished.wait(lock, [&] { return item.Done; });
  }
  return true;
}

void TApplication::WakeSynchronized() {
  // Taking the lock orders the caller's stop flag before the waiters' next look at it.
  { std::lock_guard<std::mutex> lock(sync_->Mutex); }
  sync_->Finished.notify_all();
}

void TApplication::RunSynchronized() {
  for (;;) {
    std::unique_lock<std::mutex> lock(sync_->Mutex);
    if (sync_->Queue.empty()) return;
    SyncQueue::Item* item = sync_->Queue.front();
    sync_->Queue.pop_front();
    item->Started = true;
    lock.unlock();
    try {
      (*item->Call)();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
    lock.lock();
    item->Done = true;
    lock.unlock();
    sync_->Finished.notify_all();
  }
}

void TApplication::WakeUp() {
  const Uint32 type = sync_->WakeType.load();
  if (type != 0 && SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event e{};
    e.type = type;
    SDL_PushEvent(&e);
  }
}

int TApplication::MsToNextTimer() {
  long best = 100;
  for (const TTimerSource* t : timers_) {
    const long ms = t->MsUntilDue();
    if (ms >= 0) best = std::min(best, ms);
  }
  return static_cast<int>(std::max(best, 0L));
}

void TApplication::HandleSdlEvents(bool Wait, int TimeoutMs) {
  if (!initialized_) {
    if (Wait) {
      std::unique_lock<std::mutex> lock(sync_->Mutex);
      sync_->Kick.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                           [&] { return sync_->Kicked; });
      sync_->Kicked = false;
    }
    return;
  }
  SDL_Event e;
  int got = Wait ? SDL_WaitEventTimeout(&e, TimeoutMs) : SDL_PollEvent(&e);
  while (got) {
    try {
      DispatchSdlEvent(&e);
    } catch (const std::exception& ex) {
      HandleException(this, ex);
    }
    got = SDL_PollEvent(&e);
  }
}

void TApplication::DispatchSdlEvent(const void* Event) {
  const auto& e = *static_cast<const SDL_Event*>(Event);
  if (e.type == SDL_QUIT) {
    if (mainForm_) {
      mainForm_->Close();
    } else {
      Terminate();
    }
    return;
  }
  if (mainForm_) mainForm_->HandleWindowEvent(Event);
}

void TApplication::SetCursorVisible(bool Visible) {
  if (VideoUp()) SDL_ShowCursor(Visible ? SDL_ENABLE : SDL_DISABLE);
}

void TApplication::SetScreenSaverBlocked(bool Blocked) {
  if (!VideoUp()) return;
  if (Blocked) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
}

void TApplication::SetActive(bool Active) {
  if (Active == active_) return;
  active_ = Active;
  PostMessage(WM_ACTIVATEAPP, Active ? 1 : 0);
  if (mainForm_) {
    if (Active) {
      mainForm_->Activate();
    } else {
      mainForm_->Deactivate();
    }
  }
}

void TApplication::AddTimerSource(TTimerSource* Source) {
  if (std::find(timers_.begin(), timers_.end(), Source) == timers_.end()) {
    timers_.push_back(Source);
  }
}

void TApplication::RemoveTimerSource(TTimerSource* Source) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), Source), timers_.end());
}

// ---- The form ----

TForm::TForm(const TFormSettings& Settings)
    : TComponent(nullptr),
      Font(Settings.Font),
      settings_(Settings),
      clientWidth_(Settings.Width),
      clientHeight_(Settings.Height) {}

TForm::~TForm() {
  DestroyWindow();
  Application->ForgetForm(this);
}

int TForm::ClientWidth() const { return displayWidth_ > 0 ? displayWidth_ : clientWidth_; }
int TForm::ClientHeight() const { return displayHeight_ > 0 ? displayHeight_ : clientHeight_; }

void TForm::SetClientSize(int Width, int Height) {
  clientWidth_ = Width;
  clientHeight_ = Height;
  if (window_ && !fullScreen_) {
    SDL_SetWindowSize(static_cast<SDL_Window*>(window_), Width, Height);
  }
}

void TForm::Loaded() {
  // Copy: a component's Loaded may create further components.
  const std::vector<TComponent*> list = Components();
  for (TComponent* c : list) c->Loaded();
}

void TForm::CreateWindow() {
  if (window_ || !VideoUp()) return;
  Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
  if (BorderStyle == bsNone) flags |= SDL_WINDOW_BORDERLESS;
  if (FormStyle == fsStayOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  const std::string title = Utf8(settings_.Caption);
  SDL_Window* w = SDL_CreateWindow(title.c_str(), settings_.Left, settings_.Top,
                                   std::max(clientWidth_, 1), std::max(clientHeight_, 1), flags);
  if (!w) throw Exception(std::string("cannot open a window: ") + SDL_GetError());
  window_ = w;
}

void TForm::DestroyWindow() {
  if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
  if (renderer_) SDL_DestroyRenderer(static_cast<SDL_Renderer*>(renderer_));
  if (window_) SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
  texture_ = renderer_ = window_ = nullptr;
}

void TForm::Show() {
  if (closed_) return;
  CreateWindow();
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
  DestroyWindow();
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

bool TForm::CreateTexture() {
  auto* r = static_cast<SDL_Renderer*>(renderer_);
  if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
  texture_ = nullptr;
  // The back buffer is converted to 32 bits here: the renderer scales a 32-bit texture far
  // faster than a 16-bit one.
  SDL_Texture* t = SDL_CreateTexture(r, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                     displayWidth_, displayHeight_);
  if (!t) return false;
  SDL_SetTextureScaleMode(t, SDL_ScaleModeNearest);
  texture_ = t;
  presents_.RequestRepaint();  // a new texture holds nothing yet
  return true;
}

void TForm::SetDisplay(int Width, int Height, bool FullScreen) {
  if (Width < 1 || Height < 1) throw Exception("display size must be positive");
  if (!VideoUp()) throw Exception("the display is not started");
  CreateWindow();
  auto* w = static_cast<SDL_Window*>(window_);
  if (!renderer_) {
    SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!r) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
    if (!r) throw Exception(std::string("cannot draw on the window: ") + SDL_GetError());
    renderer_ = r;
  }
  displayWidth_ = Width;
  displayHeight_ = Height;
  if (!CreateTexture()) {
    throw Exception(std::string("cannot make the display picture: ") + SDL_GetError());
  }
  fullScreen_ = FullScreen;
  windowScale_ = 1;
  ApplyWindowShape();
}

void TForm::ApplyWindowShape() {
  barsPainted_ = 0;
  presents_.RequestRepaint();
  auto* w = static_cast<SDL_Window*>(window_);
  if (!w) return;
  int index = SDL_GetWindowDisplayIndex(w);
  if (index < 0) index = 0;
  SDL_Rect bounds{0, 0, displayWidth_, displayHeight_};
  SDL_GetDisplayBounds(index, &bounds);
  if (!fullScreen_) {
    SDL_SetWindowFullscreen(w, 0);
    SDL_SetWindowBordered(w, BorderStyle == bsNone ? SDL_FALSE : SDL_TRUE);
    SDL_SetWindowSize(w, displayWidth_ * windowScale_, displayHeight_ * windowScale_);
    SDL_SetWindowPosition(w, SDL_WINDOWPOS_CENTERED_DISPLAY(index),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(index));
    return;
  }
  // Without a window manager nobody answers a request for full screen (the request itself
  // waits for an answer): cover the monitor with a borderless window of its size instead.
  const bool manager = HeadlessDriver() || vornu::WindowManagerRunning(w) != 0;
  if (manager) SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
  if (HeadlessDriver()) return;
  // SDL reports the size it asked for; where the window system can be asked, ask it.
  auto covers = [&] {
    int ww = 0, hh = 0;
    if (!vornu::RealWindowSize(w, ww, hh)) SDL_GetWindowSize(w, &ww, &hh);
    return ww >= bounds.w && hh >= bounds.h;
  };
  auto settle = [&] {
    // The window manager answers asynchronously; give it a moment.
    for (int i = 0; i < 30 && !covers(); ++i) {
      SDL_PumpEvents();
      SDL_Delay(10);
    }
  };
  if (manager) {
    settle();
    if (covers()) return;
    SDL_SetWindowFullscreen(w, 0);
  }
  SDL_SetWindowBordered(w, SDL_FALSE);
  SDL_SetWindowPosition(w, bounds.x, bounds.y);
  SDL_SetWindowSize(w, bounds.w, bounds.h);
  SDL_RaiseWindow(w);
  settle();
  if (!covers()) {
    std::fprintf(stderr, "vornu: the window could not be made full screen\n");
  }
}

void TForm::ToggleFullScreen() {
  if (!window_ || displayWidth_ == 0) return;
  fullScreen_ = !fullScreen_;
  if (!fullScreen_) {
    // A window as large as fits comfortably on the monitor, in whole steps.
    SDL_Rect b{0, 0, displayWidth_, displayHeight_};
    SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(static_cast<SDL_Window*>(window_)), 0), &b);
    windowScale_ = std::max(1, std::min(b.w * 3 / 4 / displayWidth_, b.h * 3 / 4 / displayHeight_));
  }
  ApplyWindowShape();
}

bool TForm::RestoreDisplay() {
  barsPainted_ = 0;
  presents_.RequestRepaint();
  if (!window_ || displayWidth_ == 0) return true;
  if (deviceLost_) {
    if (texture_) SDL_DestroyTexture(static_cast<SDL_Texture*>(texture_));
    texture_ = nullptr;
    if (renderer_) SDL_DestroyRenderer(static_cast<SDL_Renderer*>(renderer_));
    renderer_ = nullptr;
    auto* w = static_cast<SDL_Window*>(window_);
    SDL_Renderer* r = SDL_CreateRenderer(w, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!r) r = SDL_CreateRenderer(w, -1, SDL_RENDERER_SOFTWARE);
    if (!r) {
      std::fprintf(stderr, "vornu: cannot rebuild the display: %s\n", SDL_GetError());
      return false;
    }
    renderer_ = r;
    deviceLost_ = false;
  }
  if (!texture_ && !CreateTexture()) {
    std::fprintf(stderr, "vornu: cannot rebuild the display: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

TRect TForm::OutputRect() const {
  int ow = ClientWidth(), oh = ClientHeight();
  if (renderer_) {
    SDL_GetRendererOutputSize(static_cast<SDL_Renderer*>(renderer_), &ow, &oh);
  } else if (window_) {
    SDL_GetWindowSize(static_cast<SDL_Window*>(window_), &ow, &oh);
  }
  const int w = displayWidth_ > 0 ? displayWidth_ : std::max(ow, 1);
  const int h = displayHeight_ > 0 ? displayHeight_ : std::max(oh, 1);
  const int factor = std::max(1, std::min(ow / w, oh / h));
  const int left = (ow - w * factor) / 2, top = (oh - h * factor) / 2;
  return Rect(left, top, left + w * factor, top + h * factor);
}

TPoint TForm::WindowToDisplay(int X, int Y) const {
  const int w = ClientWidth(), h = ClientHeight();
  if (w < 1 || h < 1) return TPoint{0, 0};
  double sx = 1.0, sy = 1.0;
  if (window_ && renderer_) {
    // Window coordinates and output pixels differ on high-density screens.
    int ww = 1, wh = 1, ow = 1, oh = 1;
    SDL_GetWindowSize(static_cast<SDL_Window*>(window_), &ww, &wh);
    SDL_GetRendererOutputSize(static_cast<SDL_Renderer*>(renderer_), &ow, &oh);
    if (ww > 0 && wh > 0) {
      sx = static_cast<double>(ow) / ww;
      sy = static_cast<double>(oh) / wh;
    }
  }
  const TRect r = OutputRect();
  const double px = X * sx - r.Left, py = Y * sy - r.Top;
  int lx = static_cast<int>(std::floor(px * w / std::max(r.Width(), 1)));
  int ly = static_cast<int>(std::floor(py * h / std::max(r.Height(), 1)));
  return TPoint{std::clamp(lx, 0, w - 1), std::clamp(ly, 0, h - 1)};
}

void TForm::Present(const TPixelView& Pixels) {
  if (!renderer_ || !texture_) return;
  if (Pixels.Width != displayWidth_ || Pixels.Height != displayHeight_ || !Pixels.Pixels) {
    throw Exception("picture to show does not match the display size");
  }
  if (!presents_.Admit(Pixels)) {
    // Nothing new to show: converting, uploading and scaling the same picture again would
    // cost most of a frame's time for nothing.
    EndFrame(false);
    return;
  }
  auto* t = static_cast<SDL_Texture*>(texture_);
  auto* r = static_cast<SDL_Renderer*>(renderer_);
  void* dst = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(t, nullptr, &dst, &pitch) != 0) {
    presents_.RequestRepaint();
    return;
  }
  for (int y = 0; y < Pixels.Height; ++y) {
    auto* out = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(dst) +
                                                 static_cast<std::ptrdiff_t>(y) * pitch);
    const std::uint8_t* in = Pixels.Pixels + static_cast<std::ptrdiff_t>(y) * Pixels.Pitch;
    switch (Pixels.Format) {
      case TPixelFormat::RGB565:
        // The surface rows are 2-byte aligned (even pitch, allocator-aligned start).
        vornu::Rgb565ToXrgb(reinterpret_cast<const std::uint16_t*>(in), out, Pixels.Width);
        break;
      case TPixelFormat::Indexed8:
        if (Pixels.Palette) {
          vornu::IndexedToXrgb(in, Pixels.Palette->data(), out, Pixels.Width);
        } else {
          std::memset(out, 0, static_cast<std::size_t>(Pixels.Width) * 4);
        }
        break;
      case TPixelFormat::XRGB8888:
        std::memcpy(out, in, static_cast<std::size_t>(Pixels.Width) * 4);
        break;
    }
  }
  SDL_UnlockTexture(t);
  // Only the letterbox bars are painted black: clearing the whole output first would touch
  // every pixel twice.
  const TRect o = OutputRect();
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(r, &ow, &oh);
  const SDL_Rect bars[4] = {{0, 0, ow, o.Top},
                            {0, o.Bottom, ow, oh - o.Bottom},
                            {0, o.Top, o.Left, o.Height()},
                            {o.Right, o.Top, ow - o.Right, o.Height()}};
  // The software renderer keeps its output between frames, so there the bars are painted
  // only after the window changed; other renderers lose their output on every present.
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(r, &info);
  if (!(info.flags & SDL_RENDERER_SOFTWARE) || barsPainted_ < 2) {
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    for (const SDL_Rect& bar : bars) {
      if (bar.w > 0 && bar.h > 0) SDL_RenderFillRect(r, &bar);
    }
    ++barsPainted_;
  }
  const SDL_Rect d{o.Left, o.Top, o.Width(), o.Height()};
  SDL_RenderCopy(r, t, nullptr, &d);
  SDL_RenderPresent(r);
  presents_.Shown();
  EndFrame((info.flags & SDL_RENDERER_PRESENTVSYNC) != 0);
}

namespace {

long long SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

void TForm::EndFrame(bool WaitedForVsync) {
  if (HeadlessDriver()) {
    nextFrameNs_ = 0;
    return;
  }
  const long long now = SteadyNs();
  if (WaitedForVsync) {
    // The present returned at a refresh: the next frame may start at once, and one that shows
    // nothing new keeps to the refresh from here.
    nextFrameNs_ = now;
    return;
  }
  SDL_DisplayMode mode{};
  int hz = 60;
  if (SDL_GetWindowDisplayMode(static_cast<SDL_Window*>(window_), &mode) == 0 &&
      mode.refresh_rate >= 30) {
    hz = mode.refresh_rate;
  }
  const long long period = 1000000000LL / hz;
  const long long due = nextFrameNs_ + period;
  // On time: keep the rhythm; fallen behind by more than a refresh: start it again from now.
  nextFrameNs_ = (due > now && due - now <= period) ? due : now + period;
}

int TForm::MsUntilNextFrame() const {
  if (nextFrameNs_ == 0) return 0;
  const long long left = nextFrameNs_ - SteadyNs();
  return left <= 0 ? 0 : static_cast<int>((left + 999999) / 1000000);
}

std::uint32_t TForm::WindowId() const {
  return window_ ? SDL_GetWindowID(static_cast<SDL_Window*>(window_)) : 0;
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

namespace {

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

}  // namespace

void TForm::HandleWindowEvent(const void* SdlEvent) {
  const auto& e = *static_cast<const SDL_Event*>(SdlEvent);
  switch (e.type) {
    case SDL_WINDOWEVENT:
      if (e.window.windowID != WindowId()) return;
      // Moved, resized, exposed, restored: the bars and the picture may be gone.
      barsPainted_ = 0;
      presents_.RequestRepaint();
      switch (e.window.event) {
        case SDL_WINDOWEVENT_CLOSE:
          Close();
          break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          Activate();
          if (Application->MainForm() == this) Application->SetActive(true);
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          if (Application->MainForm() == this) {
            Application->SetActive(false);
          } else {
            Deactivate();
          }
          break;
        default:
          break;
      }
      break;
    case SDL_RENDER_DEVICE_RESET:
      deviceLost_ = true;
      [[fallthrough]];
    case SDL_RENDER_TARGETS_RESET:
      presents_.RequestRepaint();
      if (OnDisplayLost) OnDisplayLost(this);
      break;
    case SDL_MOUSEMOTION: {
      if (e.motion.windowID != WindowId()) return;
      const TPoint p = WindowToDisplay(e.motion.x, e.motion.y);
      MouseMove(CurrentShift(), p.X, p.Y);
      break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.windowID != WindowId()) return;
      TMouseButton b;
      if (!ToButton(e.button.button, b)) return;
      const TPoint p = WindowToDisplay(e.button.x, e.button.y);
      if (e.type == SDL_MOUSEBUTTONDOWN) {
        MouseDown(b, CurrentShift(), p.X, p.Y);
      } else {
        MouseUp(b, CurrentShift(), p.X, p.Y);
      }
      break;
    }
    case SDL_KEYDOWN: {
      const SDL_Keycode k = e.key.keysym.sym;
      const bool enter = k == SDLK_RETURN || k == SDLK_KP_ENTER;
      if (enter && (e.key.keysym.mod & KMOD_ALT)) {
        if (!e.key.repeat) ToggleFullScreen();
        return;
      }
      if (enter) {
        KeyPress('\r');
      } else if (k == SDLK_ESCAPE) {
        KeyPress('\x1B');
      } else if (k == SDLK_BACKSPACE) {
        KeyPress('\b');
      } else if (k == SDLK_TAB) {
        KeyPress('\t');
      }
      break;
    }
    case SDL_TEXTINPUT: {
      if (SDL_GetModState() & KMOD_ALT) return;
      // Deliver each character that Windows-1252 can hold; others have no key for the game.
      const std::string text = e.text.text;
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
          const std::string one = vornu::Utf8To1252(std::string_view(text).substr(i, len));
          if (one.size() == 1) KeyPress(one[0]);
        } catch (const std::invalid_argument&) {
        }
        i += len;
      }
      break;
    }
    default:
      break;
  }
}

// ---- Dialogs, beeps and trace lines ----

void MessageBeep(unsigned) {
  if (vornu::audio::PlayBeep()) return;
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

bool ConfirmYesNo(const std::string& Text, const std::string& Caption) {
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    if (gConfirmHook) return gConfirmHook(Text);
  }
  if (!VideoUp()) return false;
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
  };
  const std::string text = Utf8(Text), caption = Utf8(Caption);
  SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, caption.c_str(), text.c_str(),
                          2, buttons, nullptr};
  int answer = 0;
  if (SDL_ShowMessageBox(&data, &answer) != 0) return false;
  return answer == 1;
}

void SetConfirmHook(std::function<bool(const std::string& Text)> Hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  gConfirmHook = std::move(Hook);
}

void TraceLine(std::string_view Text) {
  const std::string line(Text.substr(0, 255));
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    hook = gTraceHook;
  }
  if (hook) {
    hook(line);
    return;
  }
  std::fprintf(stderr, "vornu trace: %s\n", Utf8(line).c_str());
}

void SetTraceHook(std::function<void(const std::string& Line)> Hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  gTraceHook = std::move(Hook);
}

int DesktopBitsPerPixel() {
  SDL_DisplayMode m;
  if (!VideoUp() || SDL_GetDesktopDisplayMode(0, &m) != 0) return 32;
  const int bits = SDL_BITSPERPIXEL(m.format);
  return bits > 0 ? bits : 32;
}
