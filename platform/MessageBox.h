// Message boxes and beeps: the screen's confirmation, the fatal error a player must see, the
// exception beep.
#pragma once

#include <functional>
#include <string>

// Called by the screen's exception handler: a short tone on the audio device, or the
// terminal bell where there is none.
void MessageBeep(unsigned Type = 0);

// Called by the screen at activation (window mode on an 8-bit display): asks a Yes/No
// question in a message box; true for Yes. No display: false.
bool ConfirmYesNo(const std::string& Text, const std::string& Caption);
// Called by tests: replaces the message box; nullptr restores it.
void SetConfirmHook(std::function<bool(const std::string& Text)> Hook);

namespace vornu {

// Called by the game when it cannot start: writes "Title: Text" to stderr and shows Text in a
// message box titled Title (on the desktop, none where there is no display or the video
// driver is a headless one; in the browser, on the page over the game).
void ShowErrorBox(const std::string& Title, const std::string& Text);

// Called by tests: replaces the message box (the stderr line is still written); nullptr
// restores it.
void SetErrorBoxHook(std::function<void(const std::string& Title, const std::string& Text)> Hook);

// The box itself, on this platform (MessageBox_desktop.cpp, MessageBox_web.cpp).
namespace target {
// A Yes/No box; true for Yes, false when none can be shown.
bool AskYesNo(const std::string& Utf8Text, const std::string& Utf8Caption);
// A fatal error shown to the player.
void ShowError(const std::string& Title, const std::string& Text);
}  // namespace target

}  // namespace vornu
