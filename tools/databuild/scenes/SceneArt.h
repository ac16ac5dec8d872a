// The scene drawing language: parses sceneN.scene and renders the background, hotspot map and
// tiles.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "tools/libraster/Image.h"

namespace vornu::databuild::scenes {

using raster::Image;
using raster::Rgb;

constexpr int kSceneW = 320;
constexpr int kSceneH = 200;
constexpr int kKeepMap = -1;  // a shape that leaves the hotspot map alone

struct Material {
  enum class Kind {
    kNone,
    kFlat,
    kVGrad,
    kHGrad,
    kRGrad,
    kPlanks,
    kVPlanks,
    kBricks,
    kChecker,
    kDither,
    kNoise,
    kStars,
    kSnowfall,
    kDarken,
    kLighten,
    kGlow,
    kTint
  };
  Kind kind = Kind::kNone;
  std::vector<Rgb> colours;
  int steps = 0;
  int size = 6;   // plank height, checker square, brick width
  int size2 = 4;  // brick height
  double amount = 50;
  std::uint32_t seed = 1;
};

struct Shape {
  enum class Kind { kRect, kPoly, kEllipse, kLine };
  Kind kind = Kind::kRect;
  int line = 0;
  std::vector<double> nums;  // coordinates as written (after any `use` offset)
  Material fill;
  std::optional<Rgb> outline, hi, lo;
  int width = 1;
  int hot = kKeepMap;
  std::string name;
  bool inGroup = false;  // drawn by `use`: a part that falls outside the picture is fine
};

// One tile of a scene: where the game draws it and what its drawing holds.
struct TileSource {
  enum class Mode { kKeyed, kOpaque, kBlank };
  int number = 0;
  int x = 0, y = 0;
  Mode mode = Mode::kKeyed;
  int from = 0;  // 0: starts from the base drawing, else from that tile's drawing
  std::set<std::string> without;
  std::vector<Shape> shapes;
  int line = 0;
};

struct SceneSource {
  std::filesystem::path file;
  std::vector<Shape> base;
  std::vector<TileSource> tiles;
};

// What one scene drawing yields: background, hotspot map (row by row, 64000 cells) and tiles.
struct SceneArt {
  Image picture;
  std::vector<std::uint8_t> map;
  std::map<int, Image> tiles;
};

// Parses the drawing language; a malformed line throws BuildError naming `file` and the line.
SceneSource ParseScene(const std::string& text, const std::filesystem::path& file);

// Renders the drawing. `tileSizes[k-1]` is the width and height of tile k; every tile must be
// declared exactly once. Throws BuildError naming the file and line of the offending shape or tile.
SceneArt RenderScene(const SceneSource& src, const std::vector<std::pair<int, int>>& tileSizes);

}  // namespace vornu::databuild::scenes
