#include "platform/MessageBox.h"

#include <cstdio>
#include <mutex>

#include "platform/AudioDevice.h"
#include "platform/Text1252.h"

namespace {

std::mutex gHookMutex;
std::function<bool(const std::string&)> gConfirmHook;
std::function<void(const std::string&, const std::string&)> gErrorHook;

}  // namespace

void MessageBeep(unsigned) {
  if (vornu::audio::PlayBeep()) return;
  std::fputc('\a', stderr);
  std::fflush(stderr);
}

bool ConfirmYesNo(const std::string& Text, const std::string& Caption) {
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    if (gConfirmHook) return gConfirmHook(Text);
  }
  return vornu::target::AskYesNo(vornu::Cp1252ToUtf8(Text), vornu::Cp1252ToUtf8(Caption));
}

void SetConfirmHook(std::function<bool(const std::string& Text)> Hook) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  gConfirmHook = std::move(Hook);
}

namespace vornu {

void ShowErrorBox(const std::string& Title, const std::string& Text) {
  std::fprintf(stderr, "%s: %s\n", Title.c_str(), Text.c_str());
  std::fflush(stderr);
  {
    std::lock_guard<std::mutex> lock(gHookMutex);
    if (gErrorHook) {
      gErrorHook(Title, Text);
      return;
    }
  }
  target::ShowError(Title, Text);
}

void SetErrorBoxHook(std::function<void(const std::string& Title, const std::string& Text)> H) {
  std::lock_guard<std::mutex> lock(gHookMutex);
  gErrorHook = std::move(H);
}

}  // namespace vornu
