// The display engine: the screen component, its surfaces and their drawing canvas.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Application.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"

class EGXScreen : public Exception {
 public:
  using Exception::Exception;
};
class EGXSurface : public Exception {
 public:
  using Exception::Exception;
};
class EGXCanvas : public Exception {
 public:
  using Exception::Exception;
};

// Logical display sizes; the depth always comes from ColorDepth, whatever the name says.
enum TDisplayMode { dm640x480x8, dm320x200x8, dm800x600x8, dm1024x768x8, dm640x400x8, dm320x240x8 };
enum TPaletteMode { pmExclusive, pmNormal };

// Width and height a display mode selects.
TPoint DisplayModeSize(TDisplayMode Mode);

struct TPaletteEntry {
  std::uint8_t peRed = 0;
  std::uint8_t peGreen = 0;
  std::uint8_t peBlue = 0;
  std::uint8_t peFlags = 0;
  friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};
using TPaletteEntries = std::array<TPaletteEntry, 256>;

class TGXScreen;
class TGXSurface;

// A canvas whose pixels are borrowed from a surface on the first drawing call.
class TGXCanvas : public TCanvas {
 public:
  // Throws EGXCanvas "Cannot create canvas for NIL surface" when Surface is null.
  explicit TGXCanvas(TGXSurface* Surface);
  // Releases the surface first.
  ~TGXCanvas() override;
  TGXSurface* Surface() const { return surface_; }

 protected:
  TPixelView AcquirePixels() override;
  void ReleasePixels() override;

 private:
  TGXSurface* surface_;
};

using TSurfaceLostEvent = std::function<void()>;

// A block of pixels in the screen's format (indexed for ColorDepth 8, RGB565 for 16,
// XRGB8888 for 24 and 32): the front surface, the back buffer or an off-screen picture.
class TGXSurface {
 public:
  // A memory (off-screen) surface of the given size in Screen's format; a size below 1 or
  // too large to hold throws EGXSurface "Could not create memory surface (w, h)".
  TGXSurface(TGXScreen& Screen, int Width, int Height);
  ~TGXSurface();
  TGXSurface(const TGXSurface&) = delete;
  TGXSurface& operator=(const TGXSurface&) = delete;

  std::unique_ptr<TGXCanvas> Canvas;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Bytes per row.
  int Pitch() const { return pitch_; }
  TPixelFormat Format() const { return format_; }
  TRect BoundsRect() const { return Rect(0, 0, width_, height_); }
  TRect ClipRect() const { return clip_; }
  // Sets the drawing limits of Draw, cut to BoundsRect.
  void SetClipRect(const TRect& Clip);
  // Last value given to SetTransparentColor.
  std::uint8_t TransparentColor() const { return transparent_; }
  // The raw pixel value that Draw with Transparent skips.
  std::uint32_t ColorKey() const { return colorKey_; }
  // Whether this is the back buffer attached to the front surface.
  bool Attached() const { return attached_; }
  // Whether the system memory flag applies (wider than the screen at creation).
  bool SystemMemory() const { return systemMemory_; }

  // Draws all of Source with its top-left at (X, Y), exactly the part inside ClipRect;
  // Transparent skips pixels equal to Source's colour key. A surface of another pixel format
  // throws EGXSurface "Draw (BltFast) Failed"; a lost surface goes to OnSurfaceLost.
  void Draw(int X, int Y, TGXSurface& Source, bool Transparent);
  // As above; a null Source throws EGXSurface "Draw (BltFast) Failed".
  void Draw(int X, int Y, TGXSurface* Source, bool Transparent);
  // Fills the whole surface with the raw pixel value Colour.
  void Erase(std::uint32_t Colour);
  // Makes Value (8 bits) the colour key.
  void SetTransparentColor(std::uint8_t Value);
  // Makes a raw pixel value the colour key (the screen's TransparentFromPixel).
  void SetColorKey(std::uint32_t Value);
  // The first pixel, held until Unlock; null when the surface is lost.
  std::uint8_t* Lock();
  // Ends a Lock; nothing when not locked.
  void Unlock();
  bool Locked() const { return locked_ != nullptr; }
  // The raw pixel at (X, Y); throws EGXSurface outside the surface.
  std::uint32_t Pixel(int X, int Y) const;
  // The colour (0x00RRGGBB) the pixel at (X, Y) shows.
  std::uint32_t PixelRgb(int X, int Y) const;
  // A view of the pixels (for the canvas, presentation and tests).
  TPixelView View();

  // Marks the surface as lost (the platform dropped what showed it); Restore ends that.
  void MarkLost() { lost_ = true; }
  bool IsLost() const { return lost_; }
  // Brings a lost surface back (its pixels are kept).
  void Restore() { lost_ = false; }
  TSurfaceLostEvent OnSurfaceLost;

  TGXScreen& Screen() const { return *screen_; }

 private:
  friend class TGXScreen;
  enum class Kind { Memory, Primary, AttachedBack, WindowBack };
  TGXSurface(TGXScreen& Screen, Kind Kind, int Width, int Height);
  bool RouteLost();

  TGXScreen* screen_;
  int width_ = 0;
  int height_ = 0;
  int pitch_ = 0;
  TPixelFormat format_ = TPixelFormat::RGB565;
  std::vector<std::uint8_t> pixels_;
  TRect clip_;
  std::uint8_t transparent_ = 0;
  std::uint32_t colorKey_ = 0;
  bool attached_ = false;
  bool systemMemory_ = false;
  bool lost_ = false;
  std::uint8_t* locked_ = nullptr;
};

// What the screen needs of an image library to turn it into surfaces.
class TGXImageSource {
 public:
  virtual ~TGXImageSource() = default;
  // Builds one surface per image on Screen into Surfaces (emptied first); when SetPalette,
  // the library's palette becomes the screen's. A library read from a file reloads it first
  // when Reload is set.
  virtual void MakeSurfaces(TGXScreen& Screen, std::vector<std::unique_ptr<TGXSurface>>& Surfaces,
                            bool SetPalette, bool Reload) = 0;
};

// A component of the form that opens a sound device at the form's activation.
class TGXSoundDevice {
 public:
  virtual ~TGXSoundDevice() = default;
  // Opens the device and builds the sound buffers.
  virtual void StartSoundDevice() = 0;
};

// The screen component: sets up the display at the form's first activation, pumps frames
// from the application's idle time, restores lost surfaces after a reactivation.
class TGXScreen : public TComponent {
 public:
  // Chains itself in front of Owner's OnActivate.
  explicit TGXScreen(TForm* Owner);
  // Cleans up (OnCleanUp, surfaces, hooks).
  ~TGXScreen() override;

  TDisplayMode DisplayMode() const { return displayMode_; }
  void SetDisplayMode(TDisplayMode Value) { displayMode_ = Value; }
  bool FlippingEnabled() const { return flippingEnabled_; }
  // Installs (true) or removes (false) the frame pump when the value changes.
  void SetFlippingEnabled(bool Value);
  bool Debug() const { return debug_; }
  void SetDebug(bool Value) { debug_ = Value; }
  bool BeepOnException() const { return beepOnException_; }
  void SetBeepOnException(bool Value) { beepOnException_ = Value; }
  const std::string& Version() const { return version_; }
  void SetVersion(const std::string& Value) { version_ = Value; }
  bool PaletteCycle() const { return paletteCycle_; }
  void SetPaletteCycle(bool Value) { paletteCycle_ = Value; }
  TGXImageSource* ImageLibrary() const { return imageLibrary_; }
  void SetImageLibrary(TGXImageSource* Value) { imageLibrary_ = Value; }
  TGXImageSource* TileLibrary() const { return tileLibrary_; }
  void SetTileLibrary(TGXImageSource* Value) { tileLibrary_ = Value; }
  TComponent* MapLibrary() const { return mapLibrary_; }
  void SetMapLibrary(TComponent* Value) { mapLibrary_ = Value; }
  bool SkipTile0() const { return skipTile0_; }
  void SetSkipTile0(bool Value) { skipTile0_ = Value; }
  int BackBuffers() const { return backBuffers_; }
  void SetBackBuffers(int Value) { backBuffers_ = Value; }
  bool WindowMode() const { return windowMode_; }
  void SetWindowMode(bool Value) { windowMode_ = Value; }
  bool WindowVBL() const { return windowVBL_; }
  void SetWindowVBL(bool Value) { windowVBL_ = Value; }
  TPaletteMode PaletteMode() const { return paletteMode_; }
  void SetPaletteMode(TPaletteMode Value) { paletteMode_ = Value; }
  bool WindowStretch() const { return windowStretch_; }
  void SetWindowStretch(bool Value) { windowStretch_ = Value; }
  int WinBufWidth() const { return winBufWidth_; }
  void SetWinBufWidth(int Value) { winBufWidth_ = Value; }
  int WinBufHeight() const { return winBufHeight_; }
  void SetWinBufHeight(int Value) { winBufHeight_ = Value; }
  // Bits per pixel of every surface: 8, 16, 24 or 32.
  int ColorDepth() const { return colorDepth_; }
  void SetColorDepth(int Value) { colorDepth_ = Value; }

  TNotifyEvent OnPaint;
  TNotifyEvent OnFlip;
  TNotifyEvent OnInitialize;
  TNotifyEvent OnCleanUp;

  // The visible surface and the one the game draws on; null before set-up.
  TGXSurface* Front() const { return front_.get(); }
  TGXSurface* Back() const { return back_.get(); }
  // Whether the display has been set up.
  bool Initialized() const { return initialized_; }
  // Size of the display mode in use (of DisplayMode before set-up).
  int Width() const;
  int Height() const;
  // The pixel format of the surfaces (from ColorDepth).
  TPixelFormat Format() const;
  // The form the screen belongs to.
  TForm* Form() const { return form_; }

  // Makes the form borderless, stay-on-top and black unless WindowMode.
  void Loaded() override;
  // Shows Back (full screen: presents and keeps Back's pixels; a lost Front restores).
  void Flip();
  // Takes 256 entries; only with ColorDepth 8.
  void SetPalette(const TPaletteEntries& Entries);
  const TPaletteEntries& Palette() const { return palette_; }
  // The palette as 0x00RRGGBB values (what an indexed pixel shows).
  const TPalette32& Palette32() const { return palette32_; }
  // Brings Front and Back back after a loss and rebuilds library surfaces; failure traces
  // and throws EGXScreen "RestoreSurfaces Failed (Front)".
  void RestoreSurfaces();
  // A new off-screen surface of the given size with transparent colour 0.
  std::unique_ptr<TGXSurface> CreateSurface(int Width, int Height);
  // Makes the pixel at (X, Y) of Surface its colour key (1, 2 or 4 bytes by ColorDepth);
  // a position outside the surface changes nothing.
  void TransparentFromPixel(TGXSurface& Surface, int X, int Y);
  // As above; a null Surface changes nothing.
  void TransparentFromPixel(TGXSurface* Surface, int X, int Y);
  // Waits for the start of the vertical blank (presenting does that already, so this returns);
  // before set-up throws EGXScreen "WaitForVericalBlankError".
  void WaitForVerticalBlank();
  // Sends Text as a trace line (cut to 255 characters).
  void Trace(const std::string& Text);
  // Surfaces built from the image and tile libraries.
  const std::vector<std::unique_ptr<TGXSurface>>& ImageSurfaces() const { return images_; }
  const std::vector<std::unique_ptr<TGXSurface>>& TileSurfaces() const { return tiles_; }

  // The activation handler chained into the form's OnActivate (public for tests).
  void FormActivate(TObject* Sender);
  // The application's exception handler while the screen is set up.
  void AppException(TObject* Sender, const std::exception& E);
  // The application's message hook while the screen is set up.
  void AppMessage(TMsg& Msg, bool& Handled);
  // The frame pump: OnFlip, then Flip. It is never done, so the loop keeps pumping frames.
  void AppIdle(TObject* Sender, bool& Done);
  // The private message that restores the display after a reactivation.
  static constexpr std::uint32_t WM_RESTORE = 1224;

  // The initial palette's random generator (seed as the run-time keeps it).
  static std::uint32_t RandSeed;
  // The next value in 0 .. Range-1 from RandSeed.
  static std::uint32_t Random(std::uint32_t Range);

 private:
  void SetUp();
  void CleanUp();
  void BuildInitialPalette();
  void MarkSurfacesLost();

  TForm* form_;
  TNotifyEvent previousActivate_;
  TDisplayMode displayMode_ = dm640x480x8;
  bool flippingEnabled_ = false;
  bool debug_ = true;
  bool beepOnException_ = true;
  std::string version_ = "GX Beta 6";
  bool paletteCycle_ = false;
  TGXImageSource* imageLibrary_ = nullptr;
  TGXImageSource* tileLibrary_ = nullptr;
  TComponent* mapLibrary_ = nullptr;
  bool skipTile0_ = false;
  int backBuffers_ = 2;
  bool windowMode_ = false;
  bool windowVBL_ = true;
  TPaletteMode paletteMode_ = pmNormal;
  bool windowStretch_ = false;
  int winBufWidth_ = 0;
  int winBufHeight_ = 0;
  int colorDepth_ = 8;

  bool initialized_ = false;
  bool pumpInstalled_ = false;
  bool hooksInstalled_ = false;
  int width_ = 0;
  int height_ = 0;
  int formWidth_ = 0;
  int formHeight_ = 0;
  int bufWidth_ = 0;
  int bufHeight_ = 0;
  std::unique_ptr<TGXSurface> front_;
  std::unique_ptr<TGXSurface> back_;
  TPaletteEntries palette_{};
  TPalette32 palette32_{};
  std::vector<std::unique_ptr<TGXSurface>> images_;
  std::vector<std::unique_ptr<TGXSurface>> tiles_;
};
