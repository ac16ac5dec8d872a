// The window in the browser: SDL's window is the page's canvas, kept at the mode's size; the
// page scales it by whole steps (sharp pixels) and centres it. Of a frame whose picture changed
// only the changed rectangles are converted and put on the canvas, which keeps the rest; after
// every frame the loop waits for the browser's next animation frame.
#include <SDL.h>
#include <emscripten.h>

#include <algorithm>
#include <vector>

#include "platform/Display.h"
#include "platform/PixelConvert.h"
#include "platform/SdlHandles.h"

namespace vornu {

namespace {

// clang-format off
EM_JS(void, PutFrame, (const void* Rgba, int Width, int Height, const int* Rects, int Count), {
  var canvas = Module["canvas"];
  if (!canvas) return;
  var whole = false;
  if (!Module.frameContext || Module.frameContext.canvas !== canvas) {
    Module.frameContext = canvas.getContext("2d", {alpha: false});
    Module.frameImage = null;
  }
  var image = Module.frameImage;
  if (!image || image.width !== Width || image.height !== Height) {
    image = Module.frameImage = Module.frameContext.createImageData(Width, Height);
    whole = true;
  }
  if (whole || canvas.width !== Width || canvas.height !== Height) {
    // A new image or canvas holds nothing yet: all of the picture goes.
    image.data.set(HEAPU8.subarray(Rgba, Rgba + Width * Height * 4));
    Module.frameContext.putImageData(image, 0, 0);
  } else {
    for (var i = 0; i < Count; ++i) {
      var r = (Rects >> 2) + i * 4;
      var x = HEAP32[r], y = HEAP32[r + 1], w = HEAP32[r + 2], h = HEAP32[r + 3];
      for (var row = y; row < y + h; ++row) {
        var at = (row * Width + x) * 4;
        image.data.set(HEAPU8.subarray(Rgba + at, Rgba + at + w * 4), at);
      }
      Module.frameContext.putImageData(image, 0, 0, x, y, w, h);
    }
  }
  if (Module["onFrame"]) Module["onFrame"]();
});

EM_ASYNC_JS(void, NextAnimationFrame, (), {
  await new Promise(function(resolve) { requestAnimationFrame(function() { resolve(); }); });
});

EM_JS(void, AskFullScreen, (int FullScreen), {
  if (Module["setFullScreen"]) Module["setFullScreen"](!!FullScreen);
});
// clang-format on

}  // namespace

struct Display::Impl {
  sdl::Window window;
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> xrgb;
  std::vector<std::uint32_t> rgba;
  std::vector<int> rects;  // left, top, width, height of each changed rectangle
};

Display::Display() : impl_(std::make_unique<Impl>()) {}

Display::~Display() {
  CloseWindow();
}

void Display::OpenWindow(const WindowStyle& Style) {
  if (impl_->window || SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
  // No high-density flag: the canvas keeps exactly the picture's pixels.
  impl_->window.reset(SDL_CreateWindow(Style.Title.c_str(), 0, 0, std::max(Style.Width, 1),
                                       std::max(Style.Height, 1), 0));
  if (!impl_->window) throw Exception(std::string("cannot open a window: ") + SDL_GetError());
}

void Display::CloseWindow() {
  impl_->window.reset();
}

bool Display::WindowOpen() const {
  return impl_->window != nullptr;
}

std::uint32_t Display::WindowId() const {
  return impl_->window ? SDL_GetWindowID(impl_->window.get()) : 0;
}

void Display::SetWindowSize(int Width, int Height) {
  if (impl_->window) SDL_SetWindowSize(impl_->window.get(), Width, Height);
}

void Display::SetMode(int Width, int Height, bool, bool) {
  if (!impl_->window) throw Exception("cannot open a window: the display is not started");
  impl_->width = Width;
  impl_->height = Height;
  // Full screen is the page's to give (a button, or Alt+Enter): the canvas stays this size.
  SDL_SetWindowSize(impl_->window.get(), Width, Height);
  impl_->xrgb.assign(static_cast<std::size_t>(Width) * Height, 0);
  impl_->rgba.assign(impl_->xrgb.size(), 0xFF000000u);
}

void Display::SetFullScreen(bool FullScreen, bool) {
  AskFullScreen(FullScreen ? 1 : 0);
}

void Display::MarkDeviceLost() {}

bool Display::Restore() {
  return true;
}

void Display::Invalidate() {}

void Display::OutputSize(int& Width, int& Height) const {
  Width = impl_->width;
  Height = impl_->height;
  if (impl_->width == 0 && impl_->window) SDL_GetWindowSize(impl_->window.get(), &Width, &Height);
}

void Display::WindowSize(int& Width, int& Height) const {
  OutputSize(Width, Height);
}

bool Display::Upload(const TPixelView& Pixels, const std::vector<TRect>& Changed) {
  Impl& m = *impl_;
  if (!m.window || m.xrgb.empty() || Pixels.Width != m.width || Pixels.Height != m.height) {
    return false;
  }
  m.rects.clear();
  for (const TRect& c : Changed) {
    const TRect r{std::max(c.Left, 0), std::max(c.Top, 0), std::min(c.Right, m.width),
                  std::min(c.Bottom, m.height)};
    if (r.Empty()) continue;
    ConvertToXrgb(Pixels, r, reinterpret_cast<std::uint8_t*>(m.xrgb.data()), m.width * 4);
    // The canvas takes bytes in the order red, green, blue, alpha.
    for (int y = r.Top; y < r.Bottom; ++y) {
      const std::size_t row = static_cast<std::size_t>(y) * m.width;
      for (int x = r.Left; x < r.Right; ++x) {
        const std::uint32_t p = m.xrgb[row + x];
        m.rgba[row + x] = 0xFF000000u | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
      }
    }
    m.rects.insert(m.rects.end(), {r.Left, r.Top, r.Width(), r.Height()});
  }
  return true;
}

void Display::Show(const TRect&, const std::vector<TRect>&) {
  Impl& m = *impl_;
  if (!m.window || m.rgba.empty()) return;
  PutFrame(m.rgba.data(), m.width, m.height, m.rects.data(), static_cast<int>(m.rects.size() / 4));
}

std::string Display::PathName() const {
  return impl_->window ? "canvas (changed rectangles)" : "";
}

bool Display::ReadWindow(std::vector<std::uint32_t>& Pixels, int& Width, int& Height) const {
  // The canvas belongs to the page; its own tests read it there.
  Pixels.clear();
  Width = Height = 0;
  return false;
}

void Display::EndFrame(bool) {
  // The canvas keeps what it shows, so an unchanged frame costs no upload; either way the
  // browser paints at its own refresh, and the loop waits for it.
  if (impl_->window) NextAnimationFrame();
}

int Display::MsUntilNextFrame() const {
  return 0;
}

}  // namespace vornu
