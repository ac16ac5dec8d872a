// Windows-1252 text: the game's strings are these bytes; UTF-8 source literals are converted once.
#pragma once

#include <string>
#include <string_view>

namespace vornu {

// Converts UTF-8 text to Windows-1252 bytes; a character with no Windows-1252 form
// throws std::invalid_argument naming it.
std::string Utf8To1252(std::string_view utf8);

// Converts Windows-1252 bytes to UTF-8 (for terminals and messages).
std::string Cp1252ToUtf8(std::string_view cp1252);

// A UTF-8 literal in Windows-1252: W("Käytä ").
inline std::string W(std::string_view utf8) { return Utf8To1252(utf8); }

}  // namespace vornu
