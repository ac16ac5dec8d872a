// The game form's components, start-up and its timer handlers.
#include "game/Unit1.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "engine/GX.h"
#include "engine/SuperTimer.h"
#include "game/Language.h"
#include "game/SceneFiles.h"

namespace {

// The four label fonts differ only in colour.
void SetLabelFont(TLabel& Label, TColor Color) {
  Label.Visible = false;
  Label.Font = TFont{"Small Fonts", -9, fsBold, ANSI_CHARSET, Color};
}

const char* const kDirectionNames[8] = {"up",   "uright", "right", "dright",
                                        "down", "dleft",  "left",  "uleft"};

// Codes of the directions in the order their frames are created and loaded.
const int kCreateOrder[8] = {6, 2, 0, 4, 5, 3, 7, 1};  // left, right, up, down, dl, dr, ul, ur
const int kLoadOrder[8] = {2, 6, 0, 4, 5, 3, 7, 1};    // right, left, up, down, dl, dr, ul, ur

}  // namespace

TForm1::TForm1(const TForm1Settings& FormSettings)
    : TForm(TFormSettings{}), Settings(FormSettings) {
  // Once per run: every refusal then draws on from here, and a test can fix the choice.
  Random.seed(
      static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  GXScreen1 = std::make_unique<TGXScreen>(this);
  GXScreen1->SetDisplayMode(Settings.LargeDisplay ? dm640x400x8 : dm320x200x8);
  GXScreen1->SetDebug(true);
  GXScreen1->SetBeepOnException(true);
  GXScreen1->SetBackBuffers(2);
  GXScreen1->SetWindowMode(false);
  GXScreen1->SetWindowVBL(true);
  GXScreen1->SetPaletteMode(pmNormal);
  GXScreen1->SetPaletteCycle(false);
  GXScreen1->SetSkipTile0(false);
  GXScreen1->SetWindowStretch(false);
  GXScreen1->SetWinBufWidth(0);
  GXScreen1->SetWinBufHeight(0);
  GXScreen1->SetColorDepth(16);
  GXScreen1->SetVersion("GX Beta 6");
  GXScreen1->OnInitialize = [this](TObject* Sender) { GXScreen1Initialize(Sender); };
  GXScreen1->OnFlip = [this](TObject* Sender) { GXScreen1Flip(Sender); };
  GXScreen1->SetFlippingEnabled(true);

  Timer1 = std::make_unique<TSuperTimer>(this);
  Timer1->OnTimer = [this](TObject* Sender) { Timer1Timer(Sender); };
  Timer1->SetEnabled(true);  // before the interval, as the settings were always applied
  Timer1->SetInterval(50);
  Timer1->SetThreadPriority(tpNormal);

  Timer2 = std::make_unique<TTimer>(this);
  Timer2->SetEnabled(false);
  Timer2->SetInterval(750);
  Timer2->OnTimer = [this](TObject* Sender) { Timer2Timer(Sender); };
  Timer3 = std::make_unique<TTimer>(this);
  Timer3->SetEnabled(false);
  Timer3->OnTimer = [this](TObject* Sender) { Timer3Timer(Sender); };
  Timer4 = std::make_unique<TTimer>(this);
  Timer4->SetEnabled(false);
  Timer4->OnTimer = [this](TObject* Sender) { Timer4Timer(Sender); };

  MediaPlayer1 = std::make_unique<TMediaPlayer>(this);
  MediaPlayer1->SetDeviceType(dtSequencer);
  MediaPlayer1->SetVisible(false);
  MediaPlayer1->SetEnabled(false);
  MediaPlayer1->SetAutoEnable(false);

  Label1 = std::make_unique<TLabel>(this);
  SetLabelFont(*Label1, clRed);
  Label2 = std::make_unique<TLabel>(this);
  SetLabelFont(*Label2, clMaroon);
  Label3 = std::make_unique<TLabel>(this);
  SetLabelFont(*Label3, clLime);
  Label4 = std::make_unique<TLabel>(this);
  SetLabelFont(*Label4, clGreen);

  OnKeyPress = [this](TObject* Sender, char& Key) { FormKeyPress(Sender, Key); };
  // The mouse, the keys and a gamepad share one pointer: whichever moved last places it, and
  // a mouse button acts where the pointer is drawn.
  OnMouseDown = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (PointerKeys.PlacedPointer()) {
      X = PointerKeys.InputX();
      Y = PointerKeys.InputY();
    }
    FormMouseDown(Sender, Button, Shift, X, Y);
  };
  OnMouseMove = [this](TObject* Sender, TShiftState Shift, int X, int Y) {
    PointerKeys.MouseMoved();
    FormMouseMove(Sender, Shift, X, Y);
  };
  OnMouseUp = [this](TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (PointerKeys.PlacedPointer()) {
      X = PointerKeys.InputX();
      Y = PointerKeys.InputY();
    }
    FormMouseUp(Sender, Button, Shift, X, Y);
  };
  OnKeyDown = [this](TObject*, std::uint16_t& Key, TShiftState) { PointerKeys.KeyDown(Key); };
  OnKeyUp = [this](TObject*, std::uint16_t& Key, TShiftState) { PointerKeys.KeyUp(Key); };
  OnPadButton = [this](TObject*, TPadButton Button, bool Down) {
    PointerKeys.PadButton(Button, Down);
  };
  OnPadStick = [this](TObject*, double X, double Y) { PointerKeys.PadStick(X, Y); };

  ResetHotspotHidden();
}

TForm1::~TForm1() {
  // The screen's frame pump must not call into a half-destroyed form.
  if (GXScreen1) {
    GXScreen1->SetFlippingEnabled(false);
    GXScreen1->OnFlip = nullptr;
    GXScreen1->OnInitialize = nullptr;
  }
  if (Timer1) Timer1->SetEnabled(false);
}

void TForm1::ResetHotspotHidden() {
  for (auto& Scene : HotspotHidden) Scene.Fill(0);
  HotspotHidden[6][20] = 1;
  HotspotHidden[10][16] = 1;
  HotspotHidden[13][4] = 1;
}

void TForm1::GXScreen1Initialize(TObject*) {
  try {
    InitializeGame();
  } catch (const std::exception& E) {
    FailStartup(E.what());
  }
}

void TForm1::InitializeGame() {
  TGXScreen& Screen = *GXScreen1;
  FullScreenPicture = Screen.CreateSurface(320, 200);
  BitmapLoader = std::make_unique<TImage>(this);
  BitmapLoader->Visible = false;
  for (int Frame = 1; Frame <= 30; ++Frame) {
    for (int D : kCreateOrder) PukkiFrames[D][Frame] = Screen.CreateSurface(45, 60);
  }
  for (int N = 1; N <= 4; ++N) MenuPictures[N] = Screen.CreateSurface(50, 50);
  for (int N = 1; N <= 2; ++N) CursorPictures[N] = Screen.CreateSurface(10, 10);
  TextLineSurface = Screen.CreateSurface(320, 20);
  SpeechSurface = Screen.CreateSurface(240, 150);
  SpeechOnSurface.Valid = false;
  LineOnSurface.Valid = false;
  for (int N = 1; N <= 13; ++N) ItemPictures[N] = Screen.CreateSurface(30, 30);
  InventoryPicture = Screen.CreateSurface(300, 180);
  LoadLanguage();

  LoadPicture(*CursorPictures[1], "sprites/normcurs.bmp");
  LoadPicture(*CursorPictures[2], "sprites/acticurs.bmp");
  for (int N = 1; N <= 4; ++N) {
    LoadPicture(*MenuPictures[N], "sprites/menu" + std::to_string(N) + ".bmp");
  }
  for (int D : kLoadOrder) {
    for (int Frame = 1; Frame <= 30; ++Frame) {
      char Name[40];
      std::snprintf(Name, sizeof Name, "sprites/pukki/%s%02d.bmp", kDirectionNames[D], Frame);
      LoadPicture(*PukkiFrames[D][Frame], Name);
    }
  }
  ReadItemDataFile();
  LoadPicture(*InventoryPicture, LanguageFile("items/invent.bmp"));
  for (int N = 1; N <= 13; ++N) {
    LoadPicture(*ItemPictures[N], "items/item" + std::to_string(N) + ".bmp");
  }
  ClearInventory();
  Screen.TransparentFromPixel(*PukkiFrames[6][1], 0, 0);

  PukkiX = 150;
  PukkiY = 100;
  ClickX = 171;
  ClickY = 148;
  PukkiTargetX = 150;
  PukkiTargetY = 100;
  CursorKind = 1;
  PukkiFrame = 1;
  WalkDone = 1;
  AdvanceWayPoint = 1;
  MenuOpen = 0;
  SelectedVerb = 1;
  SceneActionIdle = 1;
  PukkiDirection = 2;
  CurrentScene = 0;
  ArrivalDirection = 255;
  IntroActive = 1;
  IntroStep = 1;
  SpeechActive = 0;
  InventoryOpen = 0;
  ItemActionIdle = 1;
  CombineIdle = 1;
  UseItemIdle = 1;
  MapIdle = 1;
  Speaker = 1;
  EndingActive = 0;
  EndingStep = 1;

  for (auto& Scene : SceneFlags) Scene.Fill(0);
  ResetHotspotHidden();
  CursorShown = 1;

  // The scene tune first plays when scene 1 loads, long after start-up: check it now, like
  // every other file the game needs. The map tune is checked by opening it.
  TMediaPlayer::CheckFile("music/music01.mid");
  MediaPlayer1->SetEnabled(true);
  MediaPlayer1->SetFileName("music/music02.mid");
  MediaPlayer1->Open();
  MediaPlayer1->Play();
}

std::string TForm1::LanguageFile(const std::string& Path) const {
  return vornu::LanguageFilePath(Settings.Language, Path);
}

void TForm1::LoadLanguage() {
  Catalogue = vornu::TLineCatalogue();
  if (Settings.Language == vornu::kBaseLanguage) return;
  const std::string Lines = LanguageFile("lines.txt");
  Catalogue = vornu::TLineCatalogue::Parse(vornu::ReadWholeFile(Lines), Lines);
  // The object files and the closing pictures are read long after start-up: a language that
  // lacks one must not stop the player in the middle of the game (the item file and the
  // inventory picture are read at start-up anyway).
  for (int Scene = 0; Scene <= 13; ++Scene) {
    const std::string Obj = LanguageFile("scenes/scene" + std::to_string(Scene) + ".obj");
    vornu::ParseObjectFile(vornu::ReadWholeFile(Obj), Obj);
  }
  for (const char* Name : {"alkukuva", "varoitus", "intro", "theend", "krediit"}) {
    LoadPicture(*FullScreenPicture, LanguageFile("sprites/" + std::string(Name) + ".bmp"));
  }
}

void TForm1::Timer1Timer(TObject*) {
  FrameTick = 1;
}

void TForm1::Timer3Timer(TObject*) {
  SpeechActive = 0;
  ++ActionStep;
  Timer3->SetEnabled(false);
}

void TForm1::Timer4Timer(TObject*) {
  ++ActionStep;
  Timer4->SetEnabled(false);
}
