// Pukki's walking frames: a small sculpture posed per frame and rendered in eight directions.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tools/databuild/sprites/Sculpt.h"

namespace vornu::sprites {

struct PukkiLook {
  std::map<std::string, Ramp> ramps;   // suit, fur, skin, nose, black, gold, cheek
  std::map<std::string, double> gait;  // cycles, stance, lift, arms, speed
};

// Reads the colour ramps ("ramp NAME" and 15 numbers) and numbers ("gait NAME value") of
// `file`; throws BuildError naming the file and line.
PukkiLook ReadLook(const std::filesystem::path& file);

// Reads the colour ramps and gait of `file` and checks that Pukki has all he needs; throws
// BuildError naming the file and line.
PukkiLook ReadPukkiLook(const std::filesystem::path& file);

// Direction names in the game's direction-code order 0..7 (up, uright, right, ...).
const std::vector<std::string>& DirectionNames();

// Frame `frame` (1..30) of Pukki facing direction code `dir` (0..7), 45 x 60, black see-through.
raster::Image PukkiFrame(const PukkiLook& look, int dir, int frame);

// Pukki's head and shoulders facing the viewer, drawn anew to fill a size x size picture (the
// desktop icon), black see-through.
raster::Image PukkiPortrait(const PukkiLook& look, int size);

// Where Pukki's nose centre lands in the sprite for direction code `dir`.
V3 PukkiNose(int dir);

}  // namespace vornu::sprites
