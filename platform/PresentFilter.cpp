#include "platform/PresentFilter.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace vornu {

namespace {

// Columns are compared in strips of this many pixels: a finer grain finds smaller boxes but
// costs more comparisons, and the whole factor enlarges every strip anyway.
constexpr int kStrip = 16;
// What presenting one more rectangle costs, in pixels of the frame: a call, a row set-up
// and a window update each.
constexpr long long kRectCost = 1024;

long long Cost(const TRect& R) {
  return static_cast<long long>(R.Width()) * R.Height() + kRectCost;
}

TRect Union(const TRect& A, const TRect& B) {
  return TRect{std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
               std::max(A.Bottom, B.Bottom)};
}

// Merges pairs while one rectangle is cheaper than the two; few rectangles remain by then,
// so the quadratic search is short. Too many pieces become their bounding box.
void MergeCheaper(std::vector<TRect>& Rects) {
  if (Rects.size() > 48) {
    TRect all = Rects.front();
    for (const TRect& R : Rects) all = Union(all, R);
    Rects.assign(1, all);
    return;
  }
  for (bool merged = true; merged && Rects.size() > 1;) {
    merged = false;
    long long best = 0;
    std::size_t bi = 0, bj = 0;
    for (std::size_t i = 0; i < Rects.size(); ++i) {
      for (std::size_t j = i + 1; j < Rects.size(); ++j) {
        const long long saving = Cost(Rects[i]) + Cost(Rects[j]) - Cost(Union(Rects[i], Rects[j]));
        if (saving >= best) {
          best = saving;
          bi = i;
          bj = j;
          merged = true;
        }
      }
    }
    if (merged) {
      Rects[bi] = Union(Rects[bi], Rects[bj]);
      Rects.erase(Rects.begin() + static_cast<std::ptrdiff_t>(bj));
    }
  }
}

}  // namespace

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
  changed_.clear();
  const bool comparable = !repaint_ && Frame.Pixels && Frame.Width == width_ &&
                          Frame.Height == height_ && Frame.Format == format_ &&
                          last_.size() == size && (!indexed || *Frame.Palette == palette_);
  if (comparable) FindChanges(Frame);
  if (changed_.empty()) changed_.push_back(TRect{0, 0, Frame.Width, Frame.Height});
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

void PresentFilter::FindChanges(const TPixelView& Frame) {
  const std::size_t bpp = BytesPerPixel(Frame.Format);
  const std::size_t row = static_cast<std::size_t>(Frame.Width) * bpp;
  // Rectangles still growing downwards: those whose bottom is the row being compared.
  std::vector<std::size_t> open, next;
  for (int y = 0; y < Frame.Height; ++y) {
    const std::uint8_t* now = Frame.Pixels + static_cast<std::ptrdiff_t>(y) * Frame.Pitch;
    const std::uint8_t* was = last_.data() + row * static_cast<std::size_t>(y);
    next.clear();
    if (std::memcmp(now, was, row) != 0) {
      for (int x = 0; x < Frame.Width;) {
        const auto differs = [&](int X) {
          const std::size_t at = static_cast<std::size_t>(X) * bpp;
          const std::size_t n = static_cast<std::size_t>(std::min(kStrip, Frame.Width - X)) * bpp;
          return std::memcmp(now + at, was + at, n) != 0;
        };
        if (!differs(x)) {
          x += kStrip;
          continue;
        }
        int end = x + kStrip;
        while (end < Frame.Width && differs(end)) end += kStrip;
        const TRect run{x, y, std::min(end, Frame.Width), y + 1};
        // A run touching a rectangle of the row above extends it; otherwise it starts one.
        std::size_t grown = changed_.size();
        for (std::size_t i : open) {
          TRect& r = changed_[i];
          if (run.Left <= r.Right && run.Right >= r.Left) {
            r = Union(r, run);
            grown = i;
            break;
          }
        }
        if (grown == changed_.size()) changed_.push_back(run);
        if (std::find(next.begin(), next.end(), grown) == next.end()) next.push_back(grown);
        x = end;
      }
    }
    open.swap(next);
  }
  MergeCheaper(changed_);
}

void PresentFilter::Note(const char* Text) {
  if (!log_ || !Text) return;
  std::fprintf(log_, "# %s\n", Text);
  std::fflush(log_);
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
