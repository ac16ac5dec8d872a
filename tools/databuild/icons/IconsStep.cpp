// The "icons" step: the desktop icon, Pukki's head from his own sculpture and colours, at every
// size the desktops ask for (icons/vornu-SIZE.png, black see-through).
#include <filesystem>
#include <string>

#include "platform/PictureFile.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/icons/Icons.h"

namespace vornu::icons {

const std::vector<int>& IconSizes() {
  static const std::vector<int> sizes = {16, 32, 48, 64, 128, 256};
  return sizes;
}

raster::Image IconPicture(const sprites::PukkiLook& look, int size) {
  if (size <= 48 || size % 32 != 0) return sprites::PukkiPortrait(look, size);
  const raster::Image small = sprites::PukkiPortrait(look, 32);
  const int k = size / 32;
  raster::Image big(size, size);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) big.At(x, y) = small.At(x / k, y / k);
  return big;
}

namespace {

Pixels32 ToPixels(const raster::Image& img) {
  Pixels32 p;
  p.Width = img.Width();
  p.Height = img.Height();
  for (int y = 0; y < img.Height(); ++y)
    for (int x = 0; x < img.Width(); ++x) {
      const raster::Rgb c = img.At(x, y);
      p.Pixels.push_back(std::uint32_t{c.r} << 16 | std::uint32_t{c.g} << 8 | c.b);
    }
  return p;
}

void BuildIcons(const databuild::Paths& paths) {
  const sprites::PukkiLook look = sprites::ReadPukkiLook(paths.assets / "sprites" / "pukki.txt");
  const auto dir = paths.out / "icons";
  std::filesystem::create_directories(dir);
  for (int size : IconSizes()) {
    const auto file = dir / ("vornu-" + std::to_string(size) + ".png");
    SavePngFile(file.string(), ToPixels(IconPicture(look, size)), 0x000000);
  }
}

databuild::StepRegistrar reg("icons", &BuildIcons);

}  // namespace
}  // namespace vornu::icons
