#include "engine/GX.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/Forms.h"
#include "platform/MessageBox.h"
#include "platform/PixelConvert.h"
#include "platform/Text1252.h"
#include "platform/Trace.h"

TPoint DisplayModeSize(TDisplayMode Mode) {
  switch (Mode) {
    case dm640x480x8:
      return {640, 480};
    case dm320x200x8:
      return {320, 200};
    case dm800x600x8:
      return {800, 600};
    case dm1024x768x8:
      return {1024, 768};
    case dm640x400x8:
      return {640, 400};
    case dm320x240x8:
      return {320, 240};
  }
  throw EGXScreen("unknown display mode " + std::to_string(static_cast<int>(Mode)));
}

// ---- Canvas ----

TGXCanvas::TGXCanvas(TGXSurface* Surface) : surface_(Surface) {
  if (!Surface) throw EGXCanvas("Cannot create canvas for NIL surface");
}

TGXCanvas::~TGXCanvas() {
  Release();
}

TPixelView TGXCanvas::AcquirePixels() {
  return surface_->View();
}

void TGXCanvas::ReleasePixels() {}

// ---- Surfaces ----

namespace {

// Messages are Windows-1252 like every text of the game; the terminal reads UTF-8.
void PrintError(const std::exception& e) {
  std::fprintf(stderr, "vornu: %s\n", vornu::Cp1252ToUtf8(e.what()).c_str());
}

TPixelFormat FormatOfDepth(int Depth) {
  switch (Depth) {
    case 8:
      return TPixelFormat::Indexed8;
    case 16:
      return TPixelFormat::RGB565;
    default:
      return TPixelFormat::XRGB8888;
  }
}

// A picture surface never needs to be larger than this.
constexpr long long kMaxSurfaceBytes = 256LL * 1024 * 1024;

}  // namespace

TGXSurface::TGXSurface(TGXScreen& Screen, int Width, int Height)
    : TGXSurface(Screen, Kind::Memory, Width, Height) {}

TGXSurface::TGXSurface(TGXScreen& Screen, Kind K, int Width, int Height)
    : screen_(&Screen), format_(Screen.Format()) {
  const int bpp = BytesPerPixel(format_);
  if (Width < 1 || Height < 1 || static_cast<long long>(Width) * Height * bpp > kMaxSurfaceBytes) {
    switch (K) {
      case Kind::Memory:
        throw EGXSurface("Could not create memory surface (" + std::to_string(Width) + ", " +
                         std::to_string(Height) + ")");
      case Kind::Primary:
        throw EGXSurface("CreateSurface failed");
      case Kind::AttachedBack:
        throw EGXSurface("Failed to get background surface");
      case Kind::WindowBack:
        throw EGXSurface("Failed Creating BackBufferW");
    }
  }
  width_ = Width;
  height_ = Height;
  pitch_ = Width * bpp;
  pixels_.assign(static_cast<std::size_t>(pitch_) * Height, 0);
  clip_ = BoundsRect();
  attached_ = K == Kind::AttachedBack;
  systemMemory_ = K == Kind::Memory && Width > Screen.Width();
  Canvas = std::make_unique<TGXCanvas>(this);
}

TGXSurface::~TGXSurface() {
  Canvas.reset();
}

void TGXSurface::SetClipRect(const TRect& Clip) {
  clip_ = Rect(std::clamp(Clip.Left, 0, width_), std::clamp(Clip.Top, 0, height_),
               std::clamp(Clip.Right, 0, width_), std::clamp(Clip.Bottom, 0, height_));
}

bool TGXSurface::RouteLost() {
  if (!OnSurfaceLost) return false;
  TSurfaceLostEvent handler = OnSurfaceLost;
  handler();
  return true;
}

void TGXSurface::Draw(int X, int Y, TGXSurface* Source, bool Transparent) {
  if (!Source) throw EGXSurface("Draw (BltFast) Failed");
  Draw(X, Y, *Source, Transparent);
}

void TGXSurface::Draw(int X, int Y, TGXSurface& Source, bool Transparent) {
  if (lost_ || Source.lost_) {
    if (RouteLost()) return;
    throw EGXSurface("Draw (BltFast) Failed");
  }
  if (Source.format_ != format_) throw EGXSurface("Draw (BltFast) Failed");
  // Exactly the visible part: the destination rectangle is half-open, so a source one pixel
  // wide or high, or showing only its last column or row at a clip edge, is still drawn.
  const long long right = static_cast<long long>(X) + Source.width_;
  const long long bottom = static_cast<long long>(Y) + Source.height_;
  const int l = std::max(X, clip_.Left), t = std::max(Y, clip_.Top);
  const int r = static_cast<int>(std::min<long long>(right, clip_.Right));
  const int b = static_cast<int>(std::min<long long>(bottom, clip_.Bottom));
  if (r <= l || b <= t) return;
  const int sx = l - X, sy = t - Y, w = r - l;
  const int bpp = BytesPerPixel(format_);
  for (int y = t; y < b; ++y) {
    const std::uint8_t* in = Source.pixels_.data() +
                             static_cast<std::size_t>(sy + (y - t)) * Source.pitch_ +
                             static_cast<std::size_t>(sx) * bpp;
    std::uint8_t* out =
        pixels_.data() + static_cast<std::size_t>(y) * pitch_ + static_cast<std::size_t>(l) * bpp;
    if (!Transparent) {
      std::memmove(out, in, static_cast<std::size_t>(w) * bpp);
      continue;
    }
    // Rows start at even (16-bit) or 4-byte multiples of an allocator-aligned block.
    switch (format_) {
      case TPixelFormat::Indexed8:
        vornu::KeyedCopy8(in, out, w, static_cast<std::uint8_t>(Source.colorKey_));
        break;
      case TPixelFormat::RGB565:
        vornu::KeyedCopy16(reinterpret_cast<const std::uint16_t*>(in),
                           reinterpret_cast<std::uint16_t*>(out), w,
                           static_cast<std::uint16_t>(Source.colorKey_));
        break;
      case TPixelFormat::XRGB8888:
        vornu::KeyedCopy32(reinterpret_cast<const std::uint32_t*>(in),
                           reinterpret_cast<std::uint32_t*>(out), w, Source.colorKey_);
        break;
    }
  }
}

void TGXSurface::Erase(std::uint32_t Colour) {
  if (lost_) {
    if (RouteLost()) return;
    throw EGXSurface("Erase (Blt) Failed");
  }
  switch (format_) {
    case TPixelFormat::Indexed8:
      std::fill(pixels_.begin(), pixels_.end(), static_cast<std::uint8_t>(Colour));
      break;
    case TPixelFormat::RGB565: {
      const auto v = static_cast<std::uint16_t>(Colour);
      auto* p = pixels_.data();
      for (std::size_t i = 0; i < pixels_.size(); i += 2) std::memcpy(p + i, &v, 2);
      break;
    }
    case TPixelFormat::XRGB8888: {
      auto* p = pixels_.data();
      for (std::size_t i = 0; i < pixels_.size(); i += 4) std::memcpy(p + i, &Colour, 4);
      break;
    }
  }
}

void TGXSurface::SetTransparentColor(std::uint8_t Value) {
  transparent_ = Value;
  colorKey_ = Value;
}

void TGXSurface::SetColorKey(std::uint32_t Value) {
  switch (format_) {
    case TPixelFormat::Indexed8:
      colorKey_ = Value & 0xFF;
      break;
    case TPixelFormat::RGB565:
      colorKey_ = Value & 0xFFFF;
      break;
    case TPixelFormat::XRGB8888:
      colorKey_ = Value;
      break;
  }
}

std::uint8_t* TGXSurface::Lock() {
  if (lost_) return nullptr;
  locked_ = pixels_.data();
  return locked_;
}

void TGXSurface::Unlock() {
  locked_ = nullptr;
}

std::uint32_t TGXSurface::Pixel(int X, int Y) const {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) {
    throw EGXSurface("pixel (" + std::to_string(X) + ", " + std::to_string(Y) +
                     ") outside the surface");
  }
  const TPixelView v{const_cast<std::uint8_t*>(pixels_.data()),
                     width_,
                     height_,
                     pitch_,
                     format_,
                     &screen_->Palette32()};
  return ReadPixel(v, X, Y);
}

std::uint32_t TGXSurface::PixelRgb(int X, int Y) const {
  return PixelToRgb(Pixel(X, Y), format_, &screen_->Palette32());
}

TPixelView TGXSurface::View() {
  return TPixelView{pixels_.data(), width_, height_, pitch_, format_, &screen_->Palette32()};
}

// ---- Screen ----

std::uint32_t TGXScreen::RandSeed = 0;

std::uint32_t TGXScreen::Random(std::uint32_t Range) {
  RandSeed = RandSeed * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(RandSeed) * Range) >> 32);
}

TGXScreen::TGXScreen(TForm* Owner) : TComponent(Owner), form_(Owner) {
  if (form_) {
    previousActivate_ = form_->OnActivate;
    form_->OnActivate = [this](TObject* Sender) { FormActivate(Sender); };
    form_->OnDisplayLost = [this](TObject*) { MarkSurfacesLost(); };
  }
}

TGXScreen::~TGXScreen() {
  CleanUp();
  if (form_) {
    form_->OnActivate = previousActivate_;
    form_->OnDisplayLost = nullptr;
  }
}

int TGXScreen::Width() const {
  return initialized_ ? width_ : DisplayModeSize(displayMode_).X;
}
int TGXScreen::Height() const {
  return initialized_ ? height_ : DisplayModeSize(displayMode_).Y;
}

TPixelFormat TGXScreen::Format() const {
  return FormatOfDepth(colorDepth_);
}

void TGXScreen::Loaded() {
  if (windowMode_ || !form_) return;
  form_->BorderStyle = bsNone;
  form_->BorderIcons = false;
  form_->FormStyle = fsStayOnTop;
  form_->Color = clBlack;
}

void TGXScreen::SetFlippingEnabled(bool Value) {
  if (Value == flippingEnabled_) return;
  flippingEnabled_ = Value;
  if (Value) {
    Application->OnIdle = [this](TObject* Sender, bool& Done) { AppIdle(Sender, Done); };
    pumpInstalled_ = true;
  } else if (pumpInstalled_) {
    Application->OnIdle = nullptr;
    pumpInstalled_ = false;
  }
}

void TGXScreen::FormActivate(TObject* Sender) {
  if (!windowMode_) paletteMode_ = pmExclusive;
  if (windowMode_ && colorDepth_ == 8 && DesktopBitsPerPixel() != 8) {
    if (!ConfirmYesNo("You are not in 256 color mode. Do you want to run this application in "
                      "Full-Screen mode?",
                      form_ ? form_->Caption() : std::string())) {
      Application->Terminate();
      if (form_) form_->Close();
      return;
    }
    windowMode_ = false;
    paletteMode_ = pmExclusive;
  }
  if (previousActivate_) previousActivate_(Sender);
  SetUp();
  if (!form_) return;
  for (TComponent* c : form_->Components()) {
    if (auto* player = dynamic_cast<TGXSoundDevice*>(c)) player->StartSoundDevice();
  }
}

void TGXScreen::SetUp() {
  if (initialized_) return;
  if (!form_) throw EGXScreen("Failed to create IDerectDraw object");
  const TPoint size = DisplayModeSize(displayMode_);
  width_ = size.X;
  height_ = size.Y;
  formWidth_ = form_->Width();
  formHeight_ = form_->Height();
  if (winBufWidth_ >= 1 && winBufHeight_ >= 1) {
    bufWidth_ = winBufWidth_;
    bufHeight_ = winBufHeight_;
  } else {
    bufWidth_ = width_;
    bufHeight_ = height_;
  }
  Application->OnException = [this](TObject* Sender, const std::exception& E) {
    AppException(Sender, E);
  };
  Application->OnMessage = [this](TMsg& Msg, bool& Handled) { AppMessage(Msg, Handled); };
  hooksInstalled_ = true;
  try {
    if (!windowMode_) {
      form_->SetDisplay(width_, height_, true);
    } else {
      form_->SetDisplay(bufWidth_, bufHeight_, false);
      if (windowStretch_) form_->SetClientSize(formWidth_, formHeight_);
    }
  } catch (const std::exception& e) {
    PrintError(e);
    CleanUp();
    throw EGXScreen("Set Display Mode Failed");
  }
  const int w = windowMode_ ? bufWidth_ : width_;
  const int h = windowMode_ ? bufHeight_ : height_;
  front_.reset(new TGXSurface(*this, TGXSurface::Kind::Primary, w, h));
  back_.reset(new TGXSurface(
      *this, windowMode_ ? TGXSurface::Kind::WindowBack : TGXSurface::Kind::AttachedBack, w, h));
  front_->OnSurfaceLost = [this] { RestoreSurfaces(); };
  back_->OnSurfaceLost = [this] { RestoreSurfaces(); };
  initialized_ = true;
  BuildInitialPalette();
  back_->Erase(0);
  Flip();
  back_->Erase(0);
  Application->SetCursorVisible(false);
  Application->SetScreenSaverBlocked(true);
  if (imageLibrary_) imageLibrary_->MakeSurfaces(*this, images_, true, false);
  if (tileLibrary_) tileLibrary_->MakeSurfaces(*this, tiles_, true, false);
  if (OnInitialize) OnInitialize(this);
}

namespace {

// The colours a palette display reserves at both ends.
constexpr std::uint32_t kStaticColours[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080,
                                              0x800080, 0x008080, 0xC0C0C0, 0xC0DCC0, 0xA6CAF0,
                                              0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000, 0x00FF00,
                                              0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

TPaletteEntry SystemEntry(int Index) {
  std::uint32_t rgb = 0;
  if (Index < 10) {
    rgb = kStaticColours[Index];
  } else if (Index >= 246) {
    rgb = kStaticColours[Index - 236];
  }
  return TPaletteEntry{static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8),
                       static_cast<std::uint8_t>(rgb), 0};
}

}  // namespace

void TGXScreen::BuildInitialPalette() {
  TPaletteEntries p{};
  for (int i = 10; i <= 245; ++i) {
    p[i].peRed = static_cast<std::uint8_t>(Random(255));
    p[i].peGreen = static_cast<std::uint8_t>(Random(255));
    p[i].peBlue = static_cast<std::uint8_t>(Random(255));
    p[i].peFlags = 0;
  }
  if (paletteMode_ == pmExclusive) {
    for (int i = 0; i <= 9; ++i) p[i] = SystemEntry(i);
    for (int i = 246; i <= 255; ++i) p[i] = SystemEntry(i);
  } else {
    for (int i = 0; i <= 254; ++i) p[i] = SystemEntry(i);
  }
  SetPalette(p);
}

void TGXScreen::SetPalette(const TPaletteEntries& Entries) {
  if (colorDepth_ != 8) return;
  palette_ = Entries;
  for (int i = 0; i < 256; ++i) {
    palette32_[i] = (static_cast<std::uint32_t>(Entries[i].peRed) << 16) |
                    (static_cast<std::uint32_t>(Entries[i].peGreen) << 8) | Entries[i].peBlue;
  }
}

void TGXScreen::Flip() {
  if (!initialized_ || !front_ || !back_) throw EGXScreen("Flip Failed");
  if (front_->IsLost() || back_->IsLost()) {
    RestoreSurfaces();
    return;
  }
  const std::uint64_t shown = form_->PresentCount();
  form_->Present(back_->View());
  // Front is what the window shows: it changes only when a frame was really shown (an
  // unchanged picture is not shown again, and Front already holds it).
  if (form_->PresentCount() != shown) {
    std::memcpy(front_->pixels_.data(), back_->pixels_.data(), front_->pixels_.size());
  }
}

void TGXScreen::MarkSurfacesLost() {
  if (front_) front_->MarkLost();
  if (back_) back_->MarkLost();
}

void TGXScreen::RestoreSurfaces() {
  if (!front_ || !back_) {
    Trace("Restore Failed: Invalid Object");
    throw EGXScreen("RestoreSurfaces Failed (Front)");
  }
  if (form_ && !form_->RestoreDisplay()) {
    Trace("Restore Failed: Generic");
    throw EGXScreen("RestoreSurfaces Failed (Front)");
  }
  front_->Restore();
  back_->Restore();
  if (imageLibrary_) imageLibrary_->MakeSurfaces(*this, images_, false, true);
  if (tileLibrary_) tileLibrary_->MakeSurfaces(*this, tiles_, false, true);
}

std::unique_ptr<TGXSurface> TGXScreen::CreateSurface(int Width, int Height) {
  auto s = std::make_unique<TGXSurface>(*this, Width, Height);
  s->SetTransparentColor(0);
  return s;
}

void TGXScreen::TransparentFromPixel(TGXSurface* Surface, int X, int Y) {
  if (Surface) TransparentFromPixel(*Surface, X, Y);
}

void TGXScreen::TransparentFromPixel(TGXSurface& Surface, int X, int Y) {
  if (X < 0 || Y < 0 || X >= Surface.Width() || Y >= Surface.Height()) return;
  if (!Surface.Lock()) return;
  std::uint32_t value = 0;
  const std::uint8_t* p = Surface.pixels_.data() + static_cast<std::size_t>(Y) * Surface.Pitch();
  switch (colorDepth_) {
    case 8:
      value = p[X];
      break;
    case 16: {
      std::uint16_t v;
      std::memcpy(&v, p + 2 * X, 2);
      value = v;
      break;
    }
    case 24:
    case 32: {
      std::memcpy(&value, p + 4 * X, 4);
      break;
    }
    default:
      value = 0;
  }
  Surface.Canvas->Release();
  Surface.Unlock();
  Surface.SetColorKey(value);
}

void TGXScreen::WaitForVerticalBlank() {
  // Presenting a frame already waits for the vertical blank where the display reports one;
  // without a display there is nothing to wait for.
  if (!initialized_) throw EGXScreen("WaitForVericalBlankError");
}

void TGXScreen::Trace(const std::string& Text) {
  TraceLine(Text);
}

void TGXScreen::AppException(TObject*, const std::exception& E) {
  if (beepOnException_) MessageBeep(0);
  if (debug_) Trace(E.what());
}

void TGXScreen::AppMessage(TMsg& Msg, bool& Handled) {
  switch (Msg.Message) {
    case WM_ACTIVATEAPP:
      if (Msg.WParam != 0) {
        Application->PostMessage(WM_RESTORE);
      } else if (pumpInstalled_) {
        // In the background nothing is drawn.
        Application->OnIdle = nullptr;
        pumpInstalled_ = false;
      }
      break;
    case WM_SYSCOMMAND:
      if (Msg.WParam == SC_SCREENSAVE) Handled = true;
      break;
    case WM_RESTORE:
      Handled = true;
      RestoreSurfaces();
      if (flippingEnabled_) {
        Application->OnIdle = [this](TObject* Sender, bool& Done) { AppIdle(Sender, Done); };
        pumpInstalled_ = true;
      }
      if (OnPaint) OnPaint(this);
      break;
    default:
      break;
  }
}

void TGXScreen::AppIdle(TObject*, bool& Done) {
  Done = false;
  if (!initialized_) return;
  if (OnFlip) OnFlip(this);
  Flip();
}

void TGXScreen::CleanUp() {
  SetFlippingEnabled(false);
  if (pumpInstalled_) {
    Application->OnIdle = nullptr;
    pumpInstalled_ = false;
  }
  if (initialized_ && OnCleanUp) {
    try {
      OnCleanUp(this);
    } catch (const std::exception& e) {
      PrintError(e);
    }
  }
  images_.clear();
  tiles_.clear();
  front_.reset();
  back_.reset();
  if (hooksInstalled_) {
    Application->OnException = nullptr;
    Application->OnMessage = nullptr;
    Application->SetCursorVisible(true);
    Application->SetScreenSaverBlocked(false);
    hooksInstalled_ = false;
  }
  initialized_ = false;
}
