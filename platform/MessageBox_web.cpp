// Message boxes in the browser: the page's own dialogs, and an error shown over the game
// (the page's showError), so that the player never faces a blank canvas.
#include <emscripten.h>

#include "platform/MessageBox.h"

namespace vornu::target {

namespace {

// clang-format off
EM_JS(int, PageConfirm, (const char* Text), {
  return confirm(UTF8ToString(Text)) ? 1 : 0;
});

EM_JS(void, PageError, (const char* Title, const char* Text), {
  var title = UTF8ToString(Title), text = UTF8ToString(Text);
  if (Module["showError"]) {
    Module["showError"](title, text);
  } else {
    alert(title + ": " + text);
  }
});
// clang-format on

}  // namespace

bool AskYesNo(const std::string& Utf8Text, const std::string&) {
  return PageConfirm(Utf8Text.c_str()) != 0;
}

void ShowError(const std::string& Title, const std::string& Text) {
  PageError(Title.c_str(), Text.c_str());
}

}  // namespace vornu::target
