// vornu-demo: the real game (the vornu build) played from the first picture to the credits by
// a robot whose mouse and key events go through the window's event queue.
//
//   vornu-demo            watchable pace
//   vornu-demo --fast     as fast as the game allows (the end-to-end check of `make test`)
//
// Exits 0 only when the credits were shown and the game then closed itself.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <string>

#include "app/demo/ScratchDir.h"
#include "app/demo/Walkthrough.h"
#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/EventInjection.h"
#include "platform/Forms.h"
#include "platform/Text1252.h"

namespace {

// Input for the vornu build: logical positions doubled onto its 640 x 400 display.
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

// The game data: in the current directory, or beside the program.
fs::path GameData() {
  fs::path Data = fs::current_path();
  if (!fs::exists(Data / "scenes")) Data = fs::read_symlink("/proc/self/exe").parent_path();
  if (!fs::exists(Data / "scenes")) {
    throw std::runtime_error("no game data (scenes/) beside the program or in " +
                             fs::current_path().string());
  }
  return Data;
}

}  // namespace

int main(int argc, char** argv) {
  bool Fast = false;
  for (int I = 1; I < argc; ++I) {
    if (std::strcmp(argv[I], "--fast") == 0) {
      Fast = true;
    } else {
      std::fprintf(stderr, "usage: %s [--fast]\n", argv[0]);
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
  walkthrough::BuildFullGame(Player);

  try {
    walkthrough::ScratchDir Scratch(GameData(), "vornu-demo");
    Application->Initialize();
    TForm1Settings Settings;  // the vornu build: 640 x 400, halved mouse, cleared back surface
    TForm1 Form(Settings);
    QueueSink Sink(Form, Settings.HalveMouse ? 2 : 1);
    std::string LastLogged;

    // The robot looks at the game once per frame, right after the frame is drawn.
    TNotifyEvent Frame = Form.GXScreen1->OnFlip;
    Form.GXScreen1->OnFlip = [&](TObject* Sender) {
      if (Frame) Frame(Sender);
      if (Player.Finished()) return;
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
