// Loading a scene: music, background, hotspot map, object file, tiles and behaviour flags.
#include <string>
#include <vector>

#include "engine/GX.h"
#include "game/SceneFiles.h"
#include "game/Unit1.h"

namespace {

struct TTileSize {
  int Width;
  int Height;
};

// What the program itself knows of each scene.
struct TSceneSetup {
  const char* TilePrefix;
  std::vector<TTileSize> Tiles;
  bool PukkiInScene;
  bool MenuAllowed;
  bool InventoryAllowed;
};

const TSceneSetup& SceneSetup(std::uint16_t Scene) {
  static const TSceneSetup kScenes[14] = {
      {"", {}, false, false, false},
      {"scenes/tiles/scene1_",
       {{61, 93}, {24, 21}, {21, 23}, {30, 27}, {27, 26}, {35, 26}, {31, 35}, {41, 58}},
       true,
       true,
       true},
      {"scenes/tiles/scene2_", {{59, 33}, {90, 47}}, false, true, true},
      {"scenes/tiles/scene3_", {{100, 173}}, false, true, true},
      {"scenes/tiles/scene4_", {{34, 21}, {41, 54}}, true, true, true},
      {"scenes/tiles/scene5_", {{57, 27}}, false, true, true},
      {"scenes/tiles/scen6_",
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
      {"scenes/tiles/scene7_", {{112, 112}, {66, 45}, {114, 60}}, false, true, true},
      {"scenes/tiles/scene8_", {{52, 46}}, false, true, true},
      {"scenes/tiles/scene9_", {{42, 45}}, true, true, true},
      {"scenes/tiles/scen10_", {{41, 52}, {35, 27}, {26, 13}}, true, true, true},
      {"scenes/tiles/scen11_", {{206, 114}}, false, true, true},
      {"scenes/tiles/sce12_",
       {{44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55},
        {44, 55}},
       true,
       true,
       true},
      {"scenes/tiles/scen13_", {{320, 200}, {320, 200}, {320, 200}}, true, true, true},
  };
  return kScenes[Scene];
}

}  // namespace

void TForm1::LoadScene(std::uint16_t Scene) {
  SceneActionIdle = 1;
  WalkDone = 1;
  AdvanceWayPoint = 1;
  MapIdle = 1;

  const std::uint16_t Old = CurrentScene;
  if (Old == 0 && Scene != 0) {
    PlayMusic("music/music01.mid");
  } else if (Old != 0 && Scene == 0) {
    PlayMusic("music/music02.mid");
  }
  if (Scene > 13) return;

  const std::string Name = "scenes/scene" + std::to_string(Scene);
  SceneBackground.reset();
  SceneBackground = GXScreen1->CreateSurface(320, 200);
  LoadPicture(*SceneBackground, Name + ".bmp");

  ParseHotspotMapInto(Name + ".dat");
  CurrentScene = Scene;

  // The object file is read whole before any table changes: a broken one changes nothing.
  const std::string ObjectPath = Name + ".obj";
  const std::vector<vornu::TObjectRecord> Records =
      vornu::ParseObjectFile(vornu::ReadWholeFile(ObjectPath), ObjectPath);
  for (const vornu::TObjectRecord& R : Records) {
    HotspotWalkPoints[R.Hotspot] = R.WalkPoint;
    for (int K = 1; K <= 4; ++K) HotspotTexts[K][R.Hotspot] = R.Captions[K - 1];
    HotspotTexts[5][R.Hotspot] = R.UseName;
    for (int V = 2; V <= 4; ++V) HotspotReplies[V][R.Hotspot] = R.Replies[V - 2];
  }

  const TSceneSetup& Setup = SceneSetup(Scene);
  const int Count = static_cast<int>(Setup.Tiles.size());
  for (int K = 1; K <= Count; ++K) {
    SceneTiles[K].reset();
    SceneTiles[K] = GXScreen1->CreateSurface(Setup.Tiles[K - 1].Width, Setup.Tiles[K - 1].Height);
  }
  for (int K = 1; K <= Count; ++K) {
    LoadPicture(*SceneTiles[K], Setup.TilePrefix + std::to_string(K) + ".bmp");
  }
  PukkiInScene = Setup.PukkiInScene;
  MenuAllowed = Setup.MenuAllowed;
  InventoryAllowed = Setup.InventoryAllowed;
}

void TForm1::ParseHotspotMapInto(const std::string& Path) {
  vornu::ParseHotspotMap(vornu::ReadWholeFile(Path), HotspotMap);
}
