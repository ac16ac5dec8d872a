// What the program itself knows of each scene: its tile files and sizes, and what the scene allows.
#pragma once

#include <string>
#include <vector>

namespace vornu {

struct TTileSize {
  int Width;
  int Height;
};

struct TSceneSetup {
  std::string TilePrefix;        // tile file name prefix below scenes/tiles/, e.g. "scen6_"
  std::vector<TTileSize> Tiles;  // sizes of tile 1, 2, ...
  bool PukkiInScene;
  bool MenuAllowed;
  bool InventoryAllowed;
};

constexpr int kSceneCount = 14;  // 0 (the map) to 13

// The entry of scene 0..13; throws std::out_of_range for any other number. The game, the
// data builder and the test fixtures all read this one table.
const TSceneSetup& SceneSetup(int Scene);

// Path of tile K (1-based) of the scene, relative to the game directory.
std::string SceneTilePath(int Scene, int K);

}  // namespace vornu
