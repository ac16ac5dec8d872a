// The small game folders the tests play on, written in the game's own file formats, and copies
// of a game folder that share its files but for those a test changes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/Files.h"

namespace support {

// How the fixture's scenes are laid out; the pictures and the item file are the same in both.
enum class TLayout {
  // Five hotspots a scene, each with its own walk point and facing, above open floor.
  Rooms,
  // Every hotspot number the story uses, as a row of 16 x 16 blocks over the floor.
  Story,
};

// A hotspot of a fixture scene: a block of the map, a walk point and a facing.
struct THotspot {
  int Number;
  int Left, Top, Right, Bottom;  // inclusive, logical
  int WalkX, WalkY, Facing;
};

std::vector<THotspot> SceneHotspots(TLayout Layout, int Scene);
// Scene's hotspot map: rows of nothing (255) at the top, floor below, the hotspots on it.
std::string HotspotMapBytes(TLayout Layout, int Scene);
// Scene's object file: names "T<verb>h<hotspot>s<scene>", replies as FixtureReply says.
std::string ObjectFile(TLayout Layout, int Scene);
// The one-line reply of hotspot H to Verb in Scene: "R<verb>h<hotspot>" (with "s<scene>" in
// the story layout).
std::string FixtureReply(TLayout Layout, int Scene, int Verb, int H);
// The item file: thirteen items "Esine<n>" and Refusals refusals "Ei1", "Ei2", ...
std::string ItemFile(int Refusals);
// A Standard MIDI file with one empty track.
std::string EmptyMidi();

// The fixture's colours, each exact in 16-bit colour.
// Walking frame Frame of direction D: a body on black (the transparent colour).
std::uint32_t FrameColour(int D, int Frame);
// Direction and frame of a colour read back from a drawn walking frame, or -1, -1.
std::pair<int, int> DecodeFrame(std::uint32_t Rgb);
// Tile K of scene S: that colour but for one black pixel at (width - 2, height - 2), which
// shows whether the tile was drawn transparent.
std::uint32_t TileColour(int S, int K);
std::uint32_t BackgroundColour(int S);
std::uint32_t MenuColour(int M);
std::uint32_t ItemColour(int I);
// The opening and closing pictures: alkukuva, varoitus, intro, theend, krediit.
constexpr std::uint32_t kIntroColours[5] = {0x101010, 0x202020, 0x303030, 0x404040, 0x505050};
// The pointer pictures: a 4 x 4 block at the top left, the rest transparent.
constexpr std::uint32_t kNormalPointer = 0xF0F0F0;
constexpr std::uint32_t kActivePointer = 0xF0F000;
constexpr std::uint32_t kInventoryColour = 0x303060;

// Writes every file the game opens into Dir.
void WriteFixtureGame(const fs::path& Dir, TLayout Layout, int Refusals = 3);
// The fixture game of Layout, written once and shared by every test process of this user.
const fs::path& FixtureGame(TLayout Layout);

// The fixture's English: every text of its object files and item file with "en " before it,
// pictures with text in their own colours, and lines.txt translating each of Speeches (UTF-8
// source lines, as FixedSpeeches finds them) line by line to "EN " + the line, and the caption
// word to "Use".
constexpr std::uint32_t kEnglishIntroColours[5] = {0x181008, 0x281808, 0x382008, 0x482808,
                                                   0x583008};
constexpr std::uint32_t kEnglishInventoryColour = 0x603030;
void WriteFixtureEnglish(const fs::path& Dir, TLayout Layout,
                         const std::vector<std::vector<std::string>>& Speeches);
// Every fixed speech the game's code says, each as its UTF-8 lines: the Finnish records of
// GameDir's lang/en/lines.txt, which the data builder gathers from the code; throws when there
// is none.
std::vector<std::vector<std::string>> FixedSpeeches(const fs::path& GameDir);
// The Windows-1252 lines.txt of the pairs (Finnish lines, translation), both UTF-8.
std::string LinesFile(
    const std::vector<std::pair<std::vector<std::string>, std::vector<std::string>>>& Pairs);

// A scratch game folder showing the data folders (scenes, sprites, items, music) of Source
// through links, but for the Changed paths: the folders on their way are real, each changed
// file or folder is left out for the test to write or to leave missing.
class TGameCopy : public TScratchDir {
 public:
  explicit TGameCopy(const fs::path& Source, const std::vector<fs::path>& Changed = {});
};

}  // namespace support
