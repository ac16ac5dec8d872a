// The data checker: every file the game reads, checked against the game's formats, limits and
// scripts.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vornu::datacheck {

struct Report {
  std::vector<std::string> problems;  // each names the file and what is wrong
  std::vector<std::string> warnings;  // worth a look, not a failure
};

// A place Pukki can stand when he enters a scene (feet point) and why.
struct Entry {
  int x, y;
  std::string why;
};

// Checks the game directory `dir` (the one holding scenes/, sprites/, items/, music/), then
// each language's own files in dir/lang/CODE/ (object files, item file, pictures, lines.txt)
// with the screen's limits: captions and every composed held-item caption on the text line,
// speech lines of at most 50 characters, ten lines a speech.
Report CheckGameDir(const std::filesystem::path& dir);

// The hotspot numbers that the scene scripts, the map travel, the item uses and the
// hidden-hotspot table rely on in scene n (0..13).
const std::vector<int>& RequiredHotspots(int n);

// The fixed places Pukki can stand on entering scene n (start, map entrances, script
// placements); the walk points of the hotspots leading to close-ups are added by the checker.
const std::vector<Entry>& FixedEntries(int n);

// Whether the game draws tile k of scene n with its colour key (see-through black).
bool TileIsKeyed(int n, int k);

// The hotspots of scene n whose close-up Pukki returns from, standing at their walk point.
const std::vector<int>& CloseUpDoors(int n);

}  // namespace vornu::datacheck
