// Catalogues, the template's texts, one language's files from the Finnish sources, and the
// checker's screen limits on a language's files.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <string>

#include "game/SceneFiles.h"
#include "platform/BitmapFont.h"
#include "platform/Text1252.h"
#include "tests/support/Files.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/lang/Catalogue.h"
#include "tools/databuild/lang/LangData.h"
#include "tools/databuild/lang/Sources.h"
#include "tools/databuild/scenes/SceneText.h"
#include "tools/databuild/sprites/Art.h"
#include "tools/datacheck/DataCheck.h"

namespace vornu::databuild::lang {
namespace {

namespace fs = std::filesystem;
using support::ReadFile;
using support::WriteFile;

const fs::path kSource = VORNU_SOURCE_DIR;

std::string Quote(const std::string& s) {
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    if (c == '\n') {
      out += "\\n";
      continue;
    }
    out += c;
  }
  return out + "\"";
}

std::string Header() {
  return "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n";
}

std::string Entry(const std::string& ctx, const std::string& id, const std::string& str,
                  bool fuzzy = false) {
  return std::string(fuzzy ? "#, fuzzy\n" : "") + "msgctxt " + Quote(ctx) + "\nmsgid " + Quote(id) +
         "\nmsgstr " + Quote(str) + "\n\n";
}

// The error BuildError gives for `f`, or "" when it throws none.
template <typename F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const BuildError& e) {
    return e.what();
  }
  return "";
}

TEST(Catalogue, LooksUpByContextAndRefusesWhatIsNotTranslated) {
  support::TScratchDir dir("vornu-po");
  const fs::path po = dir.Write("en.po", Header() + Entry("scene1 [254] name", "Ovi", "Door") +
                                             Entry("item 1 name", "Ovi", "The other door") +
                                             Entry("speech", "Hmm..", "Hmm...", true) +
                                             Entry("speech", "Aha.", ""));
  const Catalogue c = Catalogue::Read(po);
  EXPECT_EQ(c.Translate("scene1 [254] name", "Ovi"), "Door");
  EXPECT_EQ(c.Translate("item 1 name", "Ovi"), "The other door");
  const std::string missing = ErrorOf([&] { c.Translate("scene1 [9] name", "Ovi"); });
  EXPECT_NE(missing.find(po.string()), std::string::npos) << missing;
  EXPECT_NE(missing.find("msgctxt \"scene1 [9] name\" msgid \"Ovi\""), std::string::npos)
      << missing;
  EXPECT_NE(ErrorOf([&] { c.Translate("speech", "Hmm.."); }).find("fuzzy"), std::string::npos);
  EXPECT_NE(ErrorOf([&] { c.Translate("speech", "Aha."); }).find("does not translate"),
            std::string::npos);
  EXPECT_EQ(Catalogue::Identity().Translate("speech", "Aha."), "Aha.");

  const fs::path broken = dir.Write("xx.po", Header() + "msgctxt \"a\"\nmsgid \"b\n");
  const std::string e = ErrorOf([&] { Catalogue::Read(broken); });
  EXPECT_NE(e.find(broken.string()), std::string::npos) << e;
  EXPECT_NE(ErrorOf([&] { Catalogue::Read(dir / "none.po"); }).find("missing"), std::string::npos);
}

TEST(Sources, SpokenLiteralsOfTheCodeAndThePage) {
  const std::string code =
      "Say(\"KLIKS.\"), PukkiSay(CurrentSpeech);\n"
      "SayLines({\"Yks \\\"kaks\\\"\",\n   \"kolme\"});\n"
      "return vornu::MakeSpeech(\n    {\"Ovi on \" \"lukossa.\"});\n"
      "SayStr MakeSpeech(const std::vector<std::string>& Lines) {}\n"
      "Say(Word);";
  const auto calls = FindLiteralCalls(code, {"Say", "SayLines", "MakeSpeech"}, "x.cpp");
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[0].literals, std::vector<std::string>{"KLIKS."});
  EXPECT_EQ(calls[1].literals, (std::vector<std::string>{"Yks \"kaks\"", "kolme"}));
  EXPECT_EQ(calls[2].literals, std::vector<std::string>{"Ovi on lukossa."});
  EXPECT_EQ(calls[2].line, 4);
  const auto page =
      FindLiteralCalls("label.textContent = T('Lataa'); x = LT(\"no\");", {"T"}, "page.js");
  ASSERT_EQ(page.size(), 1u);
  EXPECT_EQ(page[0].literals.front(), "Lataa");
}

TEST(Sources, TheTemplateNamesEveryKindOfText) {
  const auto messages = CollectMessages(kSource);
  auto has = [&](const std::string& ctx, const std::string& id) {
    for (const auto& m : messages)
      if (m.context == ctx && m.id == id) return true;
    return false;
  };
  std::set<std::pair<std::string, std::string>> seen;
  for (const auto& m : messages) {
    EXPECT_TRUE(seen.insert({m.context, m.id}).second) << m.context << " " << m.id;
    EXPECT_FALSE(m.refs.empty()) << m.context;
  }
  EXPECT_TRUE(has("scene1 [254] name", "Ovi"));
  EXPECT_TRUE(has("item refusal", "Ei käy."));
  EXPECT_TRUE(has("picture alkukuva", "Vornu"));
  EXPECT_TRUE(has("picture invent", "Tallenna"));
  EXPECT_TRUE(has("caption", "Käytä"));
  EXPECT_TRUE(has("speech", "Ei sinne kannata mennä ennenkö\nlahjat on valmiina."));
  // A reply's source lines are one paragraph.
  bool joined = false;
  for (const auto& m : messages)
    if (m.context.find("reply") != std::string::npos && m.id.find("  ") == std::string::npos &&
        m.refs.size() == 1)
      joined = true;
  EXPECT_TRUE(joined);
}

// A catalogue of the whole template in which every text is itself but a few.
fs::path WholeCatalogue(const support::TScratchDir& dir,
                        const std::map<std::pair<std::string, std::string>, std::string>& own,
                        const std::string& skip = "") {
  std::string po = Header();
  for (const auto& m : CollectMessages(kSource)) {
    if (m.context == skip) continue;
    const auto it = own.find({m.context, m.id});
    po += Entry(m.context, m.id, it == own.end() ? m.id : it->second);
  }
  return dir.Write("po/en.po", po);
}

TEST(Language, FilesComeFromTheSourcesThroughTheCatalogue) {
  support::TScratchDir dir("vornu-lang");
  const std::string reply = "Ovi on kiinni. Ulos pakkaseen!";
  const fs::path po =
      WholeCatalogue(dir, {{{"scene1 [254] name", "Ovi"}, "Door"},
                           {{"item 1 name", "Pyykkipoika"}, "Peg"},
                           {{"caption", "Käytä"}, "Use"},
                           {{"speech", "Peli tallennettu."}, "Game saved."},
                           {{"speech", "Ei sinne kannata mennä ennenkö\nlahjat on valmiina."},
                            "Not going there before\nthe gifts are ready."},
                           {{"picture invent", "Lataa"}, "Load"}});
  const fs::path out = dir / "game" / "lang" / "en";
  BuildLanguage(Paths{kSource / "assets", dir / "game"}, Catalogue::Read(po), out);

  const auto recs = ParseObjectFile(ReadFile(out / "scenes" / "scene1.obj"), "scene1.obj");
  bool door = false;
  for (const auto& r : recs) door = door || (r.Hotspot == 254 && r.Captions[0] == "Door");
  EXPECT_TRUE(door);
  const TItemFileData items = ParseItemFile(ReadFile(out / "items" / "items.txt"), "items.txt");
  EXPECT_EQ(items.Texts[1][1], "Peg");
  const std::string lines = ReadFile(out / "lines.txt");
  EXPECT_NE(lines.find("Peli tallennettu.\r\nGame saved.\r\n"), std::string::npos);
  EXPECT_NE(lines.find(W("Ei sinne kannata mennä ennenkö§\r\nlahjat on valmiina.\r\n") +
                       "Not going there before\xA7\r\nthe gifts are ready.\r\n"),
            std::string::npos);
  EXPECT_NE(lines.find(W("Käytä\r\nUse\r\n")), std::string::npos);
  EXPECT_EQ(ReadFile(out / "page.json").substr(0, 1), "{");
  // The buttons' word changed the inventory picture; the title picture kept its texts.
  support::TScratchDir fi("vornu-fi");
  sprites::BuildInventory(Paths{kSource / "assets", fi.Path()});
  sprites::BuildScreens(Paths{kSource / "assets", fi.Path()});
  EXPECT_NE(ReadFile(out / "items" / "invent.bmp"), ReadFile(fi / "items" / "invent.bmp"));
  EXPECT_EQ(ReadFile(out / "sprites" / "alkukuva.bmp"), ReadFile(fi / "sprites" / "alkukuva.bmp"));

  // The Finnish path through the same writers gives the Finnish files.
  const Catalogue finnish = Catalogue::Identity();
  const fs::path txt = kSource / "assets" / "scenes" / "scene3.txt";
  EXPECT_EQ(TranslatedObjectFile(3, ReadFile(txt), txt, Translator(finnish)),
            scenes::WriteObjectFile(scenes::ParseSceneText(ReadFile(txt), txt), txt,
                                    [](const std::string& s) { return font::TextWidth(s); }));
}

TEST(Language, ACatalogueThatLacksOrBreaksAMessageNamesIt) {
  support::TScratchDir dir("vornu-lang");
  const Paths paths{kSource / "assets", dir / "game"};
  const Catalogue lacking = Catalogue::Read(WholeCatalogue(dir, {}, "caption"));
  std::string e = ErrorOf([&] { BuildLanguage(paths, lacking, dir / "out"); });
  EXPECT_NE(e.find("lacks msgctxt \"caption\" msgid \"Käytä\""), std::string::npos) << e;

  std::string words;
  for (int i = 0; i < 60; ++i) words += "sanasana ";
  std::string reply3;
  for (const auto& m : CollectMessages(kSource))
    if (m.context == "scene1 [254] reply3") reply3 = m.id;
  ASSERT_FALSE(reply3.empty());
  const Catalogue eleven =
      Catalogue::Read(WholeCatalogue(dir, {{{"scene1 [254] reply3", reply3}, words}}));
  e = ErrorOf([&] { BuildLanguage(paths, eleven, dir / "out"); });
  EXPECT_NE(e.find("scene1 [254] reply3"), std::string::npos) << e;
  EXPECT_NE(e.find("at most 10"), std::string::npos) << e;

  const Catalogue notLatin =
      Catalogue::Read(WholeCatalogue(dir, {{{"scene1 [254] name", "Ovi"}, "Дверь"}}));
  e = ErrorOf([&] { BuildLanguage(paths, notLatin, dir / "out"); });
  EXPECT_NE(e.find("scene1 [254] name"), std::string::npos) << e;
}

// The checker on a language's files: they pass as built, and each limit broken is named.
class LanguageLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    BuildLanguage(Paths{kSource / "assets", dir_.Path()},
                  Catalogue::Read(WholeCatalogue(po_, {{{"caption", "Käytä"}, "Use"}})), Lang());
  }
  fs::path Lang() const { return dir_ / "lang" / "en"; }
  std::string Problems() const {
    std::string out;
    for (const auto& p : datacheck::CheckGameDir(dir_.Path()).problems)
      if (p.rfind("lang/en/", 0) == 0) out += p + "\n";
    return out;
  }
  void Replace(const fs::path& f, const std::string& from, const std::string& to) {
    std::string bytes = ReadFile(f);
    const auto at = bytes.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    WriteFile(f, bytes.replace(at, from.size(), to));
  }
  support::TScratchDir po_{"vornu-po"};
  support::TScratchDir dir_{"vornu-langcheck"};
};

TEST_F(LanguageLimits, BuiltFilesPassAndEachBrokenLimitIsNamed) {
  EXPECT_EQ(Problems(), "");
  const fs::path lines = Lang() / "lines.txt";
  // A speech line of 51 characters.
  Replace(lines, W("Peli tallennettu.\r\nPeli tallennettu.\r\n"),
          W("Peli tallennettu.\r\n") + std::string(51, 'i') + "\r\n");
  std::string p = Problems();
  EXPECT_NE(p.find("speech \"Peli tallennettu.\", line"), std::string::npos) << p;
  EXPECT_NE(p.find("51 characters"), std::string::npos) << p;
  // A speech of eleven lines.
  std::string eleven;
  for (int i = 0; i < 11; ++i) eleven += std::string("Rivi") + (i < 10 ? "\xA7\r\n" : "\r\n");
  Replace(lines, W("Peli ladattu.\r\nPeli ladattu.\r\n"), W("Peli ladattu.\r\n") + eleven);
  p = Problems();
  EXPECT_NE(p.find("speech \"Peli ladattu.\": 11 lines"), std::string::npos) << p;
}

TEST_F(LanguageLimits, CaptionsComposedWithTheLanguagesOwnWordMustFitTheTextLine) {
  std::vector<std::string> targets;  // every hotspot's use form in scenes 1..13
  for (int n = 1; n <= 13; ++n) {
    const fs::path obj = Lang() / "scenes" / ("scene" + std::to_string(n) + ".obj");
    for (const auto& r : ParseObjectFile(ReadFile(obj), obj.string())) targets.push_back(r.UseName);
  }
  const TItemFileData items = ParseItemFile(ReadFile(Lang() / "items" / "items.txt"), "items");
  auto widest = [&](const std::string& word) {
    int w = 0;
    for (int h = 1; h <= 13; ++h) {
      const std::string held = word + " " + items.Texts[5][h] + " ";
      for (const auto& t : targets) w = std::max(w, font::TextWidth(held + t));
      for (int t = 1; t <= 13; ++t)
        if (t != h) w = std::max(w, font::TextWidth(held + items.Texts[6][t]));
    }
    return w;
  };
  // Caption words whose widest composed caption is 316 pixels (fits exactly) and 317 (the
  // last column falls off the screen's right edge).
  std::string fits, cut;
  for (int a = 0; a < 60 && (fits.empty() || cut.empty()); ++a)
    for (int i = 0; i < 60; ++i) {
      const std::string word = "Use" + std::string(static_cast<std::size_t>(a), 'a') +
                               std::string(static_cast<std::size_t>(i), 'i');
      const int w = widest(word);
      if (w == 316 && fits.empty()) fits = word;
      if (w == 317 && cut.empty()) cut = word;
      if (w > 317) break;
    }
  ASSERT_FALSE(fits.empty());
  ASSERT_FALSE(cut.empty());
  const fs::path lines = Lang() / "lines.txt";
  Replace(lines, W("Käytä\r\nUse\r\n"), W("Käytä\r\n") + fits + "\r\n");
  EXPECT_EQ(Problems(), "");
  Replace(lines, W("Käytä\r\n") + fits + "\r\n", W("Käytä\r\n") + cut + "\r\n");
  const std::string p = Problems();
  EXPECT_NE(p.find("held over"), std::string::npos) << p;
  EXPECT_NE(p.find("317 pixels wide"), std::string::npos) << p;
}

TEST_F(LanguageLimits, AContinuedReplyThatLostItsMarkIsNamed) {
  const fs::path obj = Lang() / "scenes" / "scene1.obj";
  std::string bytes = ReadFile(obj);
  const auto at = bytes.find("\xA7\r\n");
  ASSERT_NE(at, std::string::npos);
  WriteFile(obj, bytes.erase(at, 1));
  const std::string p = Problems();
  EXPECT_NE(p.find("lang/en/scenes/scene1.obj: lines after the last reply"), std::string::npos)
      << p;
}

}  // namespace
}  // namespace vornu::databuild::lang
