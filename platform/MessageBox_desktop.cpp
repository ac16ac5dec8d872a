// Message boxes on the desktop: SDL's own, none where nobody could see them.
#include <SDL.h>

#include <cstdlib>
#include <cstring>

#include "platform/MessageBox.h"

namespace vornu::target {

namespace {

// A message box would block (or fail) where nobody can see it.
bool HeadlessDriver() {
  const char* Driver = std::getenv("SDL_VIDEODRIVER");
  return Driver != nullptr &&
         (std::strcmp(Driver, "dummy") == 0 || std::strcmp(Driver, "offscreen") == 0);
}

}  // namespace

bool AskYesNo(const std::string& Utf8Text, const std::string& Utf8Caption) {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return false;
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
  };
  SDL_MessageBoxData data{SDL_MESSAGEBOX_INFORMATION, nullptr, Utf8Caption.c_str(),
                          Utf8Text.c_str(), 2, buttons, nullptr};
  int answer = 0;
  if (SDL_ShowMessageBox(&data, &answer) != 0) return false;
  return answer == 1;
}

void ShowError(const std::string& Title, const std::string& Text) {
  if (HeadlessDriver()) return;
  // Fails quietly when there is no display; the stderr line is there anyway.
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, Title.c_str(), Text.c_str(), nullptr);
}

}  // namespace vornu::target
