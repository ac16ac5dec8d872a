#include "tests/support/FixtureGame.h"

#include <unistd.h>

#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include "game/SceneSetup.h"
#include "game/SpeechText.h"
#include "platform/Text1252.h"

namespace support {

namespace {

std::string Pad3(int V) {
  std::string S = std::to_string(V);
  return std::string(3 - S.size(), '0') + S;
}

std::string N(int V) {
  return std::to_string(V);
}

const char* const kDataFolders[] = {"scenes", "sprites", "items", "music", "lang"};

void Mirror(const fs::path& From, const fs::path& To, const std::vector<fs::path>& Changed,
            bool Top) {
  fs::create_directories(To);
  for (const auto& Entry : fs::directory_iterator(From)) {
    const fs::path Name = Entry.path().filename();
    if (Top && std::none_of(std::begin(kDataFolders), std::end(kDataFolders),
                            [&](const char* F) { return Name == F; })) {
      continue;
    }
    bool LeftOut = false;
    std::vector<fs::path> Inner;
    for (const fs::path& C : Changed) {
      if (*C.begin() != Name) continue;
      fs::path Rest;
      for (auto It = std::next(C.begin()); It != C.end(); ++It) Rest /= *It;
      if (Rest.empty())
        LeftOut = true;
      else
        Inner.push_back(Rest);
    }
    if (LeftOut) continue;
    if (Inner.empty()) {
      fs::create_symlink(fs::absolute(Entry.path()), To / Name);
    } else {
      Mirror(Entry.path(), To / Name, Inner, false);
    }
  }
}

}  // namespace

std::vector<THotspot> SceneHotspots(TLayout Layout, int Scene) {
  if (Layout == TLayout::Story) {
    std::vector<int> Numbers = {1, 2, 3, 4, 5, 6, 7, 8, 9};
    if (Scene != 0) Numbers = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 19, 20, 254};
    std::vector<THotspot> Hs;
    for (std::size_t I = 0; I < Numbers.size(); ++I) {
      const int Left = 5 + static_cast<int>(I % 10) * 20, Top = 5 + static_cast<int>(I / 10) * 20;
      Hs.push_back({Numbers[I], Left, Top, Left + 15, Top + 15, Left + 7, 150, 0});
    }
    return Hs;
  }
  if (Scene == 0) {
    return {{1, 10, 60, 39, 89, 0, 0, 0},   {2, 50, 60, 79, 89, 0, 0, 0},
            {3, 90, 60, 119, 89, 0, 0, 0},  {4, 130, 60, 159, 89, 0, 0, 0},
            {5, 170, 60, 199, 89, 0, 0, 0}, {6, 210, 60, 239, 89, 0, 0, 0},
            {7, 250, 60, 279, 89, 0, 0, 0}, {9, 290, 60, 309, 89, 0, 0, 0}};
  }
  return {{10, 200, 50, 219, 69, 210, 150, 4},
          {9, 100, 50, 119, 69, 110, 160, 9},
          {20, 20, 50, 39, 69, 30, 150, 6},
          {60, 260, 50, 279, 69, 270, 150, 2},
          {7, 60, 120, 79, 139, 70, 170, 0}};
}

std::string HotspotMapBytes(TLayout Layout, int Scene) {
  const int NothingRows = Layout == TLayout::Story ? 100 : 40;
  std::string Map(64000, '\0');
  std::fill(Map.begin(), Map.begin() + NothingRows * 320, '\xFF');
  for (const THotspot& H : SceneHotspots(Layout, Scene)) {
    for (int Y = H.Top; Y <= H.Bottom; ++Y)
      for (int X = H.Left; X <= H.Right; ++X)
        Map[static_cast<std::size_t>((Y - 1) * 320 + X - 1)] = static_cast<char>(H.Number);
  }
  return Map;
}

std::string FixtureReply(TLayout Layout, int Scene, int Verb, int H) {
  return "R" + N(Verb) + "h" + N(H) + (Layout == TLayout::Story ? "s" + N(Scene) : "");
}

std::string ObjectFile(TLayout Layout, int Scene) {
  const std::vector<THotspot> Hs = SceneHotspots(Layout, Scene);
  std::string Obj = N(static_cast<int>(Hs.size())) + "\r\n";
  for (const THotspot& H : Hs)
    Obj += Pad3(H.Number) + " " + Pad3(H.WalkX) + " " + Pad3(H.WalkY) + " " + N(H.Facing) + "\r\n";
  for (const THotspot& H : Hs)
    for (int V = 1; V <= 4; ++V) Obj += "T" + N(V) + "h" + N(H.Number) + "s" + N(Scene) + "\r\n";
  for (const THotspot& H : Hs) Obj += "U" + N(H.Number) + "\r\n";
  for (const THotspot& H : Hs)
    for (int V = 2; V <= 4; ++V) Obj += FixtureReply(Layout, Scene, V, H.Number) + "\r\n";
  return Obj;
}

std::string ItemFile(int Refusals) {
  std::string Txt = "13\r\n";
  for (int I = 1; I <= 13; ++I) {
    Txt += "Esine" + N(I) + "\r\n";
    for (int K = 2; K <= 4; ++K) Txt += "V" + N(K) + "e" + N(I) + "\r\n";
    Txt += "esineen" + N(I) + "\r\nesineelle" + N(I) + "\r\n";
  }
  for (int I = 1; I <= 13; ++I)
    for (int V = 2; V <= 4; ++V) Txt += "IR" + N(V) + "i" + N(I) + "\r\n";
  Txt += N(Refusals) + "\r\n";
  for (int R = 1; R <= Refusals; ++R) Txt += "Ei" + N(R) + "\r\n";
  return Txt;
}

std::string EmptyMidi() {
  const unsigned char Bytes[] = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                                 96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  return std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes);
}

std::uint32_t FrameColour(int D, int Frame) {
  return (static_cast<std::uint32_t>((D + 1) * 24) << 16) |
         (static_cast<std::uint32_t>(Frame * 8) << 8) | 0x80;
}

std::pair<int, int> DecodeFrame(std::uint32_t Rgb) {
  if ((Rgb & 0xFF) < 0x70 || (Rgb & 0xFF) > 0x90) return {-1, -1};
  const int R = static_cast<int>((Rgb >> 16) & 0xFF);
  const int G = static_cast<int>((Rgb >> 8) & 0xFF);
  return {(R + 12) / 24 - 1, (G + 4) / 8};
}

std::uint32_t TileColour(int S, int K) {
  return (static_cast<std::uint32_t>(0x40 + K * 8) << 16) |
         (static_cast<std::uint32_t>(S * 16) << 8) | 0x08;
}

std::uint32_t BackgroundColour(int S) {
  return 0x203040 + static_cast<std::uint32_t>(S) * 0x080000;
}

std::uint32_t MenuColour(int M) {
  return 0x600000u + static_cast<std::uint32_t>(M) * 0x1000;
}

std::uint32_t ItemColour(int I) {
  return 0x00A000u + static_cast<std::uint32_t>(I) * 8;
}

void WriteFixtureGame(const fs::path& Dir, TLayout Layout, int Refusals) {
  static const char* const kDirections[8] = {"up",   "uright", "right", "dright",
                                             "down", "dleft",  "left",  "uleft"};
  const fs::path Sprites = Dir / "sprites";
  WriteBitmap(Sprites / "normcurs.bmp", 10, 10,
              [](int X, int Y) { return X < 4 && Y < 4 ? kNormalPointer : 0u; });
  WriteBitmap(Sprites / "acticurs.bmp", 10, 10,
              [](int X, int Y) { return X < 4 && Y < 4 ? kActivePointer : 0u; });
  for (int M = 1; M <= 4; ++M)
    WriteBitmap(Sprites / ("menu" + N(M) + ".bmp"), 50, 50, MenuColour(M));
  const char* Phases[5] = {"alkukuva", "varoitus", "intro", "theend", "krediit"};
  for (int P = 0; P < 5; ++P)
    WriteBitmap(Sprites / (std::string(Phases[P]) + ".bmp"), 320, 200, kIntroColours[P]);
  for (int D = 0; D < 8; ++D) {
    for (int F = 1; F <= 30; ++F) {
      WriteBitmap(
          Sprites / "pukki" / (kDirections[D] + std::string(F < 10 ? "0" : "") + N(F) + ".bmp"), 45,
          60, [D, F](int X, int Y) {
            return X >= 10 && X < 35 && Y >= 5 && Y < 56 ? FrameColour(D, F) : 0u;
          });
    }
  }
  const fs::path Items = Dir / "items";
  WriteBitmap(Items / "invent.bmp", 300, 180, kInventoryColour);
  for (int I = 1; I <= 13; ++I) {
    WriteBitmap(Items / ("item" + N(I) + ".bmp"), 30, 30, [I](int X, int Y) {
      return X >= 5 && X < 25 && Y >= 5 && Y < 25 ? ItemColour(I) : 0u;
    });
  }
  WriteFile(Items / "items.txt", ItemFile(Refusals));
  WriteFile(Dir / "music" / "music01.mid", EmptyMidi());
  WriteFile(Dir / "music" / "music02.mid", EmptyMidi());
  for (int S = 0; S <= 13; ++S) {
    const fs::path Scenes = Dir / "scenes";
    WriteBitmap(Scenes / ("scene" + N(S) + ".bmp"), 320, 200, BackgroundColour(S));
    WriteFile(Scenes / ("scene" + N(S) + ".dat"), HotspotMapBytes(Layout, S));
    WriteFile(Scenes / ("scene" + N(S) + ".obj"), ObjectFile(Layout, S));
    if (S == 0) continue;
    const vornu::TSceneSetup& Set = vornu::SceneSetup(S);
    for (std::size_t K = 0; K < Set.Tiles.size(); ++K) {
      const int Tile = static_cast<int>(K) + 1;
      const int W = Set.Tiles[K].Width, H = Set.Tiles[K].Height;
      WriteBitmap(Dir / vornu::SceneTilePath(S, Tile), W, H, [=](int X, int Y) {
        return X == W - 2 && Y == H - 2 ? 0u : TileColour(S, Tile);
      });
    }
  }
}

namespace {

// Every text line of an object file or item file (everything but counts and hotspot records)
// with Prefix before it.
std::string PrefixTexts(const std::string& File, const std::string& Prefix, bool ItemFile) {
  std::vector<std::string> Lines;
  for (std::size_t Pos = 0; Pos < File.size();) {
    const std::size_t End = File.find("\r\n", Pos);
    Lines.push_back(File.substr(Pos, End - Pos));
    Pos = End + 2;
  }
  const std::size_t Count = std::stoul(Lines.front());
  std::string Out;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    bool Text = I > (ItemFile ? 0 : Count);
    // The item file's refusal count sits between the replies and the refusals.
    if (ItemFile && I == 1 + 13 * 6 + 13 * 3) Text = false;
    Out += (Text ? Prefix : "") + Lines[I] + "\r\n";
  }
  return Out;
}

}  // namespace

void WriteFixtureEnglish(const fs::path& Dir, TLayout Layout,
                         const std::vector<std::vector<std::string>>& Speeches) {
  const fs::path En = Dir / "lang" / "en";
  for (int S = 0; S <= 13; ++S) {
    WriteFile(En / "scenes" / ("scene" + N(S) + ".obj"),
              PrefixTexts(ObjectFile(Layout, S), "en ", false));
  }
  WriteFile(En / "items" / "items.txt", PrefixTexts(ItemFile(3), "en ", true));
  WriteBitmap(En / "items" / "invent.bmp", 300, 180, kEnglishInventoryColour);
  const char* Phases[5] = {"alkukuva", "varoitus", "intro", "theend", "krediit"};
  for (int P = 0; P < 5; ++P) {
    WriteBitmap(En / "sprites" / (std::string(Phases[P]) + ".bmp"), 320, 200,
                kEnglishIntroColours[P]);
  }
  std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>> Pairs = {
      {{"Käytä"}, {"Use"}}};
  for (const std::vector<std::string>& Finnish : Speeches) {
    std::vector<std::string> English;
    for (const std::string& Line : Finnish) English.push_back("EN " + Line);
    Pairs.emplace_back(Finnish, English);
  }
  WriteFile(En / "lines.txt", LinesFile(Pairs));
}

std::string LinesFile(
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>& Pairs) {
  std::string Out;
  auto Record = [&Out](const std::vector<std::string>& Lines) {
    for (std::size_t I = 0; I < Lines.size(); ++I) {
      Out += vornu::W(Lines[I]) + (I + 1 < Lines.size() ? "\xA7" : "") + "\r\n";
    }
  };
  for (const auto& [Finnish, Translation] : Pairs) {
    Record(Finnish);
    Record(Translation);
  }
  return Out;
}

std::vector<std::vector<std::string>> FixedSpeeches(const fs::path& GameDir) {
  // The Finnish records of the built English lines.txt: the builder's own list of what the
  // game's code says, so the tests read it rather than the code a second way.
  const fs::path File = GameDir / "lang" / "en" / "lines.txt";
  const vornu::TLineCatalogue Catalogue =
      vornu::TLineCatalogue::Parse(ReadFile(File), File.string());
  const std::string CaptionWord = vornu::TLineCatalogue().CaptionWord();
  std::vector<std::vector<std::string>> Finnish;
  for (const std::string& Key : Catalogue.FinnishRecords()) {
    if (Key == CaptionWord) continue;  // travels in the same file but is no speech
    std::vector<std::string> Lines;
    for (std::size_t Begin = 0;;) {
      const std::size_t End = Key.find('\n', Begin);
      Lines.push_back(vornu::Cp1252ToUtf8(Key.substr(Begin, End - Begin)));
      if (End == std::string::npos) break;
      Begin = End + 1;
    }
    Finnish.push_back(std::move(Lines));
  }
  if (Finnish.empty()) throw std::runtime_error("no fixed speech in " + File.string());
  return Finnish;
}

// Bump when WriteFixtureGame changes: the written folders are kept between test processes.
constexpr int kFixtureVersion = 3;

const fs::path& FixtureGame(TLayout Layout) {
  static std::map<TLayout, fs::path> Written;
  fs::path& Dir = Written[Layout];
  if (!Dir.empty()) return Dir;
  Dir = fs::temp_directory_path() /
        ("vornu-fixture-" + std::string(Layout == TLayout::Story ? "story" : "rooms") + "-v" +
         N(kFixtureVersion) + "-" + N(static_cast<int>(::getuid())));
  if (fs::exists(Dir / "complete")) return Dir;
  // Written aside and moved into place whole, so that a process never sees half a folder.
  const TScratchDir Temp("vornu-fixture");
  WriteFixtureGame(Temp.Path(), Layout);
  WriteFile(Temp / "complete", "");
  std::error_code E;
  fs::rename(Temp.Path(), Dir, E);
  if (E && !fs::exists(Dir / "complete")) {  // a broken leftover: replace it
    fs::remove_all(Dir, E);
    fs::rename(Temp.Path(), Dir, E);
  }
  return Dir;  // when another process was first, Temp goes with its copy
}

TGameCopy::TGameCopy(const fs::path& Source, const std::vector<fs::path>& Changed)
    : TScratchDir("vornu-game") {
  Mirror(Source, Path(), Changed, true);
}

}  // namespace support
