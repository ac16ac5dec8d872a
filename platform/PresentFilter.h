// Which frames reach the screen: only those whose picture changed, or any after a repaint request.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/Graphics.h"

namespace vornu {

// Keeps a copy of the last frame shown. Presenting costs far more than comparing (conversion,
// upload, scaling to the monitor), so an unchanged frame is compared and dropped, and of a
// changed one only the rectangles that differ need to travel.
class PresentFilter {
 public:
  PresentFilter();
  ~PresentFilter();
  PresentFilter(const PresentFilter&) = delete;
  PresentFilter& operator=(const PresentFilter&) = delete;

  // Whether Frame must be shown: it differs from the last frame admitted (pixels, size, format
  // or palette), or a repaint was requested since. An admitted frame becomes the last one.
  bool Admit(const TPixelView& Frame);
  // The rectangles of the last admitted frame that differ from the frame admitted before it,
  // in the frame's pixels; the whole frame after a repaint request or a change of size,
  // format or palette. Neighbouring changes are merged where one rectangle costs less than two.
  const std::vector<TRect>& Changed() const { return changed_; }
  // The next frame is shown whatever it holds (the window lost or changed what it showed).
  void RequestRepaint() { repaint_ = true; }
  // Frames admitted since creation.
  std::uint64_t Admitted() const { return admitted_; }
  // Called once a frame has really been shown: counts it and, when VORNU_FRAME_LOG names a
  // file, appends the steady-clock time in nanoseconds to it (for the whole-program benchmark).
  void Shown();
  // Writes a line about how frames reach the window (the path taken) into the frame log.
  void Note(const char* Text);
  // Frames shown since creation.
  std::uint64_t ShownCount() const { return shown_; }

 private:
  void FindChanges(const TPixelView& Frame);

  std::vector<std::uint8_t> last_;
  std::vector<TRect> changed_;
  int width_ = 0;
  int height_ = 0;
  TPixelFormat format_ = TPixelFormat::XRGB8888;
  TPalette32 palette_{};
  bool repaint_ = true;
  std::uint64_t admitted_ = 0;
  std::uint64_t shown_ = 0;
  std::FILE* log_ = nullptr;
};

}  // namespace vornu
