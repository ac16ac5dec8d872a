#include "tools/databuild/scenes/SceneTable.h"

#include <stdexcept>

namespace vornu::databuild::scenes {

const SceneInfo& Scene(int n) {
  static const std::vector<SceneInfo> kTable = {
      {"", {}, false},
      {"scene1_",
       {{61, 93}, {24, 21}, {21, 23}, {30, 27}, {27, 26}, {35, 26}, {31, 35}, {41, 58}},
       true},
      {"scene2_", {{59, 33}, {90, 47}}, false},
      {"scene3_", {{100, 173}}, false},
      {"scene4_", {{34, 21}, {41, 54}}, true},
      {"scene5_", {{57, 27}}, false},
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
       true},
      {"scene7_", {{112, 112}, {66, 45}, {114, 60}}, false},
      {"scene8_", {{52, 46}}, false},
      {"scene9_", {{42, 45}}, true},
      {"scen10_", {{41, 52}, {35, 27}, {26, 13}}, true},
      {"scen11_", {{206, 114}}, false},
      {"sce12_", std::vector<std::pair<int, int>>(10, {44, 55}), true},
      {"scen13_", {{320, 200}, {320, 200}, {320, 200}}, true},
  };
  if (n < 0 || n >= kSceneCount) throw std::out_of_range("no scene " + std::to_string(n));
  return kTable[static_cast<std::size_t>(n)];
}

}  // namespace vornu::databuild::scenes
