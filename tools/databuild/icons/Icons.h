// The desktop icon: Pukki's head and shoulders at each size the desktops ask for.
#pragma once

#include <vector>

#include "tools/databuild/sprites/Pukki.h"

namespace vornu::icons {

// 16, 32, 48, 64, 128 and 256.
const std::vector<int>& IconSizes();

// The size x size icon, black see-through. Up to 48 pixels it is drawn at its own size, so
// each pixel is chosen; larger sizes enlarge the 32-pixel drawing by whole factors and keep
// the game's chunky pixels.
raster::Image IconPicture(const sprites::PukkiLook& look, int size);

}  // namespace vornu::icons
