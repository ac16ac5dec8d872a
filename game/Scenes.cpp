// Loading a scene: music, background, hotspot map, object file, tiles and behaviour flags; and
// the lookups of the hotspot map and the music that every scene change plays.
#include <string>
#include <vector>

#include "engine/GX.h"
#include "game/SceneFiles.h"
#include "game/SceneSetup.h"
#include "game/Unit1.h"
#include "platform/Trace.h"

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

  ReadObjectFile(LanguageFile(Name + ".obj"));

  const vornu::TSceneSetup& Setup = vornu::SceneSetup(Scene);
  const int Count = static_cast<int>(Setup.Tiles.size());
  for (int K = 1; K <= Count; ++K) {
    SceneTiles[K].reset();
    SceneTiles[K] = GXScreen1->CreateSurface(Setup.Tiles[K - 1].Width, Setup.Tiles[K - 1].Height);
  }
  for (int K = 1; K <= Count; ++K) {
    LoadPicture(*SceneTiles[K], vornu::SceneTilePath(Scene, K));
  }
  PukkiInScene = Setup.PukkiInScene;
  MenuAllowed = Setup.MenuAllowed;
  InventoryAllowed = Setup.InventoryAllowed;
}

void TForm1::ReadObjectFile(const std::string& Path) {
  // The object file is read whole before any table changes: a broken one changes nothing.
  const std::vector<vornu::TObjectRecord> Records =
      vornu::ParseObjectFile(vornu::ReadWholeFile(Path), Path);
  for (const vornu::TObjectRecord& R : Records) {
    HotspotWalkPoints[R.Hotspot] = R.WalkPoint;
    for (int K = 1; K <= 4; ++K) HotspotTexts[K][R.Hotspot] = R.Captions[K - 1];
    HotspotTexts[5][R.Hotspot] = R.UseName;
    for (int V = 2; V <= 4; ++V) HotspotReplies[V][R.Hotspot] = R.Replies[V - 2];
  }
}

void TForm1::ParseHotspotMapInto(const std::string& Path) {
  vornu::ParseHotspotMap(vornu::ReadWholeFile(Path), HotspotMap);
}

bool TForm1::HotspotIsHidden(std::uint16_t Scene, int H) const {
  // The map hides nothing, and the table has room for hotspots 1..50 only.
  if (!HotspotHidden.InRange(Scene) || H < 1 || H > 50) return false;
  return HotspotHidden[Scene][H] == 1;
}

std::uint8_t TForm1::HotspotAt(int X, int Y) const {
  if (X <= 0) X = 1;
  if (Y <= 0) Y = 1;
  if (X > 320 || Y > 200) return 255;
  return HotspotMap[X][Y];
}

void TForm1::PlayMusic(const std::string& Path) {
  MediaPlayer1->SetFileName(Path);
  try {
    MediaPlayer1->Open();
    MediaPlayer1->Play();
  } catch (const std::exception& E) {
    // Both tunes were sound at start-up; one spoilt since must not stop a scene from loading.
    TraceLine(std::string("music: ") + E.what() + "; playing on without music");
  }
}
