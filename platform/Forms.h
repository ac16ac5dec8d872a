// The one game window (form): its display, mouse, touch and key events, activation; the
// form's hidden labels and picture object.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/PresentFilter.h"

union SDL_Event;
class TForm;
namespace vornu {
class Display;
void DeliverEvent(TForm& Form, const SDL_Event& Event);
void PollTouch(TForm& Form);
}  // namespace vornu

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Modifier keys and held buttons at the time of a mouse event (bits below).
using TShiftState = unsigned;
constexpr TShiftState ssShift = 1;
constexpr TShiftState ssAlt = 2;
constexpr TShiftState ssCtrl = 4;
constexpr TShiftState ssLeft = 8;
constexpr TShiftState ssRight = 16;
constexpr TShiftState ssMiddle = 32;

using TMouseEvent =
    std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
// A key went down or up; Key is a virtual-key code (below). Held keys do not repeat here.
using TKeyEvent = std::function<void(TObject* Sender, std::uint16_t& Key, TShiftState Shift)>;

// Virtual-key codes of the keys the game looks at; letters are their upper-case ASCII codes.
constexpr std::uint16_t VK_TAB = 0x09;
constexpr std::uint16_t VK_RETURN = 0x0D;
constexpr std::uint16_t VK_SPACE = 0x20;
constexpr std::uint16_t VK_LEFT = 0x25;
constexpr std::uint16_t VK_UP = 0x26;
constexpr std::uint16_t VK_RIGHT = 0x27;
constexpr std::uint16_t VK_DOWN = 0x28;

// Gamepad buttons by their place on the pad (south is the lowest face button).
enum class TPadButton { South, East, West, North, LeftShoulder, RightShoulder, Start, Back };
using TPadButtonEvent = std::function<void(TObject* Sender, TPadButton Button, bool Down)>;
// The left stick's deflection, each axis -1 (left, up) .. 1 (right, down), unfiltered.
using TPadStickEvent = std::function<void(TObject* Sender, double X, double Y)>;

enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TFormStyle { fsNormal, fsStayOnTop };

// Settings of a form as its resource gives them.
struct TFormSettings {
  int Left = 215;
  int Top = 155;
  int Width = 544;
  int Height = 407;
  std::string Caption = "Form1";
  TFont Font{"MS Sans Serif", -11};
};

// What a form tells the application that runs it. The application installs these on its main
// form and takes them off again, so that the form needs to know nothing of the application.
struct TFormReports {
  // The window gained (true) or lost (false) the input focus; a form with this report leaves
  // its deactivation on focus loss to whoever takes it.
  std::function<void(bool Focused)> FocusChanged;
  // The form has closed.
  std::function<void()> Closed;
  // One of the form's own handlers (OnActivate, OnDeactivate, OnClose) threw; without this
  // report the exception goes on to whoever made the form act.
  std::function<void(TObject* Sender, const std::exception& E)> HandlerFailed;
  // The form is being destroyed.
  std::function<void()> Destroyed;
};

// The game's window. Input arrives in logical display pixels (clamped to the display);
// Alt+Enter toggles full screen and never reaches OnKeyPress; the close button closes the form.
// On a touch screen a tap is a short click, a held finger a held left button and a tap with
// two fingers the right button.
class TForm : public TComponent {
 public:
  explicit TForm(const TFormSettings& Settings = {});
  ~TForm() override;

  int Left() const { return settings_.Left; }
  int Top() const { return settings_.Top; }
  int Width() const { return settings_.Width; }
  int Height() const { return settings_.Height; }
  // The client area's size: the logical display size once one is set, else the form's size.
  int ClientWidth() const;
  int ClientHeight() const;
  // Called by the screen in window mode: sets the client area's size.
  void SetClientSize(int Width, int Height);
  const std::string& Caption() const { return settings_.Caption; }
  TFont Font;
  TColor Color = 0xF0F0F0;
  TBorderStyle BorderStyle = bsSizeable;
  TFormStyle FormStyle = fsNormal;
  bool BorderIcons = true;

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnClose;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TPadButtonEvent OnPadButton;
  TPadStickEvent OnPadStick;
  // The platform dropped what shows the display (render targets or device reset).
  TNotifyEvent OnDisplayLost;

  // Called by the application when the form becomes the main form: creates the window
  // (hidden video drivers included) and activates the form.
  void Show();
  // Called by the game and by the window's close button: OnClose, then the window is gone;
  // the main form's closing ends the loop.
  void Close();
  bool Visible() const;
  bool Closed() const { return closed_; }
  bool Active() const { return active_; }
  // Called by the application on focus changes: each change raises the event once.
  void Activate();
  void Deactivate();
  // Called by the event translation when the window gains or loses the input focus.
  void FocusGained();
  void FocusLost();
  // Installed by the application (see TFormReports); empty on a form nobody runs.
  TFormReports Reports;

  // Called by the screen at set-up: shows a logical display of Width x Height, full screen on
  // the desktop's monitor, scaled by the largest whole factor, centred on black (FullScreen),
  // or a window of that size. Throws Exception when no window or renderer can be made.
  void SetDisplay(int Width, int Height, bool FullScreen);
  int DisplayWidth() const { return displayWidth_; }
  int DisplayHeight() const { return displayHeight_; }
  bool FullScreen() const { return fullScreen_; }
  // Called on Alt+Enter: switches between full screen and a window.
  void ToggleFullScreen();
  // Called by the screen's flip once per frame: shows Pixels (DisplayWidth x DisplayHeight)
  // on the window when they differ from the picture shown last or the window needs a
  // repaint; an unchanged frame only keeps the rhythm of the display's refresh.
  void Present(const TPixelView& Pixels);
  // Called by the application loop: milliseconds until the frame pump may run the next frame
  // (0: now). The loop waits for events meanwhile, so frames keep to the display's refresh
  // without a busy loop.
  int MsUntilNextFrame() const;
  // Frames really shown on the window since it was made.
  std::uint64_t PresentCount() const { return presents_.ShownCount(); }
  // The window's picture as last shown, 0x00RRGGBB rows (for tests); false when unreadable.
  bool ReadWindow(std::vector<std::uint32_t>& Pixels, int& Width, int& Height) const;
  // How frames reach the window ("renderer (...)" or "window surface (...)").
  std::string PresentPath() const;
  // Called by the screen when it restores its surfaces: rebuilds what shows the display after
  // a loss; false (with the reason on stderr) if it cannot. Nothing to rebuild: true.
  bool RestoreDisplay();
  // The rectangle of the drawing area (output pixels) that the display is scaled into.
  TRect OutputRect() const;
  // Maps a window position to a logical display position, clamped to the display.
  TPoint WindowToDisplay(int X, int Y) const;
  // The window position at the middle of the logical display pixel (X, Y) (synthetic input).
  TPoint DisplayToWindow(int X, int Y) const;

  // Deliver input as the window would (tests use these directly); positions are logical.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseMove(TShiftState Shift, int X, int Y);
  void KeyPress(char Key);
  void KeyDown(std::uint16_t Key, TShiftState Shift);
  void KeyUp(std::uint16_t Key, TShiftState Shift);
  void PadButton(TPadButton Button, bool Down);
  void PadStick(double X, double Y);

  // Called by the application before the form is shown: Loaded() on every component.
  void Loaded() override;

  // The window's native id, 0 when none (events name their window by it).
  std::uint32_t WindowId() const;

 private:
  // The event translation (SdlEvents.cpp) drives the window and keeps the touch state.
  friend void vornu::DeliverEvent(TForm& Form, const SDL_Event& Event);
  friend void vornu::PollTouch(TForm& Form);
  // What the fingers on the window are doing.
  struct TTouch {
    enum class Phase { None, Pending, Pressed, Done };
    Phase State = Phase::None;
    long long Finger = 0;  // the first finger's id
    std::uint32_t DownAt = 0;
    int X = 0, Y = 0;  // logical position of the first finger
  };

  TTouch touch_;

  void OpenWindow();
  // Runs one of the form's own handlers; a failure goes to Reports.HandlerFailed when set.
  void RunHandler(const TNotifyEvent& Handler);
  TFormSettings settings_;
  std::unique_ptr<vornu::Display> display_;
  vornu::PresentFilter presents_;
  int displayWidth_ = 0;
  int displayHeight_ = 0;
  bool fullScreen_ = false;
  bool closed_ = false;
  bool active_ = false;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
};

// A label: only its font is used.
class TLabel : public TComponent {
 public:
  explicit TLabel(TComponent* Owner = nullptr) : TComponent(Owner) {}
  TFont Font;
  std::string Caption;
  bool Visible = true;
};

// The picture object: reads a bitmap file into Picture.
class TImage : public TComponent {
 public:
  explicit TImage(TComponent* Owner = nullptr) : TComponent(Owner) {}
  TPicture Picture;
  bool Visible = true;
};

// Bits per pixel of the desktop (32 when unknown).
int DesktopBitsPerPixel();
