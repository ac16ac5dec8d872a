// The game's fixed per-scene tile table: file prefixes, tile sizes, and which scenes show Pukki.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vornu::databuild::scenes {

constexpr int kSceneCount = 14;  // 0 (the map) to 13

struct SceneInfo {
  std::string tilePrefix;                  // below scenes/tiles/
  std::vector<std::pair<int, int>> tiles;  // width, height of tile 1, 2, ...
  bool pukki = false;                      // Pukki walks here, so walk points must be floor
};

// The entry of scene n (0..13); throws std::out_of_range otherwise.
const SceneInfo& Scene(int n);

}  // namespace vornu::databuild::scenes
