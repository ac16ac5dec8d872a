// The note text compiler: timing, chords, ties, phrases, and file:line errors for bad sources.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tools/databuild/Registry.h"
#include "tools/databuild/music/Midi.h"
#include "tools/databuild/music/NoteText.h"

namespace vornu::databuild {
namespace {

midi::ParsedSong Compile(const std::string& text) {
  const std::vector<std::uint8_t> bytes = midi::Encode(CompileNoteText(text, "song.txt"));
  midi::ParsedSong p;
  std::string why;
  EXPECT_TRUE(midi::Parse(bytes, p, why)) << why;
  return p;
}

struct Note {
  std::uint32_t on, off;
  int channel, key, velocity;
};

std::vector<Note> Notes(const midi::ParsedTrack& t) {
  std::vector<Note> out;
  for (const auto& e : t.events) {
    if ((e.status & 0xF0) == 0x90 && e.data[1] > 0) {
      out.push_back({e.tick, 0, e.status & 0x0F, e.data[0], e.data[1]});
    } else if ((e.status & 0xF0) == 0x80) {
      for (Note& n : out)
        if (n.key == e.data[0] && n.off == 0) {
          n.off = e.tick;
          break;
        }
    }
  }
  return out;
}

// The error a source gives, or "" when it compiles.
std::string Error(const std::string& text) {
  try {
    CompileNoteText(text, "song.txt");
  } catch (const BuildError& e) {
    return e.what();
  }
  return "";
}

TEST(NoteText, DurationsDotsTripletsAndGateGiveExactTicks) {
  const auto p = Compile(
      "tempo 100\n"
      "track T\n"
      "  gate 50 vel 70\n"
      "  | c4/4 d4/8. e4/16 f#4/8t g4 ab4 bb3/4 |\n"
      "end\n");
  ASSERT_EQ(p.tracks.size(), 2u);
  const auto n = Notes(p.tracks[1]);
  ASSERT_EQ(n.size(), 7u);
  const std::uint32_t on[] = {0, 480, 840, 960, 1120, 1280, 1440};
  const int keys[] = {60, 62, 64, 66, 67, 68, 58};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(n[i].on, on[i]) << i;
    EXPECT_EQ(n[i].key, keys[i]) << i;
    EXPECT_EQ(n[i].velocity, 70);
  }
  EXPECT_EQ(n[0].off, 240u);
  EXPECT_EQ(n[6].off, 1440u + 240u);
  // 100 quarters a minute: 600000 microseconds each.
  bool tempoFound = false;
  for (const auto& e : p.tracks[0].events)
    if (e.metaType == 0x51) {
      tempoFound = true;
      EXPECT_EQ(e.data, std::vector<std::uint8_t>({0x09, 0x27, 0xC0}));
    }
  EXPECT_TRUE(tempoFound);
}

TEST(NoteText, ChordsTiesAndAccents) {
  const auto p = Compile(
      "track T\n"
      "  gate 100 vel 80\n"
      "  | [c4 e4 g4]/2~ [c4 e4 g4]/4 c5/4! |\n"
      "end\n");
  const auto n = Notes(p.tracks[1]);
  ASSERT_EQ(n.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(n[i].on, 0u);
    EXPECT_EQ(n[i].off, 1440u);  // one sounding note across the tie
  }
  EXPECT_EQ(n[3].key, 72);
  EXPECT_EQ(n[3].velocity, 96);
}

TEST(NoteText, PhrasesRepeatsTransposeAndDrums) {
  const auto p = Compile(
      "def motif\n"
      "  c4/8 e4\n"
      "end\n"
      "track Tune\n"
      "  channel 3 program celesta\n"
      "  repeat 2\n"
      "    play motif\n"
      "  end\n"
      "  transpose 12 play motif r/4 |\n"
      "end\n"
      "track Bells\n"
      "  drums transpose 5\n"
      "  | sleigh/2 n81/2 |\n"
      "end\n");
  ASSERT_EQ(p.tracks.size(), 3u);
  const auto tune = Notes(p.tracks[1]);
  ASSERT_EQ(tune.size(), 6u);
  EXPECT_EQ(tune[2].on, 480u);
  EXPECT_EQ(tune[4].key, 72);
  EXPECT_EQ(tune[4].channel, 2);
  bool celesta = false;
  for (const auto& e : p.tracks[1].events) celesta |= e.status == 0xC2 && e.data[0] == 8;
  EXPECT_TRUE(celesta);
  const auto bells = Notes(p.tracks[2]);
  ASSERT_EQ(bells.size(), 2u);
  EXPECT_EQ(bells[0].channel, 9);
  EXPECT_EQ(bells[0].key, 83);  // drums are never transposed
  EXPECT_EQ(bells[1].key, 81);
}

TEST(NoteText, MetreChangesMoveTheBarLines) {
  const auto p = Compile(
      "time 3/4\n"
      "track T\n"
      "  | c4/2. | time 4/4 d4/1 | time 6/8 e4/4. f4 |\n"
      "end\n");
  int signatures = 0;
  for (const auto& e : p.tracks[0].events) signatures += e.metaType == 0x58;
  EXPECT_EQ(signatures, 3);
  EXPECT_NE(Error("track T\n  time 3/4 | c4/2 |\nend\n").find("song.txt:2: bar line"),
            std::string::npos);
}

TEST(NoteText, MalformedSourcesNameTheirFileAndLine) {
  struct Case {
    const char* text;
    const char* expect;
  } cases[] = {
      {"track T\n  c4/4\n  | c4/4 d4/4 |\nend\n", "song.txt:3: bar line"},
      {"track T\n  h4/4\nend\n", "song.txt:2: 'h4'"},
      {"track T\n  c4/3\nend\n", "song.txt:2: bad duration"},
      {"track T\n  c4/4\n", "song.txt:1: track T has no 'end'"},
      {"track T\n  play chorus\nend\n", "song.txt:2: no phrase 'chorus'"},
      {"track T\n  c4/4~ d4/4\nend\n", "song.txt:2: tied note"},
      {"track T\n  c4/4~\nend\n", "song.txt:1: track 'T' ends with a tied note"},
      {"track A\n  tempo 90 c4\nend\ntrack B\n  tempo 100 c4\nend\n", "song.txt:5: tempo 100"},
      {"track T\n  [c4 e4\nend\n", "song.txt:2: '['"},
      {"track T\n  vel 200 c4\nend\n", "song.txt:2: 'vel'"},
      {"track T\n  c4 r\n  [c4 c4]/4\nend\n", "song.txt:3: note 'c4' twice"},
      {"track T\n  c10/4\nend\n", "song.txt:2: note 'c10'"},
      {"track T\n  r/1\nend\n", "song.txt:1: track 'T' has no notes"},
      {"def a\n  play a\nend\ntrack T\n  play a\nend\n", "song.txt:2: phrases play each other"},
      {"end\n", "song.txt:1: 'end' without"},
      {"# nothing\n", "song.txt: no tracks"},
      {"track T\n  c4/4 channel 2\nend\n", "song.txt:2: 'channel' must come before"},
      {"track T\n  repeat 64\n  repeat 64\n  repeat 64\n  c4/1\n  end\n  end\n  end\nend\n",
       "song.txt:5: track longer"},
  };
  for (const Case& c : cases) {
    const std::string got = Error(c.text);
    EXPECT_NE(got.find(c.expect), std::string::npos) << c.text << "\ngave: " << got;
  }
}

TEST(NoteText, SharpsAreNotComments) {
  const auto p = Compile("track T  # the tune\n  f#4/4 # a comment\n  c#5\nend\n");
  const auto n = Notes(p.tracks[1]);
  ASSERT_EQ(n.size(), 2u);
  EXPECT_EQ(n[0].key, 66);
  EXPECT_EQ(n[1].key, 73);
}

// The game's two tunes: they build, parse back, last a minute or more and use several instruments.
TEST(GameTunes, BothCompileIntoLongMultiInstrumentFiles) {
  for (const char* name : {"music01", "music02"}) {
    const auto file = std::filesystem::path(VORNU_SOURCE_DIR) / "assets" / "music" /
                      (std::string(name) + ".txt");
    const std::vector<std::uint8_t> bytes = midi::Encode(CompileNoteFile(file));
    midi::ParsedSong p;
    std::string why;
    ASSERT_TRUE(midi::Parse(bytes, p, why)) << name << ": " << why;
    EXPECT_EQ(p.format, 1);
    EXPECT_GE(p.DurationSeconds(), 60.0) << name;
    EXPECT_LE(p.DurationSeconds(), 300.0) << name;
    std::set<int> programs;
    bool percussion = false;
    for (const auto& t : p.tracks)
      for (const auto& e : t.events) {
        if ((e.status & 0xF0) == 0xC0) programs.insert(e.data[0]);
        if (e.status == 0x99) percussion = true;
      }
    EXPECT_GE(programs.size(), 4u) << name;
    EXPECT_TRUE(percussion) << name;
  }
}

}  // namespace
}  // namespace vornu::databuild
