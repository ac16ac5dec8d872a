// The frame: opening and closing pictures, the game view in its drawing order, the text line.
#include "engine/GX.h"
#include "game/Unit1.h"
#include "platform/Clock.h"

namespace {

// A switchable tile drawn behind Pukki while its flag is set.
struct TSwitchTile {
  std::uint16_t Scene;
  int Flag;
  int Tile;
  int X;
  int Y;
  bool Transparent;
};

constexpr TSwitchTile kTilesBeforePukki[] = {
    {1, 2, 2, 202, 85, true},    {1, 3, 3, 196, 114, true},   {1, 4, 4, 206, 82, true},
    {1, 5, 5, 199, 118, true},   {1, 6, 6, 213, 86, true},    {1, 7, 7, 203, 119, true},
    {1, 8, 8, 162, 74, false},   {2, 1, 1, 85, 73, false},    {2, 2, 2, 83, 120, false},
    {3, 1, 1, 85, 6, false},     {4, 1, 1, 56, 150, false},   {4, 2, 2, 113, 77, false},
    {5, 1, 1, 135, 100, false},  {6, 1, 1, 113, 78, false},   {6, 2, 2, 179, 120, false},
    {6, 3, 3, 233, 126, false},  {6, 5, 5, 22, 127, false},   {6, 11, 13, 63, 138, true},
    {7, 1, 1, 14, 28, true},     {7, 2, 2, 121, 29, true},    {7, 3, 3, 154, 31, true},
    {8, 1, 1, 142, 59, false},   {9, 1, 1, 79, 112, false},   {10, 1, 1, 112, 76, false},
    {10, 2, 2, 166, 148, false}, {10, 3, 3, 196, 139, false}, {11, 1, 1, 74, 15, false},
    {13, 1, 1, 0, 0, false},     {13, 2, 2, 0, 0, false},     {13, 3, 3, 0, 0, false},
};

// The nose-peg tile that follows Pukki in scene 6, by his direction: tile, offset.
struct TPegTile {
  int Tile;
  int Dx;
  int Dy;
};
constexpr TPegTile kPegTiles[8] = {{0, 0, 0},   {12, 26, 8}, {10, 23, 9}, {8, 23, 11},
                                   {7, 15, 15}, {6, 1, 7},   {9, 1, 8},   {11, 6, 6}};

}  // namespace

void TForm1::GXScreen1Flip(TObject*) {
  if (Closed()) return;
  if (IntroActive == 1) {
    IntroFrame();
  } else if (EndingActive == 1) {
    EndingFrame();
  } else {
    GameFrame();
  }
}

void TForm1::IntroFrame() {
  switch (IntroStep) {
    case 1:
      LoadPhasePicture(LanguageFile("sprites/alkukuva.bmp"));
      IntroStep = 2;
      break;
    case 3:
      LoadPhasePicture(LanguageFile("sprites/varoitus.bmp"));
      IntroStep = 4;
      break;
    case 5:
      LoadPhasePicture(LanguageFile("sprites/intro.bmp"));
      IntroStep = 6;
      break;
    case 2:
    case 4:
    case 6:
      DrawOnBack(FullScreenPicture.get(), 0, 0, false);
      break;
    case 7:
      IntroActive = 0;
      LoadScene(1);
      break;
    default:
      break;
  }
}

void TForm1::EndingFrame() {
  switch (EndingStep) {
    case 1:
      LoadPhasePicture(LanguageFile("sprites/theend.bmp"));
      EndingStep = 2;
      break;
    case 3:
      LoadPhasePicture(LanguageFile("sprites/krediit.bmp"));
      EndingStep = 4;
      break;
    case 2:
    case 4:
      DrawOnBack(FullScreenPicture.get(), 0, 0, false);
      break;
    case 5:
      EndingActive = 0;
      CloseForm();
      break;
    default:
      break;
  }
}

void TForm1::LoadPhasePicture(const std::string& Path) {
  // A full-screen picture that cannot be shown would leave the player before a black screen
  // that no key gets past: the program ends with the file's name instead.
  try {
    LoadPicture(*FullScreenPicture, Path);
  } catch (const std::exception& E) {
    FailStartup(E.what());
  }
}

void TForm1::GameFrame() {
  TGXSurface* Back = GXScreen1->Back();
  if (Back == nullptr) return;
  PointerKeys.Step(timeGetTime());
  if (Settings.ClearBack) EraseToColourZero(*Back);
  DrawOnBack(SceneBackground.get(), 0, 0, false);
  DrawSwitchTilesBeforePukki(CurrentScene);
  if (CurrentScene == 0 && MapIdle == 0) {
    MapGoto();
  }
  if (InventoryOpen == 0 && PukkiInScene == 1) RouteStep();
  DrawSwitchTilesAfterPukki(CurrentScene);
  DrawHotspotMarkers();

  if (InventoryOpen == 1) {
    DrawInventory();
    if (SpeechActive == 1) {
      PukkiSay(CurrentSpeech);
    } else {
      const std::uint16_t I = MouseOnItem();
      if (I > 0 && MenuOpen == 0) {
        if (ItemInHand == 0) {
          WriteTo1(ItemTexts[1][I]);
        } else if (CombineIdle == 1) {
          WriteTo1(HeldItemCaption(ItemTexts[6][I]));
        } else {
          DoCompiles();
        }
      }
      if (MenuOpen == 1) WriteTo1(ItemText(SelectedVerb, ActionItem));
      if (ItemActionIdle == 0) CheckItemActions();
    }
  }

  if (MenuOpen == 1 && SelectedVerb >= 1 && SelectedVerb <= 4) {
    DrawOnBack(MenuPictures[SelectedVerb].get(), 135, 75, false);
  }
  if (CursorShown == 1) {
    if (CursorKind >= 1 && CursorKind <= 2) {
      DrawOnBack(CursorPictures[CursorKind].get(), MouseX, MouseY, true);
    }
    if (ItemInHand == 1 && HeldItem >= 1 && HeldItem <= 13) {
      DrawOnBack(ItemPictures[HeldItem].get(), MouseX + 8, MouseY + 8, true);
    }
  }

  if (InventoryOpen == 0) {
    if (SpeechActive == 1) {
      PukkiSay(CurrentSpeech);
      return;
    }
    Timer3->SetEnabled(false);
    const std::uint8_t H = HotspotAt(MouseX, MouseY);
    const bool Named = H != 0 && H != 255 && !HotspotIsHidden(CurrentScene, H);
    if (ItemInHand == 0) {
      if (MenuOpen == 0 && SceneActionIdle == 1 && Named) WriteTo1(HotspotTexts[1][H]);
      if (MenuOpen == 1 || (SceneActionIdle == 0 && WalkDone == 0)) {
        WriteTo1(HotspotText(SelectedVerb, ActionHotspot));
      }
    }
    if (ItemInHand == 1 && MenuOpen == 0 && SceneActionIdle == 1 && Named) {
      WriteTo1(HeldItemCaption(HotspotTexts[5][H]));
    }
    if (MenuOpen == 0 && SceneActionIdle == 0 && WalkDone == 1) SceneActions(CurrentScene);
    if (MenuOpen == 0 && UseItemIdle == 0 && WalkDone == 1) SceneUseItem(CurrentScene);
  }
}

std::string TForm1::HeldItemCaption(const std::string& Target) const {
  return Catalogue.CaptionWord() + " " + ItemText(5, HeldItem) + " " + Target;
}

const std::string& TForm1::ItemText(int K, int Item) const {
  static const std::string kNone;
  if (K < 1 || K > 6 || Item < 1 || Item > 13) return kNone;
  return ItemTexts[K][Item];
}

const std::string& TForm1::HotspotText(int K, int Hotspot) const {
  static const std::string kNone;
  if (K < 1 || K > 5 || Hotspot < 1 || Hotspot > 255) return kNone;
  return HotspotTexts[K][Hotspot];
}

void TForm1::DrawSwitchTilesBeforePukki(std::uint16_t Scene) {
  for (const TSwitchTile& T : kTilesBeforePukki) {
    if (T.Scene == Scene && SceneFlags[T.Scene][T.Flag] != 0) {
      DrawOnBack(SceneTiles[T.Tile].get(), T.X, T.Y, T.Transparent);
    }
  }
}

void TForm1::DrawSwitchTilesAfterPukki(std::uint16_t Scene) {
  if (Scene == 1) {
    if (SceneFlags[1][1] != 0) DrawOnBack(SceneTiles[1].get(), 237, 107, true);
  } else if (Scene == 6) {
    if (PukkiY < 101) DrawOnBack(SceneTiles[4].get(), 95, 124, true);
    if (SceneFlags[6][6] != 0 && PukkiDirection <= 7) {
      const TPegTile& Peg = kPegTiles[PukkiDirection];
      if (Peg.Tile != 0) {
        DrawOnBack(SceneTiles[Peg.Tile].get(), PukkiX + Peg.Dx, PukkiY + Peg.Dy, true);
      }
    }
  }
}

void TForm1::DrawInventory() {
  DrawOnBack(InventoryPicture.get(), 10, 10, false);
  for (int N = 1; N <= InventoryCount && N <= 13; ++N) {
    const std::uint16_t Item = Inventory[N];
    if (Item >= 1 && Item <= 13) DrawOnBack(ItemPictures[Item].get(), 10 + 30 * (N - 1), 10, false);
  }
}

void TForm1::WriteTo1(const std::string& Text) {
  if (!TextLineSurface) return;
  const int Y = InventoryOpen == 1 ? 155 : 180;
  // As with speech, the shadow pass and the text pass are composed on the surface once per
  // text: drawing that once gives the pixels the two keyed draws would.
  if (!LineOnSurface.Valid || LineOnSurface.Text != Text) {
    TextLineSurface->Erase(0);
    TGXCanvas& Canvas = *TextLineSurface->Canvas;
    Canvas.Font = Label1->Font;
    const int Width = Canvas.TextWidth(Text);
    LineOnSurface.X = 160 - static_cast<std::uint16_t>(Width) / 2;
    LineOnSurface.Box = Rect(1, 1, 2 + Width, 2 + Canvas.TextHeight("Ag"));
    FillErasedSurface(*TextLineSurface);
    Canvas.Brush.Style = bsClear;
    Canvas.Font = Label2->Font;
    Canvas.TextOut(1, 1, Text);
    Canvas.Font = Label1->Font;
    Canvas.TextOut(2, 2, Text);
    Canvas.Brush.Style = bsSolid;
    Canvas.Release();
    GXScreen1->TransparentFromPixel(*TextLineSurface, 0, 0);
    LineOnSurface.Valid = true;
    LineOnSurface.Text = Text;
  }
  DrawPartOnBack(*TextLineSurface, LineOnSurface.X, Y, LineOnSurface.Box);
}
