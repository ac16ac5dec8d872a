// A fatal error shown to the player: one line on standard error and a message box.
#include "platform/ErrorBox.h"

#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace vornu {

namespace {

std::mutex HookMutex;
std::function<void(const std::string&, const std::string&)> Hook;

// A message box would block (or fail) where nobody can see it.
bool HeadlessDriver() {
  const char* Driver = std::getenv("SDL_VIDEODRIVER");
  return Driver != nullptr &&
         (std::strcmp(Driver, "dummy") == 0 || std::strcmp(Driver, "offscreen") == 0);
}

}  // namespace

void ShowErrorBox(const std::string& Title, const std::string& Text) {
  std::fprintf(stderr, "%s: %s\n", Title.c_str(), Text.c_str());
  std::fflush(stderr);
  {
    std::lock_guard<std::mutex> Lock(HookMutex);
    if (Hook) {
      Hook(Title, Text);
      return;
    }
  }
  if (HeadlessDriver()) return;
  // Fails quietly when there is no display; the stderr line is there anyway.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, Title.c_str(), Text.c_str(), nullptr);
}

void SetErrorBoxHook(std::function<void(const std::string& Title, const std::string& Text)> H) {
  std::lock_guard<std::mutex> Lock(HookMutex);
  Hook = std::move(H);
}

}  // namespace vornu
