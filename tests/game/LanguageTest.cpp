// The language: the locale rule, the catalogue of the program's own lines, and a game played
// from a language's own files.
#include <gtest/gtest.h>

#include "game/Language.h"
#include "game/SceneFiles.h"
#include "game/SpeechText.h"
#include "platform/MessageBox.h"
#include "tests/game/GameFixture.h"

using gametest::SameColour;

namespace {

TEST(LanguageRule, LocaleSettingsAgainstTheLanguagesTheGameHas) {
  const std::vector<std::string> FiEn = {"en", "fi"}, FiEnSv = {"en", "fi", "sv"}, Fi = {"fi"};
  struct Case {
    vornu::TLocaleSettings Locale;
    std::vector<std::string> Available;
    const char* Expected;
  } Cases[] = {
      {{}, FiEn, "fi"},  // nothing set
      {{"", "", "", "fi_FI.UTF-8"}, FiEn, "fi"},
      {{"", "", "", "en_GB.UTF-8"}, FiEn, "en"},
      {{"", "", "", "C"}, FiEn, "fi"},
      {{"", "", "", "C.UTF-8"}, FiEn, "fi"},
      {{"", "", "", "POSIX"}, FiEn, "fi"},
      {{"", "", "", "de_DE.UTF-8"}, FiEn, "en"},  // a language the game lacks: English
      {{"", "", "", "sv_FI@euro"}, FiEnSv, "sv"},
      {{"", "", "", "sv_FI@euro"}, FiEn, "en"},
      {{"", "", "", "de_DE"}, Fi, "fi"},  // no English either: the game's own language
      // The first variable that is set decides, LANGUAGE first.
      {{"en", "fi_FI.UTF-8", "fi_FI", "fi_FI"}, FiEn, "en"},
      {{"fi", "", "", "en_US.UTF-8"}, FiEn, "fi"},
      {{"", "en_US.UTF-8", "fi_FI", "fi_FI"}, FiEn, "en"},
      {{"", "C", "en_US", "en_US"}, FiEn, "fi"},
      {{"", "", "en_US.UTF-8", "fi_FI.UTF-8"}, FiEn, "en"},
      {{"", "", "", "EN_us"}, FiEn, "en"},
      // LANGUAGE is a list: its first entry the game has.
      {{"de:sv:fi:en", "", "", ""}, FiEn, "fi"},
      {{"de_AT:en_GB", "", "", "fi_FI"}, FiEn, "en"},
      {{"de:sv", "", "", "fi_FI"}, FiEn, "en"},
      {{"::", "", "", "en_US"}, FiEn, "en"},  // a list of nothing says nothing
      {{"C", "", "", "en_US"}, FiEn, "fi"},
  };
  for (const Case& C : Cases) {
    EXPECT_EQ(vornu::ChooseLanguage(C.Locale, C.Available), C.Expected)
        << "LANGUAGE=" << C.Locale.Language << " LC_ALL=" << C.Locale.LcAll
        << " LC_MESSAGES=" << C.Locale.LcMessages << " LANG=" << C.Locale.Lang;
  }
}

TEST(LanguageRule, AvailableLanguagesAreFinnishAndTheFoldersBelowLang) {
  gametest::TScratchDir Dir("vornu-lang");
  EXPECT_EQ(vornu::AvailableLanguages(Dir.Path().string()), std::vector<std::string>{"fi"});
  Dir.Write("lang/sv/lines.txt", "");
  Dir.Write("lang/en/lines.txt", "");
  Dir.Write("lang/README", "");  // not a language
  EXPECT_EQ(vornu::AvailableLanguages(Dir.Path().string()),
            (std::vector<std::string>{"en", "fi", "sv"}));
  EXPECT_EQ(vornu::LanguageFilePath("fi", "items/items.txt"), "items/items.txt");
  EXPECT_EQ(vornu::LanguageFilePath("en", "items/items.txt"), "lang/en/items/items.txt");
}

TEST(LineCatalogue, FinnishLinesGiveTheirTranslationWholeAndMissingOnesAreCounted) {
  const std::string Bytes = gametest::LinesFile({
      {{"Käytä"}, {"Use"}},
      {{"Peli ladattu."}, {"Game loaded.", "Welcome back."}},
      {{"Ei sinne kannata mennä ennenkö", "lahjat on valmiina."}, {"Not before the gifts."}},
      {{"Pitkä"}, {std::string(60, 'x')}},
  });
  vornu::TLineCatalogue En = vornu::TLineCatalogue::Parse(Bytes + "\r\n\r\n", "lang/en/lines.txt");
  EXPECT_EQ(En.Size(), 4u);
  EXPECT_EQ(En.CaptionWord(), "Use");
  const SayStr Loaded = vornu::MakeSpeech(En, {"Peli ladattu."});
  ASSERT_EQ(Loaded.LineCount, 2);
  EXPECT_EQ(Loaded.Lines[2], "Welcome back.");
  // A speech of several lines is one entry, found by all its lines.
  const SayStr Two =
      vornu::MakeSpeech(En, {"Ei sinne kannata mennä ennenkö", "lahjat on valmiina."});
  ASSERT_EQ(Two.LineCount, 1);
  EXPECT_EQ(Two.Lines[1], "Not before the gifts.");
  EXPECT_EQ(vornu::MakeSpeech(En, {"Pitkä"}).Lines[1], std::string(50, 'x'));
  EXPECT_EQ(En.MissingCount(), 0u);
  // Only the first of the two lines: not the entry.
  const SayStr Half = vornu::MakeSpeech(En, {"Ei sinne kannata mennä ennenkö"});
  EXPECT_EQ(Half.Lines[1], vornu::W("Ei sinne kannata mennä ennenkö"));
  vornu::MakeSpeech(En, {"Peli tallennettu."});
  vornu::MakeSpeech(En, {"Peli tallennettu."});
  EXPECT_EQ(En.MissingCount(), 2u);
  EXPECT_EQ(En.Missing().count("Peli tallennettu."), 1u);

  vornu::TLineCatalogue Fi;
  EXPECT_EQ(Fi.CaptionWord(), vornu::W("Käytä"));
  EXPECT_EQ(vornu::MakeSpeech(Fi, {"Peli ladattu."}).Lines[1], "Peli ladattu.");
  EXPECT_EQ(Fi.MissingCount(), 0u);
  // Without the caption word the caption stays Finnish, and that is counted too.
  vornu::TLineCatalogue NoCaption = vornu::TLineCatalogue::Parse("A\r\nB\r\n", "lines.txt");
  EXPECT_EQ(NoCaption.CaptionWord(), vornu::W("Käytä"));
  EXPECT_EQ(NoCaption.MissingCount(), 1u);
}

TEST(LineCatalogue, BrokenFilesNameTheFileAndTheLine) {
  const struct {
    std::string Bytes;
    const char* Expected;
  } Cases[] = {
      {"Yksi\r\nOne\r\nKaksi\r\n", "lines.txt: line 3: the Finnish record has no translation"},
      {"Yksi\r\nOne\xA7\r\n", "lines.txt: line 2: a translation ends with a \"\xA7\" line"},
      {"Yksi\r\nOne\r\n\r\nKaksi\r\nTwo\r\n", "lines.txt: line 4: a blank line between"},
      {"Yksi\r\nOne\r\nYksi\r\nUno\r\n", "lines.txt: line 3: the Finnish record is there twice"},
  };
  for (const auto& C : Cases) {
    std::string Error;
    try {
      vornu::TLineCatalogue::Parse(C.Bytes, "lines.txt");
    } catch (const vornu::EGameFile& E) {
      Error = E.what();
    }
    EXPECT_EQ(Error.rfind(C.Expected, 0), 0u) << "got: " << Error;
  }
  std::string Eleven = "Yksi\r\n";
  for (int I = 0; I < 11; ++I) Eleven += "rivi\xA7\r\n";
  Eleven += "loppu\r\n";
  try {
    vornu::TLineCatalogue::Parse(Eleven, "lines.txt");
    ADD_FAILURE() << "eleven lines accepted";
  } catch (const vornu::EGameFile& E) {
    EXPECT_EQ(std::string(E.what()), "lines.txt: line 12: a translation has more than ten lines");
  }
}

// The rooms fixture with its English beside it, in a folder of its own.
class TEnglishDir : public gametest::TGameCopy {
 public:
  explicit TEnglishDir(const std::vector<std::string>& Missing = {})
      : TGameCopy(gametest::SharedGameDir()) {
    gametest::WriteFixtureEnglish(Path(), gametest::TLayout::Rooms,
                                  gametest::FixedSpeeches(VORNU_GAME_DIR));
    for (const std::string& File : Missing) std::filesystem::remove(Path() / File);
  }
};

TForm1Settings InLanguage(const std::string& Code) {
  TForm1Settings Settings = gametest::Display(true);
  Settings.Language = Code;
  return Settings;
}

TEST(PlayedInEnglish, TextsPicturesCaptionAndOwnLinesComeFromTheEnglishFiles) {
  TEnglishDir Dir;
  gametest::TGame G(Dir.Path(), InLanguage("en"));
  TForm1& F = G.F();
  ASSERT_TRUE(F.StartupError.empty()) << F.StartupError;
  EXPECT_EQ(F.ItemTexts[1][13], "en Esine13");
  EXPECT_EQ(F.UseFailReplies[0].Lines[1], "en Ei1");
  G.Frames(2);
  EXPECT_TRUE(SameColour(G.Back().PixelRgb(10, 10), gametest::kEnglishIntroColours[0]));
  G.SkipIntro();
  EXPECT_EQ(F.HotspotTexts[1][10], "en T1h10s1");
  EXPECT_EQ(F.HotspotReplies[3][10].Lines[1], "en R3h10");
  F.AddItem(3);
  F.ItemInHand = 1;
  F.HeldItem = 3;
  G.Move(210, 60);
  G.Frame();
  EXPECT_EQ(F.LineOnSurface.Text, "Use en esineen3 en U10");
  F.ItemInHand = 0;
  F.InventoryOpen = 1;
  G.Frame();
  EXPECT_TRUE(SameColour(G.Back().PixelRgb(160, 100), gametest::kEnglishInventoryColour));
  F.InventoryOpen = 0;
  // The program's own lines: a load with no save made.
  std::filesystem::remove(Dir.Path() / "savegame.dat");
  F.LoadGame();
  EXPECT_EQ(gametest::SpeechText(F.CurrentSpeech),
            "EN Ethän sää oo tallentanu peliä / EN kertaakaan. Miten kuvittelet / EN että "
            "pystyis lataan??.");
  EXPECT_EQ(F.Catalogue.MissingCount(), 0u);
  // Back to the map: its own English names.
  F.LoadScene(0);
  EXPECT_EQ(F.HotspotTexts[1][1], "en T1h1s0");
}

TEST(PlayedInEnglish, AMissingOrBrokenEnglishFileEndsTheStartNamingIt) {
  for (const std::string File :
       {"lang/en/lines.txt", "lang/en/scenes/scene7.obj", "lang/en/scenes/scene0.obj",
        "lang/en/items/items.txt", "lang/en/items/invent.bmp", "lang/en/sprites/alkukuva.bmp",
        "lang/en/sprites/krediit.bmp"}) {
    TEnglishDir Dir({File});
    std::string Shown;
    vornu::SetErrorBoxHook([&Shown](const std::string&, const std::string& Text) { Shown = Text; });
    {
      gametest::TGame G(Dir.Path(), InLanguage("en"));
      EXPECT_TRUE(G.F().Closed()) << File;
      EXPECT_NE(G.F().StartupError.find(File), std::string::npos) << G.F().StartupError;
    }
    vornu::SetErrorBoxHook(nullptr);
    EXPECT_NE(Shown.find(File), std::string::npos) << File << ": " << Shown;
  }
  TEnglishDir Broken;
  gametest::WriteFile(Broken.Path() / "lang/en/lines.txt", "Yksi\r\nOne\r\nKaksi\r\n");
  vornu::SetErrorBoxHook([](const std::string&, const std::string&) {});
  {
    gametest::TGame G(Broken.Path(), InLanguage("en"));
    EXPECT_EQ(G.F().StartupError,
              "lang/en/lines.txt: line 3: the Finnish record has no translation after it");
  }
  vornu::SetErrorBoxHook(nullptr);
  // Finnish needs none of the English files.
  TEnglishDir NoEnglish({"lang/en/lines.txt"});
  gametest::TGame G(NoEnglish.Path(), InLanguage("fi"));
  EXPECT_TRUE(G.F().StartupError.empty()) << G.F().StartupError;
}

}  // namespace
