// Which language the game plays in: the player's locale settings against the languages the game
// directory holds.
#pragma once

#include <string>
#include <vector>

namespace vornu {

// The game's own language: its data lie at the top of the game directory, not below lang/.
inline constexpr const char* kBaseLanguage = "fi";
// What a player whose language the game lacks gets.
inline constexpr const char* kFallbackLanguage = "en";

// The four locale variables that choose the language, in the order they are consulted.
struct TLocaleSettings {
  std::string Language;    // LANGUAGE: a colon-separated list of preferences
  std::string LcAll;       // LC_ALL
  std::string LcMessages;  // LC_MESSAGES
  std::string Lang;        // LANG
};

// The language part of a locale value, lower case: "fi_FI.UTF-8" -> "fi", "C.UTF-8" -> "c".
std::string LanguageOfLocale(const std::string& Value);

// The language to play in. The first non-empty variable decides: LANGUAGE by its first entry
// that is available, the others by their language part. C, POSIX and nothing set give the base
// language; an available language gives itself; anything else gives the fallback language, or
// the base language when the fallback is not available either.
std::string ChooseLanguage(const TLocaleSettings& Locale,
                           const std::vector<std::string>& Available);

// The languages of a game directory: the base language and every folder below lang/, sorted.
std::vector<std::string> AvailableLanguages(const std::string& GameDir);

// The locale variables of this process (unset reads as empty).
TLocaleSettings LocaleFromEnvironment();

// Where a per-language data file (a path relative to the game directory) lies for Language.
std::string LanguageFilePath(const std::string& Language, const std::string& Path);

}  // namespace vornu
