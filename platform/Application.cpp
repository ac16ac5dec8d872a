#include "platform/Application.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <thread>

#include "platform/ApplicationTarget.h"
#include "platform/AudioDevice.h"
#include "platform/Forms.h"
#include "platform/Gamepad.h"
#include "platform/SdlEvents.h"
#include "platform/Text1252.h"

namespace {

TApplication gApplication;

bool VideoUp() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

}  // namespace

TApplication* Application = &gApplication;

// ---- Work handed to the main thread ----

struct TApplication::SyncQueue {
  struct Item {
    const std::function<void()>* Call;
    bool Started = false;
    bool Done = false;
  };
  std::mutex Mutex;
  std::condition_variable Finished;
  std::condition_variable Kick;
  std::deque<Item*> Queue;
  bool Kicked = false;
  std::thread::id MainThread = std::this_thread::get_id();
  std::atomic<Uint32> WakeType{0};
};

TApplication::TApplication() : sync_(std::make_unique<SyncQueue>()) {}

TApplication::~TApplication() {
  // A form that outlives the application must not report to it.
  if (mainForm_) mainForm_->Reports = {};
}

bool TApplication::HasThreads() {
  return vornu::target::HasThreads();
}

void TApplication::Initialize() {
  sync_->MainThread = std::this_thread::get_id();
  if (initialized_) return;
  vornu::target::CheckDisplay();
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
  // Fingers are turned into clicks by the form itself (a two-finger tap is the right button).
  SDL_SetHint(SDL_HINT_TOUCH_MOUSE_EVENTS, "0");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    throw Exception(std::string("cannot start the display: ") + SDL_GetError());
  }
  vornu::gamepad::Start();
  const Uint32 wake = SDL_RegisterEvents(1);
  if (wake != static_cast<Uint32>(-1)) sync_->WakeType = wake;
  initialized_ = true;
}

void TApplication::Finalize() {
  vornu::audio::Close();
  vornu::gamepad::Stop();
  if (initialized_) SDL_Quit();
  initialized_ = false;
}

void TApplication::SetMainForm(TForm* Form) {
  if (mainForm_ && mainForm_ != Form) mainForm_->Reports = {};
  mainForm_ = Form;
  terminated_ = false;
  if (!Form) return;
  Form->Reports.FocusChanged = [this](bool Focused) { SetActive(Focused); };
  Form->Reports.Closed = [this] { Terminate(); };
  Form->Reports.HandlerFailed = [this](TObject* Sender, const std::exception& E) {
    HandleException(Sender, E);
  };
  Form->Reports.Destroyed = [this, Form] { ForgetForm(Form); };
  Form->Loaded();
  Form->Show();
}

void TApplication::ForgetForm(TForm* Form) {
  if (mainForm_ == Form) mainForm_ = nullptr;
}

void TApplication::Run() {
  while (!terminated_) {
    ProcessMessages();
    if (terminated_) break;
    // Frames keep to the display's refresh. Until the next one is due the loop waits for
    // events, so that input and timer ticks are still handled as they come.
    const int pace = OnIdle && mainForm_ ? mainForm_->MsUntilNextFrame() : 0;
    if (pace > 0) {
      HandleEvents(true, std::min(pace, MsToNextTimer()));
      continue;
    }
    bool done = true;
    try {
      done = DoIdle();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
    if (done && !terminated_) HandleEvents(true, MsToNextTimer());
  }
}

void TApplication::ProcessMessages() {
  HandleEvents(false, 0);
  DispatchPosted();
  RunSynchronized();
  ProcessTimers();
}

void TApplication::ProcessTimers() {
  const std::vector<TTimerSource*> snapshot = timers_;
  for (TTimerSource* t : snapshot) {
    // A handler may have destroyed a later timer.
    if (std::find(timers_.begin(), timers_.end(), t) == timers_.end()) continue;
    try {
      t->PollTimer();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  }
}

bool TApplication::DoIdle() {
  bool done = true;
  if (OnIdle) {
    // Copy: the handler may replace or remove itself.
    TIdleEvent idle = OnIdle;
    idle(this, done);
  }
  return done;
}

void TApplication::HandleException(TObject* Sender, const std::exception& E) {
  if (OnException) {
    try {
      TExceptionEvent handler = OnException;
      handler(Sender, E);
      return;
    } catch (const std::exception& inner) {
      std::fprintf(stderr, "vornu: %s\n", vornu::Cp1252ToUtf8(inner.what()).c_str());
    }
  }
  std::fprintf(stderr, "vornu: %s\n", vornu::Cp1252ToUtf8(E.what()).c_str());
}

void TApplication::PostMessage(std::uint32_t Message, std::intptr_t WParam, std::intptr_t LParam) {
  posted_.push_back(TMsg{Message, WParam, LParam});
}

void TApplication::DispatchPosted() {
  // Messages posted while dispatching wait for the next round, as a queue would hold them.
  std::vector<TMsg> batch;
  batch.swap(posted_);
  for (TMsg& m : batch) {
    bool handled = false;
    if (!OnMessage) continue;
    try {
      TMessageEvent hook = OnMessage;
      hook(m, handled);
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  }
}

bool TApplication::Synchronize(const std::function<void()>& Call, const std::atomic<bool>& Stop) {
  if (std::this_thread::get_id() == sync_->MainThread) {
    Call();
    return true;
  }
  SyncQueue::Item item{&Call};
  std::unique_lock<std::mutex> lock(sync_->Mutex);
  sync_->Queue.push_back(&item);
  sync_->Kicked = true;
  lock.unlock();
  sync_->Kick.notify_all();
  WakeUp();
  lock.lock();
  sync_->Finished.wait(lock, [&] { return item.Done || Stop.load(); });
  if (!item.Done) {
    if (!item.Started) {
      auto& q = sync_->Queue;
      q.erase(std::remove(q.begin(), q.end(), &item), q.end());
      return false;
    }
    // Already running on the main thread: the item lives on this stack until it is done.
    sync_->Finished.wait(lock, [&] { return item.Done; });
  }
  return true;
}

void TApplication::WakeSynchronized() {
  // Taking the lock orders the caller's stop flag before the waiters' next look at it.
  { std::lock_guard<std::mutex> lock(sync_->Mutex); }
  sync_->Finished.notify_all();
}

void TApplication::RunSynchronized() {
  for (;;) {
    std::unique_lock<std::mutex> lock(sync_->Mutex);
    if (sync_->Queue.empty()) return;
    SyncQueue::Item* item = sync_->Queue.front();
    sync_->Queue.pop_front();
    item->Started = true;
    lock.unlock();
    try {
      (*item->Call)();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
    lock.lock();
    item->Done = true;
    lock.unlock();
    sync_->Finished.notify_all();
  }
}

void TApplication::WakeUp() {
  const Uint32 type = sync_->WakeType.load();
  if (type != 0 && SDL_WasInit(SDL_INIT_EVENTS)) {
    SDL_Event e{};
    e.type = type;
    SDL_PushEvent(&e);
  }
}

int TApplication::MsToNextTimer() {
  long best = 100;
  for (const TTimerSource* t : timers_) {
    const long ms = t->MsUntilDue();
    if (ms >= 0) best = std::min(best, ms);
  }
  return static_cast<int>(std::max(best, 0L));
}

void TApplication::HandleEvents(bool Wait, int TimeoutMs) {
  if (!initialized_) {
    if (Wait) {
      std::unique_lock<std::mutex> lock(sync_->Mutex);
      sync_->Kick.wait_for(lock, std::chrono::milliseconds(TimeoutMs),
                           [&] { return sync_->Kicked; });
      sync_->Kicked = false;
    }
    return;
  }
  SDL_Event e;
  bool got = Wait ? vornu::target::WaitEvent(e, TimeoutMs) : SDL_PollEvent(&e) != 0;
  while (got) {
    try {
      if (e.type == SDL_QUIT) {
        if (mainForm_) {
          mainForm_->Close();
        } else {
          Terminate();
        }
      } else if (mainForm_) {
        vornu::DeliverEvent(*mainForm_, e);
      }
    } catch (const std::exception& ex) {
      HandleException(this, ex);
    }
    got = SDL_PollEvent(&e) != 0;
  }
  if (mainForm_) {
    try {
      vornu::PollTouch(*mainForm_);
    } catch (const std::exception& ex) {
      HandleException(this, ex);
    }
  }
  vornu::target::AfterEvents();
}

void TApplication::SetCursorVisible(bool Visible) {
  if (VideoUp()) SDL_ShowCursor(Visible ? SDL_ENABLE : SDL_DISABLE);
}

void TApplication::SetScreenSaverBlocked(bool Blocked) {
  if (!VideoUp()) return;
  if (Blocked) {
    SDL_DisableScreenSaver();
  } else {
    SDL_EnableScreenSaver();
  }
}

void TApplication::SetActive(bool Active) {
  if (Active == active_) return;
  active_ = Active;
  PostMessage(WM_ACTIVATEAPP, Active ? 1 : 0);
  if (mainForm_) {
    if (Active) {
      mainForm_->Activate();
    } else {
      mainForm_->Deactivate();
    }
  }
}

void TApplication::AddTimerSource(TTimerSource* Source) {
  if (std::find(timers_.begin(), timers_.end(), Source) == timers_.end()) {
    timers_.push_back(Source);
  }
}

void TApplication::RemoveTimerSource(TTimerSource* Source) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), Source), timers_.end());
}
