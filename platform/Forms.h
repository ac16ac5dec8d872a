// The application loop, the one game window (form), its events, labels, picture object, dialogs.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/PresentFilter.h"

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

// A message of the application's queue, as the message hook sees it.
struct TMsg {
  std::uint32_t Message = 0;
  std::intptr_t WParam = 0;
  std::intptr_t LParam = 0;
};
// The application became active (WParam 1) or inactive (WParam 0).
constexpr std::uint32_t WM_ACTIVATEAPP = 0x001C;
// A system command; WParam SC_SCREENSAVE asks to start the screen saver.
constexpr std::uint32_t WM_SYSCOMMAND = 0x0112;
constexpr std::intptr_t SC_SCREENSAVE = 0xF140;
// Messages from this value on are the program's own.
constexpr std::uint32_t WM_USER = 0x0400;

using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;
using TExceptionEvent = std::function<void(TObject* Sender, const std::exception& E)>;
using TMessageEvent = std::function<void(TMsg& Msg, bool& Handled)>;

class TForm;

// Something the loop polls for due timer firings on the main thread.
class TTimerSource {
 public:
  virtual ~TTimerSource() = default;
  // Fires what is due by the current clock.
  virtual void PollTimer() = 0;
  // Milliseconds until something may be due; negative when nothing is scheduled.
  virtual long MsUntilDue() const { return -1; }
};

// The application: SDL set-up, the message loop and its hooks, work handed to the main thread.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Starts SDL's video and events. With no display (no DISPLAY or WAYLAND_DISPLAY and no
  // video driver asked for in SDL_VIDEODRIVER) throws Exception with one clear line.
  void Initialize();
  // Closes the audio device and the display; call after the forms are gone.
  void Finalize();
  // Makes Form the main form: the loop ends when it closes. Calls Form.Loaded() and shows it.
  void SetMainForm(TForm* Form);
  TForm* MainForm() const { return mainForm_; }
  // Runs the loop until the main form closes or Terminate is called.
  void Run();
  // Handles every pending event, posted message, handed-over call and due timer, then returns.
  void ProcessMessages();
  // Fires due window timers and thread-less frame timers (also done by ProcessMessages).
  void ProcessTimers();
  // Calls OnIdle once (with Done preset to true) and returns Done; nothing set: true.
  bool DoIdle();
  // Ends the loop after the current step.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Reports an exception that left a handler: OnException if set, else one line on stderr.
  void HandleException(TObject* Sender, const std::exception& E);
  // Queues a message for the message hook and the loop.
  void PostMessage(std::uint32_t Message, std::intptr_t WParam = 0, std::intptr_t LParam = 0);
  // Runs Call on the main thread and waits until it has returned (the caller is another
  // thread). Returns false, without running it, when Stop is set first; whoever sets Stop
  // calls WakeSynchronized afterwards so that the waiting thread sees it.
  bool Synchronize(const std::function<void()>& Call, const std::atomic<bool>& Stop);
  // Wakes every thread waiting in Synchronize to look at its stop flag again.
  void WakeSynchronized();
  // Shows or hides the system pointer over the window.
  void SetCursorVisible(bool Visible);
  // Keeps the screen saver off (true) or lets it run again.
  void SetScreenSaverBlocked(bool Blocked);
  // Whether the application is active (its form has the focus).
  bool Active() const { return active_; }
  // Tells the application its focus changed: posts WM_ACTIVATEAPP and (de)activates the form.
  void SetActive(bool Active);

  // Forgets Form (it is being destroyed): the loop then has no main form.
  void ForgetForm(TForm* Form);

  void AddTimerSource(TTimerSource* Source);
  void RemoveTimerSource(TTimerSource* Source);

  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;

 private:
  void HandleSdlEvents(bool Wait, int TimeoutMs);
  void DispatchSdlEvent(const void* Event);
  void DispatchPosted();
  void RunSynchronized();
  int MsToNextTimer();
  void WakeUp();

  TForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool initialized_ = false;
  bool active_ = false;
  std::vector<TMsg> posted_;
  std::vector<TTimerSource*> timers_;
  struct SyncQueue;
  std::unique_ptr<SyncQueue> sync_;
};

// The one application object.
extern TApplication* Application;

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

// The game's window. Input arrives in logical display pixels (clamped to the display);
// Alt+Enter toggles full screen and never reaches OnKeyPress; the close button closes the form.
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
  // Sets the client area's size (window mode only).
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
  // The platform dropped what shows the display (render targets or device reset).
  TNotifyEvent OnDisplayLost;

  // Creates the window (hidden video drivers included) and activates the form.
  void Show();
  // Closes the form: OnClose, window gone; the main form's closing ends the loop.
  void Close();
  bool Visible() const { return window_ != nullptr; }
  bool Closed() const { return closed_; }
  bool Active() const { return active_; }
  // Activation as the window manager reports it; each change raises the event once.
  void Activate();
  void Deactivate();

  // Shows a logical display of Width x Height: full screen on the desktop's monitor,
  // scaled by the largest whole factor, centred on black (FullScreen), or a window of that
  // size. Throws Exception when no window or renderer can be made.
  void SetDisplay(int Width, int Height, bool FullScreen);
  int DisplayWidth() const { return displayWidth_; }
  int DisplayHeight() const { return displayHeight_; }
  bool FullScreen() const { return fullScreen_; }
  // Switches between full screen and a window (what Alt+Enter does).
  void ToggleFullScreen();
  // Shows Pixels (DisplayWidth x DisplayHeight) on the window when they differ from the
  // picture shown last or the window needs a repaint; waits for vsync where the driver offers
  // it. Called once per pumped frame; an unchanged frame only schedules the next one.
  void Present(const TPixelView& Pixels);
  // Milliseconds until the frame pump may run the next frame (0: now). The loop waits for
  // events meanwhile, so that frames keep to the display's refresh without a busy loop.
  int MsUntilNextFrame() const;
  // Frames really shown on the window since it was made.
  std::uint64_t PresentCount() const { return presents_.ShownCount(); }
  // Rebuilds what shows the display after a loss; false (with the reason on stderr) if it
  // cannot. Nothing to rebuild: true.
  bool RestoreDisplay();
  // The window's real size in screen pixels and the rectangle the display is scaled into.
  TRect OutputRect() const;
  // Maps a window position to a logical display position, clamped to the display.
  TPoint WindowToDisplay(int X, int Y) const;

  // Delivers input as the window would (tests use these directly); positions are logical.
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  void MouseMove(TShiftState Shift, int X, int Y);
  void KeyPress(char Key);

  // Calls Loaded() on every component of the form.
  void Loaded() override;

  // The window's native id, 0 when none (used by the loop to route events).
  std::uint32_t WindowId() const;

 private:
  friend class TApplication;
  void HandleWindowEvent(const void* SdlEvent);
  void ApplyWindowShape();
  void CreateWindow();
  void DestroyWindow();
  bool CreateTexture();

  TFormSettings settings_;
  void* window_ = nullptr;    // SDL_Window
  void* renderer_ = nullptr;  // SDL_Renderer
  void* texture_ = nullptr;   // SDL_Texture
  int displayWidth_ = 0;
  int displayHeight_ = 0;
  bool fullScreen_ = false;
  bool closed_ = false;
  bool active_ = false;
  int clientWidth_ = 0;
  int clientHeight_ = 0;
  int windowScale_ = 1;
  bool deviceLost_ = false;
  void EndFrame(bool WaitedForVsync);
  int barsPainted_ = 0;  // frames since the letterbox bars were last known to be wrong
  vornu::PresentFilter presents_;
  long long nextFrameNs_ = 0;  // steady-clock time the next frame is due; 0: at once
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

// A short tone on the audio device, or the terminal bell where there is none.
void MessageBeep(unsigned Type = 0);

// Asks a Yes/No question in a message box; true for Yes. No display: false.
bool ConfirmYesNo(const std::string& Text, const std::string& Caption);
// Replaces the message box (tests); nullptr restores it.
void SetConfirmHook(std::function<bool(const std::string& Text)> Hook);

// Writes a trace line (cut to 255 characters) to stderr, or to the hook when one is set.
void TraceLine(std::string_view Text);
// Sends trace lines to Hook instead of stderr (tests); nullptr restores stderr.
void SetTraceHook(std::function<void(const std::string& Line)> Hook);

// Bits per pixel of the desktop (32 when unknown).
int DesktopBitsPerPixel();
