#include "platform/PresentFilter.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace vornu {

PresentFilter::PresentFilter() {
  const char* path = std::getenv("VORNU_FRAME_LOG");
  if (path && *path) log_ = std::fopen(path, "a");
}

PresentFilter::~PresentFilter() {
  if (log_) std::fclose(log_);
}

bool PresentFilter::Admit(const TPixelView& Frame) {
  const std::size_t row = static_cast<std::size_t>(Frame.Width) * BytesPerPixel(Frame.Format);
  const std::size_t size = row * static_cast<std::size_t>(Frame.Height);
  const bool indexed = Frame.Format == TPixelFormat::Indexed8 && Frame.Palette;
  bool same = !repaint_ && Frame.Pixels && Frame.Width == width_ && Frame.Height == height_ &&
              Frame.Format == format_ && last_.size() == size &&
              (!indexed || *Frame.Palette == palette_);
  const auto at = [&](int Y) {
    return Frame.Pixels + static_cast<std::ptrdiff_t>(Y) * Frame.Pitch;
  };
  if (same && static_cast<std::size_t>(Frame.Pitch) == row) {
    same = std::memcmp(at(0), last_.data(), size) == 0;
  } else {
    for (int y = 0; same && y < Frame.Height; ++y) {
      same = std::memcmp(at(y), last_.data() + row * static_cast<std::size_t>(y), row) == 0;
    }
  }
  if (same) return false;
  repaint_ = false;
  width_ = Frame.Width;
  height_ = Frame.Height;
  format_ = Frame.Format;
  if (indexed) palette_ = *Frame.Palette;
  last_.resize(size);
  if (Frame.Pixels) {
    for (int y = 0; y < Frame.Height; ++y) {
      std::memcpy(last_.data() + row * static_cast<std::size_t>(y), at(y), row);
    }
  }
  ++admitted_;
  return true;
}

void PresentFilter::Shown() {
  ++shown_;
  if (!log_) return;
  const long long ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
  std::fprintf(log_, "%lld\n", ns);
  std::fflush(log_);
}

}  // namespace vornu
