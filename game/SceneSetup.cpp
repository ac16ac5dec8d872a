#include "game/SceneSetup.h"

#include <stdexcept>

namespace vornu {

const TSceneSetup& SceneSetup(int Scene) {
  static const TSceneSetup kScenes[kSceneCount] = {
      {"", {}, false, false, false},
      {"scene1_",
       {{61, 93}, {24, 21}, {21, 23}, {30, 27}, {27, 26}, {35, 26}, {31, 35}, {41, 58}},
       true,
       true,
       true},
      {"scene2_", {{59, 33}, {90, 47}}, false, true, true},
      {"scene3_", {{100, 173}}, false, true, true},
      {"scene4_", {{34, 21}, {41, 54}}, true, true, true},
      {"scene5_", {{57, 27}}, false, true, true},
      {"scen6_",
       {{39, 48},
        {18, 12},
        {12, 12},
        {34, 29},
        {55, 34},
        {19, 16},
        {9, 18},
        {18, 12},
        {18, 14},
        {19, 13},
        {14, 12},
        {13, 12},
        {17, 18}},
       true,
       true,
       true},
      {"scene7_", {{112, 112}, {66, 45}, {114, 60}}, false, true, true},
      {"scene8_", {{52, 46}}, false, true, true},
      {"scene9_", {{42, 45}}, true, true, true},
      {"scen10_", {{41, 52}, {35, 27}, {26, 13}}, true, true, true},
      {"scen11_", {{206, 114}}, false, true, true},
      {"sce12_", std::vector<TTileSize>(10, TTileSize{44, 55}), true, true, true},
      {"scen13_", {{320, 200}, {320, 200}, {320, 200}}, true, true, true},
  };
  if (Scene < 0 || Scene >= kSceneCount) {
    throw std::out_of_range("no scene " + std::to_string(Scene));
  }
  return kScenes[Scene];
}

std::string SceneTilePath(int Scene, int K) {
  return "scenes/tiles/" + SceneSetup(Scene).TilePrefix + std::to_string(K) + ".bmp";
}

}  // namespace vornu
