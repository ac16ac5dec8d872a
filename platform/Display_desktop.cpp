// The window on the desktop: SDL's renderer scales a 32-bit streaming texture to the window;
// full screen covers the monitor, with a borderless window where no window manager helps.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/Display.h"
#include "platform/PixelConvert.h"
#include "platform/SdlHandles.h"

#ifdef VORNU_HAVE_X11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace vornu {

namespace {

// Drivers that show nothing: no window manager to wait for.
bool HeadlessDriver() {
  const char* d = SDL_GetCurrentVideoDriver();
  return d && (std::strcmp(d, "dummy") == 0 || std::strcmp(d, "offscreen") == 0);
}

// The window's real size on the X server (SDL reports the size it asked for); false where
// that cannot be asked.
bool RealWindowSize(SDL_Window* Window, int& Width, int& Height) {
#ifdef VORNU_HAVE_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Window || !SDL_GetWindowWMInfo(Window, &info) || info.subsystem != SDL_SYSWM_X11) {
    return false;
  }
  XSync(info.info.x11.display, 0);
  XWindowAttributes a;
  if (!XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &a)) return false;
  Width = a.width;
  Height = a.height;
  return true;
#else
  (void)Window;
  (void)Width;
  (void)Height;
  return false;
#endif
}

// Whether a window manager runs on the window's screen: 1 yes, 0 no, -1 cannot be told (not
// X11). Without one, nobody answers a request for full screen.
int WindowManagerRunning(SDL_Window* Sdl) {
#ifdef VORNU_HAVE_X11
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!Sdl || !SDL_GetWindowWMInfo(Sdl, &info) || info.subsystem != SDL_SYSWM_X11) {
    return -1;
  }
  ::Display* d = info.info.x11.display;
  // A compliant window manager names its check window on the root window, and the check
  // window names itself again.
  const Atom check = XInternAtom(d, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return 0;
  auto checkWindow = [&](::Window Of, ::Window& Out) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(d, Of, check, 0, 1, False, XA_WINDOW, &type, &format,
                                          &count, &after, &data);
    const bool found = status == Success && type == XA_WINDOW && format == 32 && count == 1;
    if (found) Out = *reinterpret_cast<::Window*>(data);
    if (data) XFree(data);
    return found;
  };
  ::Window wm = 0, again = 0;
  if (!checkWindow(DefaultRootWindow(d), wm)) return 0;
  return checkWindow(wm, again) && again == wm ? 1 : 0;
#else
  (void)Sdl;
  return -1;
#endif
}

long long SteadyNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace

struct Display::Impl {
  sdl::Window window;
  sdl::Renderer renderer;
  sdl::Texture texture;
  int width = 0;  // the mode's picture
  int height = 0;
  int windowScale = 1;
  bool fullScreen = false;
  bool bordered = true;
  bool deviceLost = false;
  int barsPainted = 0;       // frames since the letterbox bars were last known to be wrong
  bool waitedForVsync = false;  // the last present returned at a refresh
  long long nextFrameNs = 0;    // steady-clock time the next frame is due; 0: at once

  bool MakeRenderer() {
    SDL_Renderer* r = SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_PRESENTVSYNC);
    if (!r) r = SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE);
    renderer.reset(r);
    return r != nullptr;
  }

  bool MakeTexture() {
    texture.reset();
    // The back buffer is converted to 32 bits here: the renderer scales a 32-bit texture far
    // faster than a 16-bit one.
    texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGB888,
                                    SDL_TEXTUREACCESS_STREAMING, width, height));
    if (!texture) return false;
    SDL_SetTextureScaleMode(texture.get(), SDL_ScaleModeNearest);
    return true;
  }

  void ApplyShape() {
    barsPainted = 0;
    SDL_Window* w = window.get();
    if (!w) return;
    int index = SDL_GetWindowDisplayIndex(w);
    if (index < 0) index = 0;
    SDL_Rect bounds{0, 0, width, height};
    SDL_GetDisplayBounds(index, &bounds);
    if (!fullScreen) {
      SDL_SetWindowFullscreen(w, 0);
      SDL_SetWindowBordered(w, bordered ? SDL_TRUE : SDL_FALSE);
      SDL_SetWindowSize(w, width * windowScale, height * windowScale);
      SDL_SetWindowPosition(w, SDL_WINDOWPOS_CENTERED_DISPLAY(index),
                            SDL_WINDOWPOS_CENTERED_DISPLAY(index));
      return;
    }
    // Without a window manager nobody answers a request for full screen (the request itself
    // waits for an answer): cover the monitor with a borderless window of its size instead.
    const bool manager = HeadlessDriver() || WindowManagerRunning(w) != 0;
    if (manager) SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (HeadlessDriver()) return;
    // SDL reports the size it asked for; where the window system can be asked, ask it.
    auto covers = [&] {
      int ww = 0, hh = 0;
      if (!RealWindowSize(w, ww, hh)) SDL_GetWindowSize(w, &ww, &hh);
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
};

Display::Display() : impl_(std::make_unique<Impl>()) {}

Display::~Display() { CloseWindow(); }

void Display::OpenWindow(const WindowStyle& Style) {
  if (impl_->window || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
  if (Style.Borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (Style.OnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  impl_->window.reset(SDL_CreateWindow(Style.Title.c_str(), Style.Left, Style.Top,
                                       std::max(Style.Width, 1), std::max(Style.Height, 1),
                                       flags));
  if (!impl_->window) throw Exception(std::string("cannot open a window: ") + SDL_GetError());
}

void Display::CloseWindow() {
  // The texture belongs to the renderer, the renderer to the window: freed in that order.
  impl_->texture.reset();
  impl_->renderer.reset();
  impl_->window.reset();
}

bool Display::WindowOpen() const { return impl_->window != nullptr; }

std::uint32_t Display::WindowId() const {
  return impl_->window ? SDL_GetWindowID(impl_->window.get()) : 0;
}

void Display::SetWindowSize(int Width, int Height) {
  if (impl_->window && !impl_->fullScreen) SDL_SetWindowSize(impl_->window.get(), Width, Height);
}

void Display::SetMode(int Width, int Height, bool FullScreen, bool Bordered) {
  if (!impl_->window) throw Exception("cannot open a window: the display is not started");
  if (!impl_->renderer && !impl_->MakeRenderer()) {
    throw Exception(std::string("cannot draw on the window: ") + SDL_GetError());
  }
  impl_->width = Width;
  impl_->height = Height;
  if (!impl_->MakeTexture()) {
    throw Exception(std::string("cannot make the display picture: ") + SDL_GetError());
  }
  impl_->fullScreen = FullScreen;
  impl_->bordered = Bordered;
  impl_->windowScale = 1;
  impl_->ApplyShape();
}

void Display::SetFullScreen(bool FullScreen, bool Bordered) {
  if (!impl_->window || impl_->width == 0) return;
  impl_->fullScreen = FullScreen;
  impl_->bordered = Bordered;
  if (!FullScreen) {
    // A window as large as fits comfortably on the monitor, in whole steps.
    SDL_Rect b{0, 0, impl_->width, impl_->height};
    SDL_GetDisplayUsableBounds(std::max(SDL_GetWindowDisplayIndex(impl_->window.get()), 0), &b);
    impl_->windowScale =
        std::max(1, std::min(b.w * 3 / 4 / impl_->width, b.h * 3 / 4 / impl_->height));
  }
  impl_->ApplyShape();
}

void Display::MarkDeviceLost() { impl_->deviceLost = true; }

bool Display::Restore() {
  impl_->barsPainted = 0;
  if (!impl_->window || impl_->width == 0) return true;
  if (impl_->deviceLost) {
    impl_->texture.reset();
    impl_->renderer.reset();
    if (!impl_->MakeRenderer()) {
      std::fprintf(stderr, "vornu: cannot rebuild the display: %s\n", SDL_GetError());
      return false;
    }
    impl_->deviceLost = false;
  }
  if (!impl_->texture && !impl_->MakeTexture()) {
    std::fprintf(stderr, "vornu: cannot rebuild the display: %s\n", SDL_GetError());
    return false;
  }
  return true;
}

void Display::Invalidate() { impl_->barsPainted = 0; }

void Display::OutputSize(int& Width, int& Height) const {
  Width = impl_->width;
  Height = impl_->height;
  if (impl_->renderer) {
    SDL_GetRendererOutputSize(impl_->renderer.get(), &Width, &Height);
  } else if (impl_->window) {
    SDL_GetWindowSize(impl_->window.get(), &Width, &Height);
  }
}

void Display::WindowSize(int& Width, int& Height) const {
  Width = impl_->width;
  Height = impl_->height;
  if (impl_->window) SDL_GetWindowSize(impl_->window.get(), &Width, &Height);
}

bool Display::Upload(const TPixelView& Pixels) {
  if (!impl_->renderer || !impl_->texture) return false;
  void* dst = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(impl_->texture.get(), nullptr, &dst, &pitch) != 0) return false;
  ConvertToXrgb(Pixels, static_cast<std::uint8_t*>(dst), pitch);
  SDL_UnlockTexture(impl_->texture.get());
  return true;
}

void Display::Show(const TRect& Target) {
  SDL_Renderer* r = impl_->renderer.get();
  if (!r || !impl_->texture) return;
  // Only the letterbox bars are painted black: clearing the whole output first would touch
  // every pixel twice.
  int ow = 0, oh = 0;
  SDL_GetRendererOutputSize(r, &ow, &oh);
  const TRect& o = Target;
  const SDL_Rect bars[4] = {{0, 0, ow, o.Top},
                            {0, o.Bottom, ow, oh - o.Bottom},
                            {0, o.Top, o.Left, o.Height()},
                            {o.Right, o.Top, ow - o.Right, o.Height()}};
  // The software renderer keeps its output between frames, so there the bars are painted
  // only after the window changed; other renderers lose their output on every present.
  SDL_RendererInfo info{};
  SDL_GetRendererInfo(r, &info);
  if (!(info.flags & SDL_RENDERER_SOFTWARE) || impl_->barsPainted < 2) {
    SDL_SetRenderDrawColor(r, 0, 0, 0, 255);
    for (const SDL_Rect& bar : bars) {
      if (bar.w > 0 && bar.h > 0) SDL_RenderFillRect(r, &bar);
    }
    ++impl_->barsPainted;
  }
  const SDL_Rect d{o.Left, o.Top, o.Width(), o.Height()};
  SDL_RenderCopy(r, impl_->texture.get(), nullptr, &d);
  SDL_RenderPresent(r);
  impl_->waitedForVsync = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
}

void Display::EndFrame(bool Shown) {
  Impl& m = *impl_;
  if (HeadlessDriver()) {
    m.nextFrameNs = 0;
    return;
  }
  const long long now = SteadyNs();
  if (Shown && m.waitedForVsync) {
    // The present returned at a refresh: the next frame may start at once, and one that shows
    // nothing new keeps to the refresh from here.
    m.nextFrameNs = now;
    return;
  }
  SDL_DisplayMode mode{};
  int hz = 60;
  if (SDL_GetWindowDisplayMode(m.window.get(), &mode) == 0 && mode.refresh_rate >= 30) {
    hz = mode.refresh_rate;
  }
  const long long period = 1000000000LL / hz;
  const long long due = m.nextFrameNs + period;
  // On time: keep the rhythm; fallen behind by more than a refresh: start it again from now.
  m.nextFrameNs = (due > now && due - now <= period) ? due : now + period;
}

int Display::MsUntilNextFrame() const {
  if (impl_->nextFrameNs == 0) return 0;
  const long long left = impl_->nextFrameNs - SteadyNs();
  return left <= 0 ? 0 : static_cast<int>((left + 999999) / 1000000);
}

}  // namespace vornu
