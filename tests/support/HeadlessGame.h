// The game without a window or sound card on a hand-driven clock, driven through its own entry
// points the way the window's loop drives it: for tests, fuzz targets, the monkey and benchmarks.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/Unit1.h"
#include "platform/Clock.h"
#include "tests/support/Files.h"

namespace support {

// The lines of a speech as UTF-8, joined by " / ".
std::string SpeechText(const SayStr& S);

// The display settings of the vornu build (Large) or of vornu-lowres.
TForm1Settings Display(bool Large);

class TGame {
 public:
  static constexpr std::uint32_t FrameMs = 10;

  // Installs the clock, makes Dir the current directory (an empty Dir keeps the current one) and
  // creates the form; Start shows it, which starts the game from Dir's files.
  explicit TGame(const fs::path& Dir, TForm1Settings Settings = {}, bool Start = true);
  ~TGame();
  TGame(const TGame&) = delete;
  TGame& operator=(const TGame&) = delete;

  TForm1& F() { return *Form_; }
  vornu::ManualClock& Clock() { return Clock_.clock(); }
  TGXSurface& Back();

  // One frame as the screen's pump runs it: due timers first, then the frame handler.
  void Frame();
  void Frames(int N);
  // Ms of game time, a frame every FrameMs.
  void Run(std::uint32_t Ms);
  // Ms of game time and then one frame.
  void Step(std::uint32_t Ms);
  // Ms of game time with the due timers fired, but no frame: the next input comes first.
  void Timers(std::uint32_t Ms);
  // Runs frames until Done holds (true) or MaxMs pass (false).
  bool RunUntil(const std::function<bool()>& Done, std::uint32_t MaxMs = 60000);
  // Past the three opening pictures into scene 1; throws when scene 1 is not reached.
  void SkipIntro();

  // Form coordinates of a logical point (the large build doubles them).
  int Scale(int V) const;
  void Key(char K = ' ');
  void Move(int X, int Y);
  void Down(int X, int Y, TMouseButton B = mbLeft);
  void Up(int X, int Y, TMouseButton B = mbLeft);
  void Click(int X, int Y, TMouseButton B = mbLeft);
  // Holds the left button at (X, Y) for Ms, then moves to (ToX, ToY) and releases there.
  void LongPress(int X, int Y, std::uint32_t Ms, int ToX, int ToY);

  // Records a speech that has just appeared (or replaced another); every frame and input does.
  void Notice();
  // Every speech that appeared, in order.
  const std::vector<SayStr>& Speeches() const { return Said_; }
  // The same as UTF-8 text.
  std::vector<std::string> Said() const;
  void ForgetSaid() { Said_.clear(); }

 private:
  vornu::ManualClockScope Clock_;
  TCurrentDir Dir_;
  std::unique_ptr<TForm1> Form_;
  std::vector<SayStr> Said_;
  SayStr Last_;
  bool WasSpeaking_ = false;
};

}  // namespace support
