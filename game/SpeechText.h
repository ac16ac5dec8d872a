// The one point where a line written in the source becomes a line the game shows.
#pragma once

#include <string>
#include <vector>

#include "game/GameTypes.h"

namespace vornu {

// The speech of the given UTF-8 source lines, in Windows-1252: each line cut to its first 50
// characters, lines past the tenth left out. Every fixed line the game says is made here.
SayStr MakeSpeech(const std::vector<std::string>& Utf8Lines);

}  // namespace vornu
