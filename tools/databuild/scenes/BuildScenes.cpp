// The "scenes" step: every assets/scenes/sceneN.scene + sceneN.txt becomes the scene's files.
#include <iostream>
#include <set>
#include <string_view>

#include "platform/BitmapFont.h"
#include "platform/FileAccess.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/scenes/SceneArt.h"
#include "tools/databuild/scenes/SceneBuild.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/databuild/scenes/SceneText.h"

namespace vornu::databuild::scenes {

namespace {

// A scene source is a few kilobytes of text; far more is no scene source.
constexpr std::size_t kMaxSourceBytes = 4 << 20;

std::string ReadFile(const std::filesystem::path& p) {
  return ReadFileText(p.string(), kMaxSourceBytes);
}

// A game data file is whole or not there, even when the build stops halfway.
void WriteFile(const std::filesystem::path& p, const std::string& bytes) {
  ReplaceFile(p.string(), std::string_view(bytes));
}

// Replies are wrapped by the pixel width of the game's own font.
int SpeechWidth(const std::string& cp1252) {
  return font::TextWidth(cp1252);
}

void BuildScenesStep(const Paths& paths) {
  const auto dir = paths.out / "scenes";
  std::filesystem::create_directories(dir / "tiles");
  // Each scene is built on its own: a mistake in one still leaves the others up to date.
  std::vector<std::string> failed;
  for (int n = 0; n < kSceneCount; ++n) {
    const auto art = paths.assets / "scenes" / ("scene" + std::to_string(n) + ".scene");
    const auto txt = paths.assets / "scenes" / ("scene" + std::to_string(n) + ".txt");
    if (!std::filesystem::exists(art) && !std::filesystem::exists(txt)) {
      std::cerr << "vornu-databuild: scenes: scene " << n << " has no sources yet\n";
      continue;
    }
    try {
      const BuiltScene built = BuildScene(n, ReadFile(art), art, ReadFile(txt), txt, &SpeechWidth);
      const std::string base = "scene" + std::to_string(n);
      raster::WriteBmp24((dir / (base + ".bmp")).string(), built.art.picture);
      WriteFile(dir / (base + ".dat"), std::string(built.art.map.begin(), built.art.map.end()));
      WriteFile(dir / (base + ".obj"), built.object);
      for (const auto& [k, tile] : built.art.tiles) {
        raster::WriteBmp24(
            (dir / "tiles" / (Scene(n).tilePrefix + std::to_string(k) + ".bmp")).string(), tile);
      }
    } catch (const std::exception& e) {
      std::cerr << "vornu-databuild: scenes: " << e.what() << "\n";
      failed.push_back(std::to_string(n));
    }
  }
  if (!failed.empty()) {
    std::string list;
    for (const auto& f : failed) list += (list.empty() ? "" : ", ") + f;
    throw BuildError(paths.assets / "scenes", 0, "scene(s) " + list + " could not be built");
  }
}

}  // namespace

BuiltScene BuildScene(int n, const std::string& artText, const std::filesystem::path& artFile,
                      const std::string& txtText, const std::filesystem::path& txtFile,
                      const TextWidthFn& width) {
  const SceneInfo& info = Scene(n);
  BuiltScene b;
  b.art = RenderScene(ParseScene(artText, artFile), info.tiles);
  b.records = ParseSceneText(txtText, txtFile);
  b.object = WriteObjectFile(b.records, txtFile, width);

  std::set<int> inMap;
  for (std::uint8_t v : b.art.map)
    if (v != 0 && v != 255) inMap.insert(v);
  std::set<int> inText;
  for (const auto& r : b.records) {
    inText.insert(r.number);
    if (!inMap.count(r.number)) {
      throw BuildError(txtFile, r.line,
                       "hotspot " + std::to_string(r.number) + " is not in the drawing " +
                           artFile.filename().string());
    }
    if (info.pukki) {
      const std::uint8_t cell =
          b.art
              .map[static_cast<std::size_t>(r.y - 1) * kSceneW + static_cast<std::size_t>(r.x - 1)];
      if (cell != 0) {
        throw BuildError(txtFile, r.line,
                         "walk point " + std::to_string(r.x) + "," + std::to_string(r.y) +
                             " of hotspot " + std::to_string(r.number) +
                             " is not on floor (map value " + std::to_string(cell) + ")");
      }
    }
  }
  for (int h : inMap)
    if (!inText.count(h)) {
      throw BuildError(artFile, 0,
                       "hotspot " + std::to_string(h) + " is drawn but has no record in " +
                           txtFile.filename().string());
    }
  return b;
}

static StepRegistrar registrar("scenes", &BuildScenesStep);

}  // namespace vornu::databuild::scenes
