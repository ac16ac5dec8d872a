// A fatal error shown to the player: one line on standard error and a message box.
#pragma once

#include <functional>
#include <string>

namespace vornu {

// Writes "Title: Text" to stderr and shows Text in a message box titled Title (no box where
// there is no display or the video driver is a headless one).
void ShowErrorBox(const std::string& Title, const std::string& Text);

// Replaces the message box (tests); the stderr line is still written. nullptr restores it.
void SetErrorBoxHook(std::function<void(const std::string& Title, const std::string& Text)> Hook);

}  // namespace vornu
