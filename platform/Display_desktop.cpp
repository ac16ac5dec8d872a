// The window on the desktop: SDL's renderer scales a 32-bit streaming texture to the window
// where it draws on a graphics card; where it would rasterise on the processor, the changed
// rectangles are scaled here into the window's own pixels and only they are sent. Full screen
// covers the monitor, with a borderless window where no window manager helps.
#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

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

// What SDL's own hint asks of the window's pixels: 0 keep them in the processor's memory (the
// window surface), 1 or a renderer's name go through a renderer, -1 no wish.
int WantedPath() {
  const char* h = SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
  if (!h || !*h) return -1;
  if (std::strcmp(h, "0") == 0 || SDL_strcasecmp(h, "false") == 0 ||
      SDL_strcasecmp(h, "software") == 0) {
    return 0;
  }
  return 1;
}

// Why Renderer rasterises on the processor, or empty when it draws on a graphics card. A GL
// renderer names itself only through GL: Mesa's software rasterisers say so there.
std::string SoftwareReason(SDL_Renderer* Renderer) {
  SDL_RendererInfo info{};
  if (SDL_GetRendererInfo(Renderer, &info) != 0) return {};
  if ((info.flags & SDL_RENDERER_SOFTWARE) ||
      (info.name && std::strcmp(info.name, "software") == 0)) {
    return "SDL's software renderer";
  }
  if (!info.name || std::strncmp(info.name, "opengl", 6) != 0) return {};
  using GetString = const unsigned char* (*)(unsigned int);
  auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
  const unsigned char* name = getString ? getString(0x1F01) : nullptr;  // GL_RENDERER
  if (!name) return {};
  std::string lower(reinterpret_cast<const char*>(name));
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (const char* soft : {"llvmpipe", "softpipe", "swrast", "software rasterizer"}) {
    if (lower.find(soft) != std::string::npos) return reinterpret_cast<const char*>(name);
  }
  return {};
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
  int barsPainted = 0;          // frames since the letterbox bars were last known to be wrong
  bool waitedForVsync = false;  // the last present returned at a refresh
  long long nextFrameNs = 0;    // steady-clock time the next frame is due; 0: at once
  // The window-surface path: no renderer; the picture kept as 0x00RRGGBB to scale from.
  bool surfacePath = false;
  std::string path;                    // how frames reach the window, for logs
  bool wholeNext = true;               // the window lost or never had what it shows
  SDL_Surface* lastSurface = nullptr;  // identity only: SDL replaces it when the window resizes
  std::vector<std::uint32_t> picture;
  std::vector<std::uint32_t> line;       // one scaled row
  std::vector<std::uint32_t> converted;  // the row in the surface's format, when it differs
  std::vector<SDL_Rect> updates;

  // Chooses how frames reach the window, once per window: a renderer unless it would
  // rasterise on the processor, where scaling only what changed is far cheaper; SDL's hint
  // overrides. False when neither can be made.
  bool ChoosePath() {
    const int wanted = WantedPath();
    std::string why = "asked for by SDL_FRAMEBUFFER_ACCELERATION";
    if (wanted != 0) {
      if (!MakeRenderer()) return wanted != 1 && UseSurface(SDL_GetError());
      if (wanted == -1) why = SoftwareReason(renderer.get());
      if (wanted == 1 || why.empty()) return NameRenderer();
      renderer.reset();
    }
    if (UseSurface(why)) return true;
    // No window surface on this video driver: a renderer, slow as it may be, still shows
    // the game.
    return MakeRenderer() && NameRenderer();
  }

  bool NameRenderer() {
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer.get(), &info);
    path = std::string("renderer (") + (info.name ? info.name : "?") + ")";
    return true;
  }

  bool UseSurface(const std::string& Why) {
    // SDL would otherwise back the window surface with a texture of a renderer of its own,
    // which scales and swaps the whole window again; the player's own setting wins.
    if (!SDL_GetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION)) {
      SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    }
    if (!SDL_GetWindowSurface(window.get())) return false;
    surfacePath = true;
    wholeNext = true;
    path = "window surface (" + Why + ")";
    return true;
  }

  // Scales picture rectangle R by the whole factor of Target into Surface, clipped to it;
  // returns the window rectangle written (empty when none).
  SDL_Rect ScaleInto(SDL_Surface* Surface, const TRect& Target, const TRect& R) {
    const int k = std::max(1, Target.Width() / std::max(width, 1));
    const int left = std::max(R.Left, 0), right = std::min(R.Right, width);
    const int top = std::max(R.Top, 0), bottom = std::min(R.Bottom, height);
    const int x0 = std::max(Target.Left + left * k, 0);
    const int x1 = std::min(Target.Left + right * k, Surface->w);
    const int y0 = std::max(Target.Top + top * k, 0);
    const int y1 = std::min(Target.Top + bottom * k, Surface->h);
    if (x0 >= x1 || y0 >= y1) return SDL_Rect{0, 0, 0, 0};
    const int n = x1 - x0;
    line.resize(static_cast<std::size_t>(n));
    const Uint32 format = Surface->format->format;
    const bool direct = format == SDL_PIXELFORMAT_RGB888 || format == SDL_PIXELFORMAT_ARGB8888;
    const std::uint32_t alpha = format == SDL_PIXELFORMAT_ARGB8888 ? 0xFF000000u : 0;
    if (!direct) converted.resize(static_cast<std::size_t>(n) * 4);
    auto* base = static_cast<std::uint8_t*>(Surface->pixels);
    for (int sy = top; sy < bottom; ++sy) {
      const int r0 = std::max(Target.Top + sy * k, y0),
                r1 = std::min(Target.Top + (sy + 1) * k, y1);
      if (r0 >= r1) continue;
      const std::uint32_t* src = picture.data() + static_cast<std::size_t>(sy) * width;
      for (int x = x0, i = 0; x < x1; ++x, ++i) {
        line[static_cast<std::size_t>(i)] = src[(x - Target.Left) / k] | alpha;
      }
      const void* row = line.data();
      if (!direct) {
        SDL_ConvertPixels(n, 1, SDL_PIXELFORMAT_RGB888, line.data(), n * 4, format,
                          converted.data(), n * 4);
        row = converted.data();
      }
      const std::size_t bytes = static_cast<std::size_t>(n) * Surface->format->BytesPerPixel;
      for (int y = r0; y < r1; ++y) {
        std::memcpy(base + static_cast<std::ptrdiff_t>(y) * Surface->pitch +
                        static_cast<std::ptrdiff_t>(x0) * Surface->format->BytesPerPixel,
                    row, bytes);
      }
    }
    return SDL_Rect{x0, y0, n, y1 - y0};
  }

  void ShowOnSurface(const TRect& Target, const std::vector<TRect>& Changed) {
    // Fetched every frame: a resize frees the old surface and makes a new one.
    SDL_Surface* s = SDL_GetWindowSurface(window.get());
    if (!s || picture.empty()) return;
    if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
    const bool whole = wholeNext || s != lastSurface;
    updates.clear();
    if (whole) {
      const SDL_Rect bars[4] = {{0, 0, s->w, Target.Top},
                                {0, Target.Bottom, s->w, s->h - Target.Bottom},
                                {0, Target.Top, Target.Left, Target.Height()},
                                {Target.Right, Target.Top, s->w - Target.Right, Target.Height()}};
      if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
      for (const SDL_Rect& bar : bars) {
        if (bar.w > 0 && bar.h > 0) SDL_FillRect(s, &bar, SDL_MapRGB(s->format, 0, 0, 0));
      }
      if (SDL_MUSTLOCK(s) && SDL_LockSurface(s) != 0) return;
      ScaleInto(s, Target, TRect{0, 0, width, height});
    } else {
      for (const TRect& r : Changed) {
        const SDL_Rect u = ScaleInto(s, Target, r);
        if (u.w > 0 && u.h > 0) updates.push_back(u);
      }
    }
    if (SDL_MUSTLOCK(s)) SDL_UnlockSurface(s);
    const int status = whole ? SDL_UpdateWindowSurface(window.get())
                       : updates.empty()
                           ? 0
                           : SDL_UpdateWindowSurfaceRects(window.get(), updates.data(),
                                                          static_cast<int>(updates.size()));
    // A window that would not take the update is painted whole next time.
    wholeNext = status != 0;
    lastSurface = s;
  }

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
    wholeNext = true;
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

Display::~Display() {
  CloseWindow();
}

void Display::OpenWindow(const WindowStyle& Style) {
  if (impl_->window || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
  if (Style.Borderless) flags |= SDL_WINDOW_BORDERLESS;
  if (Style.OnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  impl_->window.reset(SDL_CreateWindow(Style.Title.c_str(), Style.Left, Style.Top,
                                       std::max(Style.Width, 1), std::max(Style.Height, 1), flags));
  if (!impl_->window) throw Exception(std::string("cannot open a window: ") + SDL_GetError());
}

void Display::CloseWindow() {
  // The texture belongs to the renderer, the renderer to the window: freed in that order.
  impl_->texture.reset();
  impl_->renderer.reset();
  impl_->window.reset();
  impl_->surfacePath = false;
  impl_->lastSurface = nullptr;
  impl_->path.clear();
}

bool Display::WindowOpen() const {
  return impl_->window != nullptr;
}

std::uint32_t Display::WindowId() const {
  return impl_->window ? SDL_GetWindowID(impl_->window.get()) : 0;
}

void Display::SetWindowSize(int Width, int Height) {
  if (impl_->window && !impl_->fullScreen) SDL_SetWindowSize(impl_->window.get(), Width, Height);
}

void Display::SetMode(int Width, int Height, bool FullScreen, bool Bordered) {
  if (!impl_->window) throw Exception("cannot open a window: the display is not started");
  if (!impl_->renderer && !impl_->surfacePath && !impl_->ChoosePath()) {
    throw Exception(std::string("cannot draw on the window: ") + SDL_GetError());
  }
  impl_->width = Width;
  impl_->height = Height;
  impl_->picture.assign(impl_->surfacePath ? static_cast<std::size_t>(Width) * Height : 0, 0);
  impl_->wholeNext = true;
  if (!impl_->surfacePath && !impl_->MakeTexture()) {
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

void Display::MarkDeviceLost() {
  impl_->deviceLost = true;
}

bool Display::Restore() {
  impl_->barsPainted = 0;
  impl_->wholeNext = true;
  if (!impl_->window || impl_->width == 0 || impl_->surfacePath) return true;
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

void Display::Invalidate() {
  impl_->barsPainted = 0;
  impl_->wholeNext = true;
}

void Display::OutputSize(int& Width, int& Height) const {
  Width = impl_->width;
  Height = impl_->height;
  if (impl_->renderer) {
    SDL_GetRendererOutputSize(impl_->renderer.get(), &Width, &Height);
  } else if (impl_->window && impl_->surfacePath) {
    SDL_GetWindowSizeInPixels(impl_->window.get(), &Width, &Height);
  } else if (impl_->window) {
    SDL_GetWindowSize(impl_->window.get(), &Width, &Height);
  }
}

void Display::WindowSize(int& Width, int& Height) const {
  Width = impl_->width;
  Height = impl_->height;
  if (impl_->window) SDL_GetWindowSize(impl_->window.get(), &Width, &Height);
}

bool Display::Upload(const TPixelView& Pixels, const std::vector<TRect>& Changed) {
  if (impl_->surfacePath) {
    if (!impl_->window || impl_->picture.empty() || Pixels.Width != impl_->width ||
        Pixels.Height != impl_->height) {
      return false;
    }
    auto* out = reinterpret_cast<std::uint8_t*>(impl_->picture.data());
    for (const TRect& r : Changed) ConvertToXrgb(Pixels, r, out, impl_->width * 4);
    return true;
  }
  if (!impl_->renderer || !impl_->texture) return false;
  void* dst = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(impl_->texture.get(), nullptr, &dst, &pitch) != 0) return false;
  ConvertToXrgb(Pixels, static_cast<std::uint8_t*>(dst), pitch);
  SDL_UnlockTexture(impl_->texture.get());
  return true;
}

void Display::Show(const TRect& Target, const std::vector<TRect>& Changed) {
  if (impl_->surfacePath) {
    impl_->ShowOnSurface(Target, Changed);
    impl_->waitedForVsync = false;
    return;
  }
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

std::string Display::PathName() const {
  return impl_->path;
}

bool Display::ReadWindow(std::vector<std::uint32_t>& Pixels, int& Width, int& Height) const {
  Width = Height = 0;
  if (!impl_->window) return false;
  if (impl_->surfacePath) {
    SDL_Surface* s = SDL_GetWindowSurface(impl_->window.get());
    if (!s) return false;
    Pixels.assign(static_cast<std::size_t>(s->w) * s->h, 0);
    if (SDL_ConvertPixels(s->w, s->h, s->format->format, s->pixels, s->pitch,
                          SDL_PIXELFORMAT_RGB888, Pixels.data(), s->w * 4) != 0) {
      return false;
    }
    Width = s->w;
    Height = s->h;
  } else {
    if (!impl_->renderer) return false;
    int w = 0, h = 0;
    SDL_GetRendererOutputSize(impl_->renderer.get(), &w, &h);
    Pixels.assign(static_cast<std::size_t>(w) * h, 0);
    if (SDL_RenderReadPixels(impl_->renderer.get(), nullptr, SDL_PIXELFORMAT_RGB888, Pixels.data(),
                             w * 4) != 0) {
      return false;
    }
    Width = w;
    Height = h;
  }
  for (std::uint32_t& p : Pixels) p &= 0xFFFFFFu;
  return true;
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
