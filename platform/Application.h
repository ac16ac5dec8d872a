// The application loop: events, posted messages, work handed to the main thread, due timers, idle.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "platform/Classes.h"
#include "platform/TimerSource.h"

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

// The application: SDL set-up, the message loop and its hooks, work handed to the main thread.
class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  // Called by main before the form is made: starts SDL's video and events. On the desktop,
  // with no display (no DISPLAY or WAYLAND_DISPLAY and no video driver asked for in
  // SDL_VIDEODRIVER) throws Exception with one clear line.
  void Initialize();
  // Called by main after the forms are gone: closes the audio device and the display.
  void Finalize();
  // Called by main: makes Form the main form (the loop ends when it closes), installs its
  // reports (taking them off the previous main form), calls Form.Loaded() and shows it.
  void SetMainForm(TForm* Form);
  TForm* MainForm() const { return mainForm_; }
  // Called by main: runs the loop until the main form closes or Terminate is called. Each
  // round handles what is pending, then runs OnIdle; when OnIdle is done (or unset) the loop
  // waits for the next event or the next due timer.
  void Run();
  // Called by the loop and by tests: handles every pending event, posted message,
  // handed-over call and due timer, then returns.
  void ProcessMessages();
  // Called by ProcessMessages and by tests: fires due window timers and thread-less frame
  // timers.
  void ProcessTimers();
  // Called by the loop and by tests: calls OnIdle once (with Done preset to true) and returns
  // Done; nothing set: true.
  bool DoIdle();
  // Called by any handler: ends the loop after the current step.
  void Terminate() { terminated_ = true; }
  bool Terminated() const { return terminated_; }
  // Called by whoever caught an exception that left a handler: OnException if set, else one
  // line on stderr.
  void HandleException(TObject* Sender, const std::exception& E);
  // Called on the main thread: queues a message for the message hook, delivered in the next
  // round.
  void PostMessage(std::uint32_t Message, std::intptr_t WParam = 0, std::intptr_t LParam = 0);
  // Called by a worker thread: runs Call on the main thread and waits until it has returned
  // (on the main thread itself it just runs Call). Returns false, without running it, when
  // Stop is set first; whoever sets Stop calls WakeSynchronized afterwards so that the waiting
  // thread sees it.
  bool Synchronize(const std::function<void()>& Call, const std::atomic<bool>& Stop);
  // Called by whoever set a Synchronize stop flag: wakes every thread waiting in Synchronize
  // to look at its stop flag again.
  void WakeSynchronized();
  // Called by the screen: shows or hides the system pointer over the window.
  void SetCursorVisible(bool Visible);
  // Called by the screen: keeps the screen saver off (true) or lets it run again.
  void SetScreenSaverBlocked(bool Blocked);
  // Whether the application is active (its form has the focus).
  bool Active() const { return active_; }
  // Called through the main form's reports when its focus changed (and by tests): posts
  // WM_ACTIVATEAPP and (de)activates the main form.
  void SetActive(bool Active);
  // Whether timers may count on worker threads of their own (not in the browser).
  static bool HasThreads();

  // Called through the main form's reports when it is destroyed: the loop then has no main
  // form.
  void ForgetForm(TForm* Form);

  // Called by timers at creation and destruction: the loop polls the sources it knows.
  void AddTimerSource(TTimerSource* Source);
  void RemoveTimerSource(TTimerSource* Source);

  TIdleEvent OnIdle;
  TExceptionEvent OnException;
  TMessageEvent OnMessage;

 private:
  void HandleEvents(bool Wait, int TimeoutMs);
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
