// Builders of the pictures other than Pukki's frames, and the small helpers they share.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "tools/databuild/Registry.h"
#include "tools/libraster/Image.h"

namespace vornu::sprites {

// Named hand-drawn pictures of a pixmap file (see assets/sprites/icons.txt for the format).
std::map<std::string, raster::Image> ReadPixmaps(const std::filesystem::path& file);

// Writes `img` under the game directory, creating folders; checks the size it must have.
void WritePicture(const databuild::Paths& paths, const std::string& rel, const raster::Image& img,
                  int w, int h);

void BuildPointersAndMenu(const databuild::Paths& paths);
void BuildInventory(const databuild::Paths& paths);
void BuildItems(const databuild::Paths& paths);
// Item picture n (1..13), as BuildItems writes it.
raster::Image ItemPicture(const databuild::Paths& paths, int n);
void BuildScreens(const databuild::Paths& paths);
// Reads the full-screen texts and checks that every line fits; throws BuildError otherwise.
void CheckScreenTexts(const databuild::Paths& paths);

}  // namespace vornu::sprites
