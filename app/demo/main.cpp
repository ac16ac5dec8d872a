// vornu-demo: the real game (the vornu build) played from the first picture to the credits by
// a robot whose mouse and key events go through the window's event queue.
//
//   vornu-demo            watchable pace
//   vornu-demo --fast     as fast as the game allows (the end-to-end check of `make test`)
//   vornu-demo --save-run [--fast]
//                         a short run in the current folder instead of a scratch one: the
//                         opening pictures, then the peg taken and the game saved from the
//                         inventory, or, when savegame.dat is already there, that game loaded
//                         (a save is never overwritten); the game is then closed. The package
//                         check uses it to see where an installed game keeps its save.
//
// Exits 0 only when the credits were shown (the save run: the game was saved or loaded) and the
// game then closed itself.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "app/demo/ScratchDir.h"
#include "app/demo/Walkthrough.h"
#include "engine/GX.h"
#include "game/Language.h"
#include "game/Unit1.h"
#include "platform/EventInjection.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"

namespace {

// Input for the build being played: logical positions scaled onto its display.
class QueueSink : public walkthrough::InputSink {
 public:
  QueueSink(const TForm& Form, int Scale) : form_(Form), scale_(Scale) {}
  void Move(int X, int Y) override { vornu::InjectMouseMove(form_, X * scale_, Y * scale_); }
  void Down(TMouseButton B, int X, int Y) override {
    vornu::InjectMouseButton(form_, B, true, X * scale_, Y * scale_);
  }
  void Up(TMouseButton B, int X, int Y) override {
    vornu::InjectMouseButton(form_, B, false, X * scale_, Y * scale_);
  }
  void Key(char C) override { vornu::InjectKey(form_, C); }

 private:
  const TForm& form_;
  int scale_;
};

namespace fs = std::filesystem;

#ifndef VORNU_DATA_FROM_PROGRAMS
#define VORNU_DATA_FROM_PROGRAMS "."
#endif

// The game data: in the current folder (a build's game folder, or the player's folder that the
// launcher prepares), beside the program (a build), or where an installation keeps it.
fs::path FindGameData() {
  // Where the program itself cannot be found (no /proc, as in the browser), only the current
  // folder is looked in.
  std::error_code Unknown;
  fs::path Programs = fs::read_symlink("/proc/self/exe", Unknown).parent_path();
  if (Unknown || Programs.empty()) Programs = fs::current_path();
  for (const fs::path& Dir : {fs::current_path(), Programs, Programs / VORNU_DATA_FROM_PROGRAMS}) {
    if (fs::exists(Dir / "scenes")) return fs::canonical(Dir);
  }
  throw std::runtime_error("no game data (scenes/) in " + fs::current_path().string() +
                           ", beside the program or in " +
                           (Programs / VORNU_DATA_FROM_PROGRAMS).lexically_normal().string());
}

}  // namespace

int main(int argc, char** argv) {
  bool Fast = false, SaveRun = false;
  for (int I = 1; I < argc; ++I) {
    if (std::strcmp(argv[I], "--fast") == 0) {
      Fast = true;
    } else if (std::strcmp(argv[I], "--save-run") == 0) {
      SaveRun = true;
    } else {
      std::fprintf(stderr, "usage: %s [--fast] [--save-run]\n", argv[0]);
      return 2;
    }
  }
  walkthrough::Pace Pace;
  if (!Fast) {
    Pace.BeforeActionMs = 600;
    Pace.ReadMsPerLine = 1300;
    Pace.PictureMs = 2500;
    Pace.GlideSteps = 12;
  }
  walkthrough::Player Player(Pace);
  std::string SaveReport;
  if (SaveRun) {
    walkthrough::BuildSaveRun(Player, fs::exists("savegame.dat"),
                              [&SaveReport](std::string Line) { SaveReport = std::move(Line); });
  } else {
    walkthrough::BuildFullGame(Player);
  }

  try {
    // The save run plays in the current folder; the full walkthrough in a scratch one.
    std::optional<walkthrough::ScratchDir> Scratch;
    if (!SaveRun) Scratch.emplace(FindGameData(), "vornu-demo");
    Application->Initialize();
    TForm1Settings Settings;  // the vornu build: 640 x 400, halved mouse, cleared back surface
#ifdef VORNU_LOWRES
    // The browser's demo plays the vornu-lowres build: 320 x 200, mouse as it comes, no clear.
    Settings.LargeDisplay = false;
    Settings.HalveMouse = false;
    Settings.ClearBack = false;
#endif
    // In the player's language, as the game itself would play.
    Settings.Language =
        vornu::ChooseLanguage(vornu::LocaleFromEnvironment(), vornu::AvailableLanguages("."));
    TForm1 Form(Settings);
    QueueSink Sink(Form, Settings.HalveMouse ? 2 : 1);
    std::string LastLogged;

    // The robot looks at the game once per frame, right after the frame is drawn.
    TNotifyEvent Frame = Form.GXScreen1->OnFlip;
    Form.GXScreen1->OnFlip = [&](TObject* Sender) {
      if (Frame) Frame(Sender);
      if (Player.Finished()) {
        // The full walkthrough closes the game with its last key; the save run stops here.
        if (SaveRun && Player.Succeeded() && !Form.Closed()) Form.Close();
        return;
      }
      Player.Tick(Form, Sink);
      if (!Player.Log().empty() && Player.Log().back() != LastLogged) {
        LastLogged = Player.Log().back();
        std::fprintf(stderr, "demo: %s\n", LastLogged.c_str());
      }
      if (!Player.Failure().empty()) Form.Close();
    };

    Application->SetMainForm(&Form);
    Application->Run();

    int Status = 0;
    if (!Form.StartupError.empty()) {
      std::fprintf(stderr, "demo: FAILED: the game did not start: %s\n",
                   vornu::Cp1252ToUtf8(Form.StartupError).c_str());
      Status = 1;
    } else if (!Player.Failure().empty()) {
      std::fprintf(stderr, "demo: FAILED: %s\n", Player.Failure().c_str());
      Status = 1;
    } else if (SaveRun) {
      if (!Player.Succeeded() || SaveReport.empty()) {
        std::fprintf(stderr, "demo: FAILED: the game ended before it was saved or loaded\n");
        Status = 1;
      } else {
        std::fprintf(stderr, "demo: %s in %s\n", SaveReport.c_str(),
                     fs::current_path().string().c_str());
      }
    } else if (!Player.CreditsSeen() || !Form.Closed() || !Player.Succeeded()) {
      std::fprintf(stderr, "demo: FAILED: the game ended before the credits (%zu steps done)\n",
                   Player.CommandsDone());
      Status = 1;
    } else {
      std::fprintf(stderr, "demo: the credits were shown and the game closed itself\n");
    }
    Application->Finalize();
    return Status;
  } catch (const std::exception& E) {
    std::fprintf(stderr, "demo: FAILED: %s\n", vornu::Cp1252ToUtf8(E.what()).c_str());
    return 1;
  }
}
