// The languages side by side on the built game data (and on the small generated game): a save
// crosses languages, and every caption the English composes reads as an English sentence.
#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <sstream>

#include "game/Language.h"
#include "game/SceneFiles.h"
#include "game/SceneSetup.h"
#include "game/SpeechText.h"
#include "platform/BitmapFont.h"
#include "platform/Text1252.h"
#include "tests/support/FixtureGame.h"
#include "tests/support/HeadlessGame.h"

namespace fs = std::filesystem;

namespace {

bool HasEnglish(const fs::path& Data) {
  return fs::exists(Data / "lang" / "en" / "lines.txt");
}

TForm1Settings InLanguage(const std::string& Code) {
  TForm1Settings Settings;
  Settings.Language = Code;
  return Settings;
}

// What a save holds, as the form holds it.
struct TPlace {
  std::uint16_t Scene = 0;
  std::int32_t X = 0, Y = 0;
  std::uint8_t Direction = 0;
  std::vector<std::uint16_t> Items;
  std::vector<int> Flags, Hidden;
  friend bool operator==(const TPlace&, const TPlace&) = default;
};

TPlace PlaceOf(const TForm1& F) {
  TPlace P{F.CurrentScene, F.PukkiX, F.PukkiY, F.PukkiDirection, {}, {}, {}};
  for (int I = 1; I <= F.InventoryCount; ++I) P.Items.push_back(F.Inventory[I]);
  for (int S = 1; S <= 20; ++S) {
    for (int K = 1; K <= 100; ++K) P.Flags.push_back(F.SceneFlags[S][K]);
    for (int H = 1; H <= 50; ++H) P.Hidden.push_back(F.HotspotHidden[S][H]);
  }
  return P;
}

// Saves a game in From, loads it in To: the same place, the scene's texts in To's language.
void SaveInLoadIn(const fs::path& Data, const std::string& From, const std::string& To) {
  const support::TGameCopy Dir(Data);
  TPlace Saved;
  {
    support::TGame G(Dir.Path(), InLanguage(From));
    ASSERT_TRUE(G.F().StartupError.empty()) << G.F().StartupError;
    G.SkipIntro();
    TForm1& F = G.F();
    F.LoadScene(9);
    F.PukkiX = 120;
    F.PukkiY = 90;
    F.PukkiDirection = 5;
    for (std::uint16_t Item : {4, 11, 2}) F.AddItem(Item);
    F.SceneFlags[6][3] = F.SceneFlags[13][2] = F.SceneFlags[9][1] = 1;
    F.HotspotHidden[10][16] = 0;
    F.HotspotHidden[4][7] = 1;
    F.SaveGame();
    Saved = PlaceOf(F);
  }
  support::TGame G(Dir.Path(), InLanguage(To));
  G.SkipIntro();
  TForm1& F = G.F();
  F.LoadGame();
  EXPECT_EQ(PlaceOf(F), Saved) << From << " -> " << To;
  const std::string Obj = vornu::LanguageFilePath(To, "scenes/scene9.obj");
  const auto Records = vornu::ParseObjectFile(vornu::ReadWholeFile(Obj), Obj);
  ASSERT_FALSE(Records.empty());
  for (const auto& R : Records) EXPECT_EQ(F.HotspotTexts[1][R.Hotspot], R.Captions[0]) << Obj;
}

}  // namespace

TEST(Languages, ASaveCrossesLanguagesBothWays) {
  const support::TGameCopy Fixture(support::FixtureGame(support::TLayout::Story));
  support::WriteFixtureEnglish(Fixture.Path(), support::TLayout::Story,
                               support::FixedSpeeches(VORNU_GAME_DIR));
  SaveInLoadIn(Fixture.Path(), "fi", "en");
  SaveInLoadIn(Fixture.Path(), "en", "fi");
  if (!HasEnglish(VORNU_GAME_DIR)) {
    GTEST_SKIP() << "no English game data in " << VORNU_GAME_DIR << "/lang/en";
  }
  SaveInLoadIn(VORNU_GAME_DIR, "fi", "en");
  SaveInLoadIn(VORNU_GAME_DIR, "en", "fi");
}

// "Use" + use form + target form, for every item held over every hotspot of a scene where the
// inventory opens and over every other item: the target begins with a preposition, nothing is
// Finnish, and the line fits the screen.
TEST(Languages, EveryEnglishCaptionReadsAsAnEnglishSentence) {
  const fs::path Data = VORNU_GAME_DIR;
  if (!HasEnglish(Data)) GTEST_SKIP() << "no English game data in " << Data << "/lang/en";
  const std::string Lines = (Data / "lang/en/lines.txt").string();
  const vornu::TLineCatalogue Catalogue =
      vornu::TLineCatalogue::Parse(vornu::ReadWholeFile(Lines), Lines);
  const std::string Items = (Data / "lang/en/items/items.txt").string();
  const vornu::TItemFileData Item = vornu::ParseItemFile(vornu::ReadWholeFile(Items), Items);

  std::vector<std::pair<std::string, std::string>> Targets;  // what, its target form
  for (int I = 1; I <= 13; ++I) Targets.emplace_back("item " + std::to_string(I), Item.Texts[6][I]);
  for (int S = 1; S <= 13; ++S) {
    if (!vornu::SceneSetup(S).InventoryAllowed) continue;
    const std::string Obj =
        (Data / "lang/en/scenes" / ("scene" + std::to_string(S) + ".obj")).string();
    for (const auto& R : vornu::ParseObjectFile(vornu::ReadWholeFile(Obj), Obj)) {
      Targets.emplace_back("scene " + std::to_string(S) + " hotspot " + std::to_string(R.Hotspot),
                           R.UseName);
    }
  }
  const std::set<std::string> Prepositions = {
      "on",      "onto",    "with",   "in",      "into",    "at",   "to",   "under",
      "over",    "through", "inside", "against", "behind",  "by",   "for",  "from",
      "across",  "up",      "down",   "around",  "beside",  "next", "near", "toward",
      "towards", "upon",    "below",  "above",   "between", "off",  "out",  "along"};
  auto FirstWord = [](const std::string& Text) {
    std::string W = Text.substr(0, Text.find(' '));
    for (char& C : W) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
    return W;
  };
  auto Finnish = [](const std::string& Text) {
    return Text.find_first_of("\xE4\xF6\xE5\xC4\xD6\xC5") != std::string::npos;
  };

  EXPECT_EQ(Catalogue.CaptionWord(), "Use");
  int Checked = 0;
  std::vector<std::string> Wrong;
  for (int U = 1; U <= 13; ++U) {
    const std::string& Use = Item.Texts[5][U];
    if (Use.empty() || Prepositions.count(FirstWord(Use)) != 0) {
      Wrong.push_back("item " + std::to_string(U) + "'s use form \"" + Use + "\"");
    }
    for (const auto& [What, Target] : Targets) {
      const std::string Caption = Catalogue.CaptionWord() + " " + Use + " " + Target;
      ++Checked;
      if (Prepositions.count(FirstWord(Target)) == 0 || Finnish(Caption) ||
          Caption.find("  ") != std::string::npos || Caption.back() == ' ' ||
          vornu::font::TextWidth(Caption) > 320) {
        Wrong.push_back(What + ": \"" + vornu::Cp1252ToUtf8(Caption) + "\"");
      }
    }
  }
  EXPECT_GT(Checked, 13 * 100);
  std::ostringstream Shown;
  for (std::size_t I = 0; I < Wrong.size() && I < 40; ++I) Shown << "\n  " << Wrong[I];
  EXPECT_TRUE(Wrong.empty()) << Wrong.size() << " captions do not read as English:" << Shown.str();
}
