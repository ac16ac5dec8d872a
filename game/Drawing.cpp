// The form's drawing helpers: pictures loaded onto surfaces, surfaces drawn on Back.
#include <algorithm>
#include <cstring>

#include "engine/GX.h"
#include "game/Unit1.h"

void TForm1::EraseToColourZero(TGXSurface& Surface) {
  // Colour 0 is all-zero bytes in every pixel format, so whole rows can be cleared at once; the
  // engine's pixel-by-pixel erase took most of a frame for the 640 x 400 back surface.
  if (Surface.IsLost() || Surface.Locked()) {
    Surface.Erase(0);  // the engine knows what to do with a lost surface
    return;
  }
  const TPixelView View = Surface.View();
  const std::size_t RowBytes = static_cast<std::size_t>(View.Width) * BytesPerPixel(View.Format);
  for (int Y = 0; Y < View.Height; ++Y) {
    std::memset(View.Pixels + static_cast<std::ptrdiff_t>(Y) * View.Pitch, 0, RowBytes);
  }
}

void TForm1::LoadPicture(TGXSurface& Surface, const std::string& Path) {
  if (!BitmapLoader) BitmapLoader = std::make_unique<TImage>(this);
  BitmapLoader->Picture.LoadFromFile(Path);
  Surface.Canvas->Draw(0, 0, BitmapLoader->Picture.Graphic());
  Surface.Canvas->Release();
}

void TForm1::DrawOnBack(TGXSurface* Surface, int X, int Y, bool Transparent) {
  TGXSurface* Back = GXScreen1->Back();
  if (Surface == nullptr || Back == nullptr) return;
  Back->Draw(X, Y, *Surface, Transparent);
}

void TForm1::FillErasedSurface(TGXSurface& Surface) {
  // A border fill stops only at red pixels and the erased surface holds none, so it would paint
  // the whole surface with the canvas brush: one plain fill gives the same pixels, far faster.
  Surface.Canvas->FillRect(Surface.BoundsRect());
}

void TForm1::DrawPartOnBack(TGXSurface& Surface, int X, int Y, const TRect& Part) {
  TGXSurface* Back = GXScreen1->Back();
  if (Back == nullptr) return;
  // Only the part can hold anything but the transparent colour: clipping the draw to it leaves
  // the same pixels for a fraction of the work.
  const TRect Old = Back->ClipRect();
  TRect Clip = Rect(std::max(Old.Left, X + Part.Left), std::max(Old.Top, Y + Part.Top),
                    std::min(Old.Right, X + Part.Right), std::min(Old.Bottom, Y + Part.Bottom));
  if (Clip.Empty()) return;
  Back->SetClipRect(Clip);
  try {
    Back->Draw(X, Y, Surface, true);
  } catch (...) {
    Back->SetClipRect(Old);
    throw;
  }
  Back->SetClipRect(Old);
}

void TForm1::DrawPukki(std::uint8_t Direction, std::uint16_t Frame) {
  if (Direction > 7 || Frame < 1 || Frame > 30) return;
  DrawOnBack(PukkiFrames[Direction][Frame].get(), PukkiX, PukkiY, true);
}
