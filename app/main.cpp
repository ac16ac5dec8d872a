// Program entry of both builds; VORNU_LOWRES selects the 320 x 200 build's form settings, the
// locale the language.
#include <cstdio>
#include <exception>
#include <memory>

#include "game/Language.h"
#include "game/Unit1.h"
#include "platform/Application.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"

namespace {

TForm1Settings BuildSettings() {
  TForm1Settings s;
#ifdef VORNU_LOWRES
  s.LargeDisplay = false;
  s.HalveMouse = false;
  s.ClearBack = false;
#else
  s.LargeDisplay = true;
  s.HalveMouse = true;
  s.ClearBack = true;
#endif
  // The player's own language where the game has it; the data lie below the current folder.
  const vornu::TLocaleSettings Locale = vornu::LocaleFromEnvironment();
  s.Language = vornu::ChooseLanguage(Locale, vornu::AvailableLanguages("."));
  // A player who asked for English in a folder without it should know why it is Finnish.
  if (s.Language == vornu::kBaseLanguage &&
      vornu::ChooseLanguage(Locale, {vornu::kBaseLanguage, vornu::kFallbackLanguage}) !=
          vornu::kBaseLanguage) {
    std::fprintf(stderr, "vornu: this game folder has no lang/%s/; playing in Finnish\n",
                 vornu::kFallbackLanguage);
  }
  return s;
}

}  // namespace

int main() {
  try {
    Application->Initialize();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vornu: %s\n", e.what());
    return 1;
  }
  int status = 0;
  try {
    auto form = std::make_unique<TForm1>(BuildSettings());
    Application->SetMainForm(form.get());
    Application->Run();
    // A start-up file that could not be read has been named to the player; the shell
    // and the scripts that start the game should see the failure too.
    if (!form->StartupError.empty()) status = 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vornu: %s\n", vornu::Cp1252ToUtf8(e.what()).c_str());
    status = 1;
  }
  Application->Finalize();
  return status;
}
