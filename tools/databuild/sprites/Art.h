// Builders of the pictures other than Pukki's frames, and the small helpers they share.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tools/databuild/Registry.h"
#include "tools/libraster/Image.h"

namespace vornu::sprites {

// Named hand-drawn pictures of a pixmap file (see assets/sprites/icons.txt for the format).
std::map<std::string, raster::Image> ReadPixmaps(const std::filesystem::path& file);

// Writes `img` under the game directory, creating folders; checks the size it must have.
void WritePicture(const databuild::Paths& paths, const std::string& rel, const raster::Image& img,
                  int w, int h);

// One line of text painted on a picture (assets/sprites/screens.txt).
struct ScreenText {
  std::string style;
  int y = 0;
  std::string text;  // Windows-1252
  int line = 0;      // in screens.txt
};

// The texts of every picture in screens.txt, by picture name, each in the file's order.
std::map<std::string, std::vector<ScreenText>> ReadScreenTexts(const std::filesystem::path& file);

// The text to paint in place of a Finnish text (both Windows-1252) of picture `name`; the
// Finnish pictures paint the text as it stands. Throws BuildError when there is none.
using PictureTextFn = std::function<std::string(const std::string& name, const std::string& text)>;

void BuildPointersAndMenu(const databuild::Paths& paths);
// The inventory picture, its texts from screens.txt's [invent] through `text` when given.
void BuildInventory(const databuild::Paths& paths, const PictureTextFn& text = {});
void BuildItems(const databuild::Paths& paths);
// Item picture n (1..13), as BuildItems writes it.
raster::Image ItemPicture(const databuild::Paths& paths, int n);
// The five full-screen pictures, their texts through `text` when given.
void BuildScreens(const databuild::Paths& paths, const PictureTextFn& text = {});
// Reads the pictures' texts and checks that every line fits; throws BuildError otherwise.
void CheckScreenTexts(const databuild::Paths& paths);
// Paints the inventory picture with `texts` (the [invent] lines, already in the language
// painted); a missing or too wide text throws BuildError naming `file`.
raster::Image InventoryPicture(const std::vector<ScreenText>& texts,
                               const std::filesystem::path& file);

}  // namespace vornu::sprites
