// The "sprites" step: Pukki's frames, pointers, verb menu, inventory, items, full-screen pictures.
#include <filesystem>

#include "tools/databuild/Registry.h"
#include "tools/databuild/sprites/Art.h"
#include "tools/databuild/sprites/Pukki.h"

namespace vornu::sprites {
namespace {

void BuildPukki(const databuild::Paths& paths) {
  const PukkiLook look = ReadPukkiLook(paths.assets / "sprites" / "pukki.txt");
  const auto dir = paths.out / "sprites" / "pukki";
  std::filesystem::create_directories(dir);
  for (int d = 0; d < 8; ++d) {
    for (int f = 1; f <= 30; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "%s%02d.bmp", DirectionNames()[d].c_str(), f);
      raster::WriteBmp24((dir / name).string(), PukkiFrame(look, d, f));
    }
  }
}

void BuildSprites(const databuild::Paths& paths) {
  // Every source is read and checked before anything is written, so a broken source leaves
  // the pictures of the last good build in place instead of a half-new set.
  ReadPukkiLook(paths.assets / "sprites" / "pukki.txt");
  ReadPixmaps(paths.assets / "sprites" / "icons.txt");
  CheckScreenTexts(paths);
  for (int n = 1; n <= 13; ++n) ItemPicture(paths, n);
  BuildPukki(paths);
  BuildPointersAndMenu(paths);
  BuildInventory(paths);
  BuildItems(paths);
  BuildScreens(paths);
}

databuild::StepRegistrar reg("sprites", &BuildSprites);

}  // namespace
}  // namespace vornu::sprites
