// The application loop on the desktop: a display is needed, waiting is SDL's, timers may have
// threads.
#include <cstdlib>

#include "platform/ApplicationTarget.h"
#include "platform/Classes.h"

namespace vornu::target {

namespace {

bool EnvSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}

}  // namespace

void CheckDisplay() {
  if (!EnvSet("SDL_VIDEODRIVER") && !EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
    throw Exception(
        "no display: DISPLAY is not set. Start Vornu on a desktop or under Xvfb (see README); "
        "SDL_VIDEODRIVER=dummy runs it invisibly");
  }
}

bool WaitEvent(SDL_Event& Event, int TimeoutMs) {
  return SDL_WaitEventTimeout(&Event, TimeoutMs) != 0;
}

void AfterEvents() {}

bool HasThreads() { return true; }

}  // namespace vornu::target
