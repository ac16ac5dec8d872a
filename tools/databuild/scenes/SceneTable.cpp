#include "tools/databuild/scenes/SceneTable.h"

#include "game/SceneSetup.h"

namespace vornu::databuild::scenes {

static_assert(kSceneCount == vornu::kSceneCount);

const SceneInfo& Scene(int n) {
  // The builder cuts tiles to exactly the sizes the game creates their surfaces with.
  static const std::vector<SceneInfo> kTable = [] {
    std::vector<SceneInfo> table;
    for (int s = 0; s < kSceneCount; ++s) {
      const TSceneSetup& setup = SceneSetup(s);
      SceneInfo info{setup.TilePrefix, {}, setup.PukkiInScene};
      for (const TTileSize& t : setup.Tiles) info.tiles.emplace_back(t.Width, t.Height);
      table.push_back(std::move(info));
    }
    return table;
  }();
  SceneSetup(n);  // the same refusal of a scene number that does not exist
  return kTable[static_cast<std::size_t>(n)];
}

}  // namespace vornu::databuild::scenes
