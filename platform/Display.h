// The window and the way a frame reaches it: the desktop's renderer (Display_desktop.cpp) or
// the page's canvas (Display_web.cpp); platform code only, owned by the form.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"

namespace vornu {

// How the form wants its window.
struct WindowStyle {
  std::string Title;  // UTF-8
  int Left = 0;
  int Top = 0;
  int Width = 1;
  int Height = 1;
  bool Borderless = false;
  bool OnTop = false;
};

class Display {
 public:
  Display();
  ~Display();
  Display(const Display&) = delete;
  Display& operator=(const Display&) = delete;

  // Called by the form when it is shown: opens the window (hidden video drivers too); throws
  // Exception when none can be made. Nothing when it is open.
  void OpenWindow(const WindowStyle& Style);
  // Called by the form when it closes or is destroyed: the window and its renderer are gone.
  void CloseWindow();
  bool WindowOpen() const;
  // SDL's id of the window, 0 when none (events name their window by it).
  std::uint32_t WindowId() const;
  // Called by the form in window mode: the window's client area becomes Width x Height.
  void SetWindowSize(int Width, int Height);
  // Called by the form when the screen sets its mode: a picture of Width x Height, shown full
  // screen (scaled by the largest whole factor, centred on black) or in a window of its size.
  // Throws Exception when no renderer or picture can be made.
  void SetMode(int Width, int Height, bool FullScreen, bool Bordered);
  // Called by the form (Alt+Enter): full screen, or a window as large as fits in whole steps.
  void SetFullScreen(bool FullScreen, bool Bordered);
  // Called by the form when SDL reports the renderer's device lost.
  void MarkDeviceLost();
  // Called by the form after a loss: rebuilds what shows the picture; false (the reason on
  // stderr) when it cannot.
  bool Restore();
  // Called by the form when the window changed (moved, resized, exposed): the next present
  // paints all of the window.
  void Invalidate();
  // The drawing area in output pixels and the window in window units (they differ on
  // high-density screens); the mode's size when there is no window.
  void OutputSize(int& Width, int& Height) const;
  void WindowSize(int& Width, int& Height) const;
  // Called by the form for a frame whose picture changed, in two steps: Upload takes the
  // frame's pixels (the mode's size; false when the window would not take them), Show puts
  // them scaled into Target (output pixels), black around. Changed names the rectangles of
  // the frame that differ from the last one uploaded; where the window keeps what it shows,
  // only those are converted and sent.
  bool Upload(const TPixelView& Pixels, const std::vector<TRect>& Changed);
  void Show(const TRect& Target, const std::vector<TRect>& Changed);
  // How frames reach the window, for logs and benchmarks: "renderer (NAME)" or "window surface
  // (why)"; empty before the mode is set.
  std::string PathName() const;
  // The window's picture as it was last shown, as 0x00RRGGBB rows (for tests); false when it
  // cannot be read.
  bool ReadWindow(std::vector<std::uint32_t>& Pixels, int& Width, int& Height) const;
  // Called by the form after every frame, shown or unchanged: keeps the frames to the
  // display's refresh (on the desktop by scheduling the next one, in the browser by waiting
  // for its next animation frame).
  void EndFrame(bool Shown);
  // Called by the application loop: milliseconds until the next frame is due (0: now); the
  // loop waits for events meanwhile.
  int MsUntilNextFrame() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace vornu
