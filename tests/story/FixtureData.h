// A small game directory made by the tests: every file the game opens, in the game's formats.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "game/SceneSetup.h"

namespace story {

namespace fs = std::filesystem;

inline void WriteBytes(const fs::path& Path, const std::string& Bytes) {
  fs::create_directories(Path.parent_path());
  std::ofstream Out(Path, std::ios::binary);
  Out << Bytes;
}

// A 24-bit Windows bitmap of one colour (0xRRGGBB).
inline void WriteBitmap(const fs::path& Path, int W, int H, std::uint32_t Rgb) {
  const int Row = (W * 3 + 3) / 4 * 4;
  const std::uint32_t Size = 54 + static_cast<std::uint32_t>(Row * H);
  std::string B(Size, '\0');
  auto Put16 = [&B](std::size_t At, std::uint32_t V) {
    B[At] = static_cast<char>(V & 0xFF);
    B[At + 1] = static_cast<char>((V >> 8) & 0xFF);
  };
  auto Put32 = [&](std::size_t At, std::uint32_t V) {
    Put16(At, V & 0xFFFF);
    Put16(At + 2, V >> 16);
  };
  B[0] = 'B';
  B[1] = 'M';
  Put32(2, Size);
  Put32(10, 54);
  Put32(14, 40);
  Put32(18, static_cast<std::uint32_t>(W));
  Put32(22, static_cast<std::uint32_t>(H));
  Put16(26, 1);
  Put16(28, 24);
  Put32(34, static_cast<std::uint32_t>(Row * H));
  for (int Y = 0; Y < H; ++Y) {
    for (int X = 0; X < W; ++X) {
      std::size_t At = 54 + static_cast<std::size_t>(Y * Row + X * 3);
      B[At] = static_cast<char>(Rgb & 0xFF);
      B[At + 1] = static_cast<char>((Rgb >> 8) & 0xFF);
      B[At + 2] = static_cast<char>((Rgb >> 16) & 0xFF);
    }
  }
  WriteBytes(Path, B);
}

// A Standard MIDI file with one empty track.
inline std::string EmptyMidi() {
  const unsigned char Bytes[] = {'M', 'T', 'h', 'd', 0,   0, 0, 6, 0, 0, 0,    1,    0,
                                 96,  'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  return std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes);
}

// Hotspots of every fixture scene: hotspot h is a 16 x 16 block in the upper part of the
// screen; everything below y = 100 is floor. The map has hotspots 1..9.
inline std::vector<int> FixtureHotspots(int Scene) {
  if (Scene == 0) return {1, 2, 3, 4, 5, 6, 7, 8, 9};
  return {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 19, 20, 254};
}

// Top-left of hotspot h's block (logical, 0-based).
inline std::pair<int, int> BlockOf(int Scene, int Hotspot) {
  std::vector<int> Hs = FixtureHotspots(Scene);
  int I = 0;
  while (Hs[static_cast<std::size_t>(I)] != Hotspot) ++I;
  return {4 + (I % 10) * 20, 4 + (I / 10) * 20};
}

// The fixture's reply of a hotspot: one line naming verb, hotspot and scene.
inline std::string FixtureReply(int Scene, int Verb, int Hotspot) {
  return std::string("R") + std::to_string(Verb) + "h" + std::to_string(Hotspot) + "s" +
         std::to_string(Scene);
}

inline std::string Pad3(int V) {
  std::string S = std::to_string(V);
  return std::string(3 - S.size(), '0') + S;
}

inline void WriteScene(const fs::path& Dir, int Scene) {
  const std::string N = std::to_string(Scene);
  WriteBitmap(Dir / "scenes" / ("scene" + N + ".bmp"), 320, 200, 0x204060 + Scene);
  std::string Map(64000, '\0');
  for (int Y = 0; Y < 100; ++Y)
    for (int X = 0; X < 320; ++X) Map[static_cast<std::size_t>(Y * 320 + X)] = '\xFF';
  for (int H : FixtureHotspots(Scene)) {
    auto [Bx, By] = BlockOf(Scene, H);
    for (int Y = By; Y < By + 16; ++Y)
      for (int X = Bx; X < Bx + 16; ++X)
        Map[static_cast<std::size_t>(Y * 320 + X)] = static_cast<char>(H);
  }
  WriteBytes(Dir / "scenes" / ("scene" + N + ".dat"), Map);

  std::vector<int> Hs = FixtureHotspots(Scene);
  std::string Obj = std::to_string(Hs.size()) + "\r\n";
  for (int H : Hs) {
    auto [Bx, By] = BlockOf(Scene, H);
    Obj += Pad3(H) + " " + Pad3(Bx + 8) + " " + Pad3(150) + " 0\r\n";
  }
  for (int H : Hs)
    for (int V = 1; V <= 4; ++V)
      Obj += std::string("T") + std::to_string(V) + "h" + std::to_string(H) + "\r\n";
  for (int H : Hs) Obj += std::string("U") + std::to_string(H) + "\r\n";
  for (int H : Hs)
    for (int V = 2; V <= 4; ++V) Obj += FixtureReply(Scene, V, H) + "\r\n";
  WriteBytes(Dir / "scenes" / ("scene" + N + ".obj"), Obj);
}

// Colour of tile K of every fixture scene: tiles differ in red, which survives 16-bit colour.
inline std::uint32_t TileColour(int K) {
  return (static_cast<std::uint32_t>(K * 16) << 16) | 0x8040;
}

// The pictures of the sprites folder.
inline void WriteSprites(const fs::path& Dir) {
  const fs::path Sprites = Dir / "sprites";
  WriteBitmap(Sprites / "normcurs.bmp", 10, 10, 0xFFFFFF);
  WriteBitmap(Sprites / "acticurs.bmp", 10, 10, 0xFFFF00);
  for (int M = 1; M <= 4; ++M)
    WriteBitmap(Sprites / ("menu" + std::to_string(M) + ".bmp"), 50, 50, 0x808080);
  for (const char* Name : {"alkukuva", "varoitus", "intro", "theend", "krediit"})
    WriteBitmap(Sprites / (std::string(Name) + ".bmp"), 320, 200, 0x102030);
  for (const char* D : {"right", "left", "up", "down", "dleft", "dright", "uleft", "uright"}) {
    for (int F = 1; F <= 30; ++F) {
      std::string Nn = std::string(F < 10 ? "0" : "") + std::to_string(F);
      WriteBitmap(Sprites / "pukki" / (std::string(D) + Nn + ".bmp"), 45, 60, 0xC02020);
    }
  }
}

// The items folder: pictures and the item file with RefusalCount refusals "Ei1", "Ei2", ...
inline void WriteItems(const fs::path& Dir, int RefusalCount) {
  const fs::path Items = Dir / "items";
  WriteBitmap(Items / "invent.bmp", 300, 180, 0x303030);
  for (int I = 1; I <= 13; ++I)
    WriteBitmap(Items / ("item" + std::to_string(I) + ".bmp"), 30, 30, 0x00A000 + I);
  std::string Txt = "13\r\n";
  for (int I = 1; I <= 13; ++I)
    for (int K = 1; K <= 6; ++K)
      Txt += std::string("I") + std::to_string(I) + "t" + std::to_string(K) + "\r\n";
  for (int I = 1; I <= 13; ++I)
    for (int V = 2; V <= 4; ++V) Txt += "IR" + std::to_string(V) + "i" + std::to_string(I) + "\r\n";
  Txt += std::to_string(RefusalCount) + "\r\n";
  for (int R = 1; R <= RefusalCount; ++R) Txt += "Ei" + std::to_string(R) + "\r\n";
  WriteBytes(Items / "items.txt", Txt);
}

inline void WriteMusic(const fs::path& Dir) {
  WriteBytes(Dir / "music" / "music01.mid", EmptyMidi());
  WriteBytes(Dir / "music" / "music02.mid", EmptyMidi());
}

// Every scene's files and tiles.
inline void WriteScenes(const fs::path& Dir) {
  for (int S = 0; S <= 13; ++S) WriteScene(Dir, S);
  for (int S = 1; S <= 13; ++S) {
    const vornu::TSceneSetup& Set = vornu::SceneSetup(S);
    for (std::size_t K = 0; K < Set.Tiles.size(); ++K) {
      const int Tile = static_cast<int>(K) + 1;
      WriteBitmap(Dir / vornu::SceneTilePath(S, Tile), Set.Tiles[K].Width, Set.Tiles[K].Height,
                  TileColour(Tile));
    }
  }
}

// Writes the whole fixture game directory.
inline void WriteFixtureGame(const fs::path& Dir, int RefusalCount = 3) {
  WriteSprites(Dir);
  WriteItems(Dir, RefusalCount);
  WriteMusic(Dir);
  WriteScenes(Dir);
}

}  // namespace story
