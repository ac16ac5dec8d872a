// One scene from its two sources to its files' contents, with the cross-checks between them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/databuild/scenes/SceneArt.h"
#include "tools/databuild/scenes/SceneText.h"

namespace vornu::databuild::scenes {

struct BuiltScene {
  SceneArt art;
  std::vector<HotspotRecord> records;
  std::string object;  // the object file's bytes
};

// Builds scene n. Throws BuildError when a source is malformed, a record's hotspot is not
// drawn, a drawn hotspot has no record, or (in scenes with Pukki) a walk point is not floor.
BuiltScene BuildScene(int n, const std::string& artText, const std::filesystem::path& artFile,
                      const std::string& txtText, const std::filesystem::path& txtFile,
                      const TextWidthFn& width);

}  // namespace vornu::databuild::scenes
