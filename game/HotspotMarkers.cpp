#include "game/HotspotMarkers.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>

#include "engine/GX.h"
#include "game/Unit1.h"

namespace {

constexpr int kW = 320;
constexpr int kH = 200;
constexpr int kDot = 2;  // the marker is a (2 kDot + 1) square around its point
// Colours of the markers: a bright dot ringed in black and white names on dark blue read on
// the snowy scenes and the dark ones alike; the key colour is never drawn.
constexpr TColor kKeyColour = RGB(255, 0, 255);
constexpr TColor kDotColour = RGB(255, 224, 0);
constexpr TColor kLabelColour = RGB(16, 24, 96);

bool Overlaps(const TRect& A, const TRect& B) {
  return A.Left < B.Right && B.Left < A.Right && A.Top < B.Bottom && B.Top < A.Bottom;
}

int OverlapArea(const TRect& A, const TRect& B) {
  if (!Overlaps(A, B)) return 0;
  return (std::min(A.Right, B.Right) - std::max(A.Left, B.Left)) *
         (std::min(A.Bottom, B.Bottom) - std::max(A.Top, B.Top));
}

TRect DotBox(const TPoint& P) {
  return Rect(P.X - kDot, P.Y - kDot, P.X + kDot + 1, P.Y + kDot + 1);
}

// A one-pixel line from the label's edge nearest to the marker's dot to the dot, for a label
// that had to move away from its dot.
void DrawLeader(TCanvas& Canvas, const TRect& Label, const TPoint& Dot, TColor Colour) {
  const int Fx = std::clamp(Dot.X, Label.Left, Label.Right - 1);
  const int Fy = std::clamp(Dot.Y, Label.Top, Label.Bottom - 1);
  if (std::max(std::abs(Fx - Dot.X), std::abs(Fy - Dot.Y)) <= kDot + 3) return;
  const int Steps = std::max(std::abs(Dot.X - Fx), std::abs(Dot.Y - Fy));
  for (int I = 0; I <= Steps; ++I) {
    Canvas.SetPixel(Fx + (Dot.X - Fx) * I / Steps, Fy + (Dot.Y - Fy) * I / Steps, Colour);
  }
}

}  // namespace

std::vector<THotspotMarker> UsableHotspots(const TForm1& Form) {
  // Chessboard distance of every cell to the nearest cell of another value (the picture's
  // edge counts as another value): the deepest cell of a hotspot is where a marker reads as
  // belonging to it, whatever its shape.
  std::vector<int> Depth(kW * kH);
  // The pointer at logical (X, Y) reacts to what the map holds there, its first row and column
  // standing in for position 0; the map's last row and column are out of its reach.
  auto Cell = [&Form](int X, int Y) { return Form.HotspotAt(X, Y); };
  auto At = [&Depth](int X, int Y) -> int& { return Depth[static_cast<std::size_t>(Y * kW + X)]; };
  for (int Y = 0; Y < kH; ++Y) {
    for (int X = 0; X < kW; ++X) {
      int D = INT_MAX / 2;
      if (X == 0 || Y == 0) D = 1;
      const std::uint8_t C = Cell(X, Y);
      for (const auto& [Dx, Dy] : {std::pair{-1, 0}, {0, -1}, {-1, -1}, {1, -1}}) {
        const int Nx = X + Dx, Ny = Y + Dy;
        if (Nx < 0 || Ny < 0 || Nx >= kW) continue;
        D = std::min(D, Cell(Nx, Ny) == C ? At(Nx, Ny) + 1 : 1);
      }
      At(X, Y) = D;
    }
  }
  std::array<int, 256> Best{};
  std::array<TPoint, 256> Where{};
  for (int Y = kH - 1; Y >= 0; --Y) {
    for (int X = kW - 1; X >= 0; --X) {
      int D = At(X, Y);
      if (X == kW - 1 || Y == kH - 1) D = 1;
      const std::uint8_t C = Cell(X, Y);
      for (const auto& [Dx, Dy] : {std::pair{1, 0}, {0, 1}, {1, 1}, {-1, 1}}) {
        const int Nx = X + Dx, Ny = Y + Dy;
        if (Nx < 0 || Nx >= kW || Ny >= kH) continue;
        D = std::min(D, Cell(Nx, Ny) == C ? At(Nx, Ny) + 1 : 1);
      }
      At(X, Y) = D;
      if (D >= Best[C]) {
        Best[C] = D;
        Where[C] = TPoint{X, Y};
      }
    }
  }
  std::vector<THotspotMarker> Markers;
  for (int H = 1; H <= 254; ++H) {
    if (Best[static_cast<std::size_t>(H)] == 0 || Form.HotspotIsHidden(Form.CurrentScene, H)) {
      continue;
    }
    THotspotMarker M;
    M.Hotspot = H;
    M.Name = Form.HotspotTexts[1][H];
    M.At = Where[static_cast<std::size_t>(H)];
    Markers.push_back(M);
  }
  return Markers;
}

void PlaceLabels(std::vector<THotspotMarker>& Markers, int Width, int Height,
                 const std::function<TPoint(const std::string&)>& LabelSize) {
  std::vector<TRect> Taken;
  for (const THotspotMarker& M : Markers) Taken.push_back(DotBox(M.At));
  // Top to bottom, so that a label pushed upwards meets only labels already placed.
  std::vector<THotspotMarker*> Order;
  for (THotspotMarker& M : Markers) {
    M.Label = TRect{};
    if (!M.Name.empty()) Order.push_back(&M);
  }
  std::stable_sort(
      Order.begin(), Order.end(),
      [](const THotspotMarker* A, const THotspotMarker* B) { return A->At.Y < B->At.Y; });
  for (THotspotMarker* M : Order) {
    const TPoint Size = LabelSize(M->Name);
    const int W = std::min(Size.X, Width), H = std::min(Size.Y, Height);
    auto Box = [&](int Left, int Top) {
      Left = std::clamp(Left, 0, Width - W);
      Top = std::clamp(Top, 0, Height - H);
      return Rect(Left, Top, Left + W, Top + H);
    };
    const int Cx = M->At.X - W / 2;
    const int Above = M->At.Y - kDot - 2 - H;
    const int Below = M->At.Y + kDot + 2;
    // Right above the marker first, then below it, beside it, and further away in steps.
    std::vector<TRect> Tries = {Box(Cx, Above), Box(Cx, Below),
                                Box(M->At.X + kDot + 3, M->At.Y - H / 2),
                                Box(M->At.X - kDot - 3 - W, M->At.Y - H / 2)};
    for (int K = 1; K <= 8; ++K) {
      Tries.push_back(Box(Cx, Above - K * (H + 1)));
      Tries.push_back(Box(Cx, Below + K * (H + 1)));
      Tries.push_back(Box(Cx - K * W / 2, Above));
      Tries.push_back(Box(Cx + K * W / 2, Above));
    }
    TRect Chosen = Tries.front();
    int Least = INT_MAX;
    for (const TRect& T : Tries) {
      int Cover = 0;
      for (const TRect& Other : Taken) Cover += OverlapArea(T, Other);
      if (Cover < Least) {
        Least = Cover;
        Chosen = T;
      }
      if (Cover == 0) break;
    }
    M->Label = Chosen;
    Taken.push_back(Chosen);
  }
}

void TForm1::DrawHotspotMarkers() {
  if (!PointerKeys.MarkersHeld()) return;
  // Only where a click could use them: not over a speech, the menu, the inventory, or while a
  // script holds the pointer hidden.
  if (SpeechActive == 1 || MenuOpen == 1 || InventoryOpen == 1 || CursorShown == 0) return;
  if (!MarkerSurface) MarkerSurface = GXScreen1->CreateSurface(kW, kH);
  TGXCanvas& Canvas = *MarkerSurface->Canvas;
  std::vector<THotspotMarker> Markers = UsableHotspots(*this);
  Canvas.Font = Label1->Font;
  PlaceLabels(Markers, kW, kH, [&Canvas](const std::string& Name) {
    return TPoint{Canvas.TextWidth(Name) + 4, Canvas.TextHeight(Name) + 2};
  });
  Canvas.Release();
  if (!MarkersOnSurface.Valid || MarkersOnSurface.Markers != Markers) {
    // Composed once per change of what is shown, then drawn as one keyed picture.
    Canvas.Brush.Style = bsSolid;
    Canvas.Brush.Color = kKeyColour;
    Canvas.FillRect(Rect(0, 0, kW, kH));
    Canvas.Release();
    GXScreen1->TransparentFromPixel(*MarkerSurface, 0, 0);
    for (const THotspotMarker& M : Markers) {
      if (!M.Label.Empty()) DrawLeader(Canvas, M.Label, M.At, kDotColour);
    }
    for (const THotspotMarker& M : Markers) {
      if (M.Label.Empty()) continue;
      Canvas.Brush.Color = kLabelColour;
      Canvas.FillRect(M.Label);
      Canvas.Brush.Style = bsClear;
      Canvas.Font.Color = clWhite;
      Canvas.TextOut(M.Label.Left + 2, M.Label.Top + 1, M.Name);
      Canvas.Brush.Style = bsSolid;
    }
    // The dots last: a name crowded onto another hotspot's dot never hides it.
    for (const THotspotMarker& M : Markers) {
      Canvas.Brush.Color = clBlack;
      Canvas.FillRect(DotBox(M.At));
      Canvas.Brush.Color = kDotColour;
      Canvas.FillRect(Rect(M.At.X - 1, M.At.Y - 1, M.At.X + 2, M.At.Y + 2));
    }
    Canvas.Font = Label1->Font;
    Canvas.Release();
    MarkersOnSurface.Valid = true;
    MarkersOnSurface.Markers = std::move(Markers);
  }
  DrawOnBack(MarkerSurface.get(), 0, 0, true);
}
