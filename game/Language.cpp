// The locale rule and the per-language data paths.
#include "game/Language.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace vornu {

namespace {

bool IsAvailable(const std::vector<std::string>& Available, const std::string& Code) {
  return std::find(Available.begin(), Available.end(), Code) != Available.end();
}

// "c" and "posix" are the locale of no language at all: the game's own language then.
bool IsNeutral(const std::string& Code) {
  return Code == "c" || Code == "posix";
}

std::string Resolve(const std::string& Code, const std::vector<std::string>& Available) {
  if (Code.empty() || IsNeutral(Code)) return kBaseLanguage;
  if (Code == kBaseLanguage || IsAvailable(Available, Code)) return Code;
  return IsAvailable(Available, kFallbackLanguage) ? kFallbackLanguage : kBaseLanguage;
}

std::string Variable(const char* Name) {
  const char* Value = std::getenv(Name);
  return Value == nullptr ? std::string() : std::string(Value);
}

}  // namespace

std::string LanguageOfLocale(const std::string& Value) {
  std::string Code = Value.substr(0, Value.find_first_of("_.@-"));
  for (char& C : Code) {
    if (C >= 'A' && C <= 'Z') C = static_cast<char>(C - 'A' + 'a');
  }
  return Code;
}

std::string ChooseLanguage(const TLocaleSettings& Locale,
                           const std::vector<std::string>& Available) {
  if (!Locale.Language.empty()) {
    // A list of preferences: the first one the game has wins; with none of them, the first
    // entry that says anything decides as a single value would.
    std::string First;
    std::size_t Start = 0;
    while (Start <= Locale.Language.size()) {
      std::size_t End = Locale.Language.find(':', Start);
      if (End == std::string::npos) End = Locale.Language.size();
      const std::string Code = LanguageOfLocale(Locale.Language.substr(Start, End - Start));
      if (!Code.empty()) {
        if (IsNeutral(Code) || Code == kBaseLanguage || IsAvailable(Available, Code)) {
          return Resolve(Code, Available);
        }
        if (First.empty()) First = Code;
      }
      Start = End + 1;
    }
    if (!First.empty()) return Resolve(First, Available);
  }
  for (const std::string* Value : {&Locale.LcAll, &Locale.LcMessages, &Locale.Lang}) {
    if (!Value->empty()) return Resolve(LanguageOfLocale(*Value), Available);
  }
  return kBaseLanguage;
}

std::vector<std::string> AvailableLanguages(const std::string& GameDir) {
  namespace fs = std::filesystem;
  std::vector<std::string> Codes = {kBaseLanguage};
  std::error_code Error;
  fs::directory_iterator It(fs::path(GameDir) / "lang", Error);
  for (; !Error && It != fs::directory_iterator(); It.increment(Error)) {
    if (!It->is_directory(Error)) continue;
    const std::string Code = It->path().filename().string();
    if (!Code.empty() && !IsAvailable(Codes, Code)) Codes.push_back(Code);
  }
  std::sort(Codes.begin(), Codes.end());
  return Codes;
}

TLocaleSettings LocaleFromEnvironment() {
  return {Variable("LANGUAGE"), Variable("LC_ALL"), Variable("LC_MESSAGES"), Variable("LANG")};
}

std::string LanguageFilePath(const std::string& Language, const std::string& Path) {
  if (Language.empty() || Language == kBaseLanguage) return Path;
  return "lang/" + Language + "/" + Path;
}

}  // namespace vornu
