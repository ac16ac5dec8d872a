// What the frame draws: layers, tiles by flags, the nose peg, inventory, texts and speech colours.
#include <gtest/gtest.h>

#include "tests/game/GameFixture.h"

using gametest::SameColour;
using gametest::THarness;

namespace {

// One line of a two-pass text: where its shadow goes on the text surface, and the text.
struct TPassLine {
  int X, Y;
  std::string Text;
};

// Draws lines as the two-pass algorithm does onto Target at (At, Ay): on a white surface the
// shadow lines with opaque cells, keyed out and drawn; then the text lines one pixel right and
// down, without erasing, drawn again.
void TwoPassText(TGXScreen& Screen, TGXSurface& Target, int W, int H, int At, int Ay,
                 const std::vector<TPassLine>& Lines, const TFont& Shadow, const TFont& Text) {
  auto Scratch = Screen.CreateSurface(W, H);
  TGXCanvas& C = *Scratch->Canvas;
  Scratch->Erase(0);
  C.FloodFill(0, 0, clRed, fsBorder);
  C.Font = Shadow;
  for (const TPassLine& L : Lines) C.TextOut(L.X, L.Y, L.Text);
  C.Release();
  Screen.TransparentFromPixel(*Scratch, 0, 0);
  Target.Draw(At, Ay, *Scratch, true);
  C.Font = Text;
  for (const TPassLine& L : Lines) C.TextOut(L.X + 1, L.Y + 1, L.Text);
  C.Release();
  Target.Draw(At, Ay, *Scratch, true);
}

int Differences(TGXSurface& A, TGXSurface& B) {
  int N = 0;
  for (int Y = 0; Y < 200; ++Y)
    for (int X = 0; X < 320; ++X) N += A.Pixel(X, Y) != B.Pixel(X, Y);
  return N;
}

// Whether Colour is one of the text colours (red or maroon; lime or green).
bool IsRed(std::uint32_t C) {
  return SameColour(C, 0xFF0000) || SameColour(C, 0x800000);
}
bool IsGreen(std::uint32_t C) {
  return SameColour(C, 0x00FF00) || SameColour(C, 0x008000);
}

struct Drawing : gametest::TInScene {
  // Leftmost and rightmost columns with text pixels in rows Y..Y+19, or {-1, -1}.
  std::pair<int, int> TextExtent(int Y, bool (*Is)(std::uint32_t) = IsRed) {
    int L = -1, R = -1;
    for (int X = 0; X < 320; ++X) {
      for (int Row = Y; Row < Y + 20 && Row < 200; ++Row) {
        if (Is(H.Pixel(X, Row))) {
          if (L < 0) L = X;
          R = X;
        }
      }
    }
    return {L, R};
  }
  int Width(const std::string& Text) {
    TMemoryCanvas C(1, 1);
    C.Font = F.Label1->Font;
    return C.TextWidth(Text);
  }
  // Pixels of rows Y..Y+19 that differ from the text line Text (none when empty) drawn by the
  // two-pass drawing over the plain pictures under it: the scene's background, and in the
  // inventory the inventory picture from x 10 to 309.
  int LineDifferences(const std::string& Text, int Y) {
    TGXScreen& Screen = *F.GXScreen1;
    auto Want = Screen.CreateSurface(320, 20);
    TGXCanvas& C = *Want->Canvas;
    auto Paint = [&C](int X0, int X1, std::uint32_t Rgb) {
      C.Brush.Color = RGB(static_cast<std::uint8_t>(Rgb >> 16), static_cast<std::uint8_t>(Rgb >> 8),
                          static_cast<std::uint8_t>(Rgb));
      C.FillRect(Rect(X0, 0, X1, 20));
    };
    Paint(0, 320, gametest::BackgroundColour(F.CurrentScene));
    if (F.InventoryOpen == 1) Paint(10, 310, gametest::kInventoryColour);
    C.Release();
    if (!Text.empty()) {
      TwoPassText(Screen, *Want, 320, 20, 160 - Width(Text) / 2, 0, {{1, 1, Text}}, F.Label2->Font,
                  F.Label1->Font);
    }
    int N = 0;
    for (int Row = 0; Row < 20 && Y + Row < 200; ++Row)
      for (int X = 0; X < 320; ++X) N += Want->Pixel(X, Row) != H.Back().Pixel(X, Y + Row);
    return N;
  }
  // Whether the text line shows Text: centred on 160, as wide as Text.
  bool ShowsLine(const std::string& Text, int Y = 180) {
    const auto [L, R] = TextExtent(Y);
    const int W = Width(Text);
    const int X = 160 - W / 2;
    return L >= X + 1 && L <= X + 3 && R >= X + W - 4 && R <= X + W + 2;
  }
};

}  // namespace

TEST_F(Drawing, PointerTextOverHotspotsOnly) {
  H.Move(150, 150);
  H.Frame();
  EXPECT_EQ(TextExtent(180).first, -1);  // floor
  H.Move(150, 20);
  H.Frame();
  EXPECT_EQ(TextExtent(180).first, -1);  // nothing
  H.Move(210, 60);
  H.Frame();
  EXPECT_TRUE(ShowsLine("T1h10s1"));
  F.HotspotHidden[1][10] = 1;
  H.Frame();
  EXPECT_EQ(TextExtent(180).first, -1);  // hidden
  F.HotspotHidden[1][10] = 0;
  F.AddItem(3);
  F.ItemInHand = 1;
  F.HeldItem = 3;
  H.Frame();
  EXPECT_TRUE(ShowsLine(vornu::W("Käytä esineen3 U10")));
}

TEST_F(Drawing, MenuTextFollowsTheVerbAndStaysWhileWalking) {
  H.Move(210, 60);
  H.Down(210, 60);
  H.Run(800);
  H.Move(163, 101);
  H.Frame();
  EXPECT_TRUE(ShowsLine("T3h10s1"));
  H.Up(163, 101);
  H.Run(100);
  ASSERT_EQ(F.WalkDone, 0);
  H.Move(20, 150);
  H.Frame();
  EXPECT_TRUE(ShowsLine("T3h10s1"));
}

TEST_F(Drawing, InventoryLayerItemsAndTheRaisedTextLine) {
  F.AddItem(4);
  F.AddItem(11);
  H.Click(150, 150, mbRight);
  H.Move(45, 20);
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(12, 100), 0x303060));          // inventory picture
  EXPECT_TRUE(SameColour(H.Pixel(20, 20), 0x00A000 + 4 * 8));   // item 4 in slot 1
  EXPECT_TRUE(SameColour(H.Pixel(50, 18), 0x00A000 + 11 * 8));  // item 11 in slot 2
  EXPECT_TRUE(ShowsLine("Esine11", 155));
  EXPECT_EQ(TextExtent(180).first, -1);
}

TEST_F(Drawing, TilesByFlagsBehindAndInFrontOfPukki) {
  F.LoadScene(6);
  F.SceneFlags[6][2] = 1;
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(195, 125), gametest::TileColour(6, 2)));  // beside Pukki
  // Tile 4 covers Pukki while he stands at y 100 or above.
  F.PukkiX = F.PukkiTargetX = 80;
  F.PukkiY = F.PukkiTargetY = 100;
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(100, 130), gametest::TileColour(6, 4)));
  F.PukkiY = F.PukkiTargetY = 101;
  H.Frame();
  EXPECT_EQ(gametest::DecodeFrame(H.Pixel(100, 131)).first, F.PukkiDirection);
}

TEST_F(Drawing, NosePegFollowsPukkiByDirection) {
  F.LoadScene(6);
  F.SceneFlags[6][6] = 1;
  const struct {
    int Direction, Tile, Dx, Dy;
  } Cases[] = {{2, 10, 23, 9}, {4, 7, 15, 15}, {6, 9, 1, 8}, {1, 12, 26, 8}, {7, 11, 6, 6}};
  for (const auto& C : Cases) {
    F.PukkiDirection = static_cast<std::uint8_t>(C.Direction);
    H.Frame();
    EXPECT_TRUE(SameColour(H.Pixel(F.PukkiX + C.Dx + 1, F.PukkiY + C.Dy + 1),
                           gametest::TileColour(6, C.Tile)))
        << C.Direction;
  }
  F.PukkiDirection = 0;  // facing up: no peg
  H.Frame();
  EXPECT_FALSE(SameColour(H.Pixel(F.PukkiX + 24, F.PukkiY + 10), gametest::TileColour(6, 10)));
}

TEST_F(Drawing, PointerAndHeldItemOnTop) {
  F.AddItem(2);
  F.ItemInHand = 1;
  F.HeldItem = 2;
  H.Move(100, 150);
  H.Frame();
  EXPECT_TRUE(SameColour(H.Pixel(101, 151), 0xF0F0F0));
  EXPECT_TRUE(SameColour(H.Pixel(115, 165), 0x00A000 + 2 * 8));
  F.CursorShown = 0;
  H.Frame();
  EXPECT_FALSE(SameColour(H.Pixel(101, 151), 0xF0F0F0));
}

TEST_F(Drawing, SpeechColoursBySpeaker) {
  SayStr S;
  F.StringToSayStr("Hyvaa joulua", S);
  F.PukkiSay(S);
  H.Frame();
  EXPECT_GE(TextExtent(20, IsRed).first, 0);
  EXPECT_EQ(TextExtent(20, IsGreen).first, -1);
  F.Speaker = 2;
  H.Frame();
  EXPECT_EQ(TextExtent(20, IsRed).first, -1);
  EXPECT_GE(TextExtent(20, IsGreen).first, 0);
}

TEST_F(Drawing, LargeBuildClearsTheRestOfTheDisplay) {
  H.Frame();
  EXPECT_EQ(H.Back().Width(), 640);
  EXPECT_EQ(H.Pixel(500, 300), 0u);
  EXPECT_TRUE(SameColour(H.Pixel(300, 5), gametest::BackgroundColour(1)));
}

TEST_F(Drawing, ComposedSpeechGivesThePixelsOfTheTwoPassDrawing) {
  F.CursorShown = 0;
  H.Frame();
  TGXScreen& Screen = *F.GXScreen1;
  auto Expected = Screen.CreateSurface(640, 400);
  Expected->Draw(0, 0, H.Back(), false);
  SayStr S;
  S.LineCount = 3;
  S.Lines[1] = vornu::W("Hyvää joulua, tontut!");
  S.Lines[2] = "gjpqy";
  S.Lines[3] = vornu::W("Äiti ja Öljy WWW");
  for (int Speaker : {1, 2}) {
    F.Speaker = static_cast<std::uint8_t>(Speaker);
    const TFont& Text = Speaker == 2 ? F.Label3->Font : F.Label1->Font;
    const TFont& Shadow = Speaker == 2 ? F.Label4->Font : F.Label2->Font;
    TMemoryCanvas M(1, 1);
    M.Font = Text;
    std::vector<TPassLine> Lines;
    for (int I = 1; I <= 3; ++I) {
      Lines.push_back({120 - M.TextWidth(S.Lines[I]) / 2, 10 * (I - 1) + 1, S.Lines[I]});
    }
    auto Want = Screen.CreateSurface(640, 400);
    Want->Draw(0, 0, *Expected, false);
    TwoPassText(Screen, *Want, 240, 150, 40, 20, Lines, Shadow, Text);
    F.PukkiSay(S);
    H.Frame();
    EXPECT_EQ(Differences(H.Back(), *Want), 0) << "speaker " << Speaker;
  }
}

TEST_F(Drawing, ComposedTextLineGivesThePixelsOfTheTwoPassDrawing) {
  F.CursorShown = 0;
  F.HotspotTexts[1][10] = vornu::W("Kylpyhuoneen ovi, jossa on öljyä");
  H.Move(210, 60);
  F.HotspotHidden[1][10] = 1;
  H.Frame();
  TGXScreen& Screen = *F.GXScreen1;
  auto Want = Screen.CreateSurface(640, 400);
  Want->Draw(0, 0, H.Back(), false);
  const std::string Text = F.HotspotTexts[1][10];
  TMemoryCanvas M(1, 1);
  M.Font = F.Label1->Font;
  TwoPassText(Screen, *Want, 320, 20, 160 - M.TextWidth(Text) / 2, 180, {{1, 1, Text}},
              F.Label2->Font, F.Label1->Font);
  F.HotspotHidden[1][10] = 0;
  H.Frame();
  EXPECT_EQ(Differences(H.Back(), *Want), 0);
}

TEST_F(Drawing, TheTextLineShowsWhatIsUnderThePointerOrTheChosenVerb) {
  using vornu::W;
  auto Reset = [this] {
    F.HotspotHidden[1][10] = 0;
    H.Calm({5, 6});
    H.Frame();
  };
  auto Hold = [this](int Item) {
    F.ItemInHand = 1;
    F.HeldItem = static_cast<std::uint16_t>(Item);
  };
  auto Menu = [this](int X, int Y) {
    H.Move(X, Y);
    H.Down(X, Y);
    H.Run(800);
    ASSERT_EQ(F.MenuOpen, 1);
  };
  auto Inventory = [this] { H.Click(150, 150, mbRight); };
  const struct {
    const char* What;
    std::function<void()> Do;
    std::string Text;
    int Y;
  } Cases[] = {
      {"a hotspot's name", [&] { H.Move(210, 60); }, "T1h10s1", 180},
      {"floor", [&] { H.Move(150, 150); }, "", 180},
      {"nothing", [&] { H.Move(150, 20); }, "", 180},
      {"a hidden hotspot", [&] { F.HotspotHidden[1][10] = 1, H.Move(210, 60); }, "", 180},
      {"another hotspot's name", [&] { H.Move(270, 60); }, "T1h60s1", 180},
      {"an item held over a hotspot", [&] { Hold(6), H.Move(210, 60); }, W("Käytä esineen6 U10"),
       180},
      {"an item held over floor", [&] { Hold(6), H.Move(100, 130); }, "", 180},
      {"the menu on no verb", [&] { Menu(210, 60), H.Move(175, 90); }, "T1h10s1", 180},
      {"the menu on verb 2", [&] { Menu(210, 60), H.Move(145, 105); }, "T2h10s1", 180},
      {"the menu on verb 3", [&] { Menu(210, 60), H.Move(165, 101); }, "T3h10s1", 180},
      {"the menu on verb 4", [&] { Menu(210, 60), H.Move(165, 112); }, "T4h10s1", 180},
      {"walking to use verb 4, the pointer on another hotspot",
       [&] { Menu(210, 60), H.Move(165, 112), H.Up(165, 112), H.Run(100), H.Move(30, 60); },
       "T4h10s1", 180},
      {"walking to use verb 4, a press on floor",
       [&] { Menu(210, 60), H.Move(165, 112), H.Up(165, 112), H.Run(100), H.Down(150, 150); },
       "T4h10s1", 180},
      {"a verb being carried out once Pukki is there",
       [&] {
         H.Move(210, 60);
         F.SelectedVerb = 2;
         F.ActionHotspot = 10;
         F.ActionStep = 1;
         F.SceneActionIdle = 0;
       },
       "", 180},
      {"a speech instead of the name",
       [&] {
         H.Move(210, 60);
         SayStr S;
         F.StringToSayStr("Hei", S);
         F.PukkiSay(S);
       },
       "", 180},
      {"an item's name in the inventory", [&] { Inventory(), H.Move(45, 20); }, "Esine6", 155},
      {"nothing in the inventory", [&] { Inventory(), H.Move(200, 100); }, "", 155},
      {"an item held over another", [&] { Inventory(), H.Click(45, 20), H.Move(15, 20); },
       W("Käytä esineen6 esineelle5"), 155},
      {"an item held over itself", [&] { Inventory(), H.Click(45, 20), H.Move(45, 20); },
       W("Käytä esineen6 esineelle6"), 155},
      {"the menu on an item's verb 3", [&] { Inventory(), Menu(15, 20), H.Move(165, 101); }, "V3e5",
       155},
      {"the menu on an item, no verb", [&] { Inventory(), Menu(15, 20), H.Move(175, 90); },
       "Esine5", 155},
      {"the menu on an item, the pointer on the next item",
       [&] { Inventory(), Menu(15, 20), H.Move(45, 20); }, "Esine5", 155},
  };
  for (const auto& C : Cases) {
    Reset();
    C.Do();
    H.Frame();
    EXPECT_EQ(LineDifferences(C.Text, C.Y), 0) << C.What;
  }
}
