// A headless game on a small generated game directory, for the fuzz targets that feed it files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "game/Unit1.h"

namespace fuzzgame {

// Starts the game once (headless, hand-driven clock, no sound) in a fresh game directory that
// becomes the current directory, and walks it past the opening pictures into scene 1. Call
// from LLVMFuzzerInitialize with its arguments: what start-up allocates is then not taken for
// a leak, and the fuzzer's relative paths (corpus folders, artifact prefix) are made absolute
// first, since the fuzzer reads them only afterwards.
void Start(const char* Name, int* Argc, char*** Argv);
TForm1& Game();
// The game directory (removed when the process ends).
const std::filesystem::path& Dir();

// Writes Data as the file Rel (relative to the game directory).
void WriteFile(const std::string& Rel, const std::uint8_t* Data, std::size_t Size);

// One frame as the screen's pump runs it: Ms of game time, due timers, the frame handler.
void Frame(std::uint32_t Ms = 10);

// Puts the game back as it was after Start: scene 1 (loaded again when another scene is on
// screen), Pukki, pointer, menu, inventory, speech, requests, timers and every table.
void Reset();

// Whether the game state is what Reset left (the tables and everything Reset restores).
bool Untouched();

// Stops the fuzz run: an exception nothing in the game should raise, or a broken invariant.
[[noreturn]] void Fault(const char* What);

// Puts the game back (Reset), writes the input as the file Rel and lets Read read it; returns
// whether the file was accepted. A refusal (an exception of type Refusal naming the file)
// must leave the game untouched; any other exception is a fault.
template <typename Refusal, typename Reader>
bool Feed(const std::string& Rel, const std::uint8_t* Data, std::size_t Size, Reader&& Read) {
  Reset();
  WriteFile(Rel, Data, Size);
  try {
    Read();
    return true;
  } catch (const Refusal& e) {
    if (std::string(e.what()).find(Rel) == std::string::npos) Fault(e.what());
  } catch (const std::exception& e) {
    Fault(e.what());
  }
  if (!Untouched()) Fault("a refused file changed the game");
  return false;
}

// Runs Play, the game going on with what a file gave it; any exception is a fault.
template <typename Play>
void Guarded(Play&& P) {
  try {
    P();
  } catch (const std::exception& e) {
    Fault(e.what());
  }
}

}  // namespace fuzzgame
