// Mouse and keyboard: pointer, press, long press, the release steps, the key steps.
#include "game/SceneScripts.h"
#include "game/Unit1.h"

namespace {

constexpr int kVerbBoxes[3][4] = {
    // left, top, right, bottom (inclusive) of verbs 2, 3, 4 in the open menu
    {138, 97, 154, 117},
    {161, 100, 171, 103},
    {160, 110, 170, 114}};

// The inventory slot at (X, Y), 0 if none.
int SlotAt(int X, int Y) {
  if (X < 10 || Y < 10 || Y > 39 || X > 319) return 0;
  return (X - 10) / 30 + 1;
}

// A scene script whose wait or speech has just ended: Pukki has arrived and the next frame runs
// its next step. Between two steps it takes the mouse no more than during its waits: a click
// that slipped in there (clicking back into a window whose game ran on in the background)
// cancelled the script halfway, leaving the pointer hidden and a door drawn open for good.
bool ScriptBetweenSteps(const TForm1& F) {
  if (F.SceneActionIdle == 0 && F.WalkDone == 1 && F.InventoryOpen == 0 && F.MenuOpen == 0 &&
      F.SpeechActive == 0) {
    // Only while the script has a step to run: one stuck past its end still gives way to a click.
    const vornu::scripts::SceneList* List = vornu::scripts::ListOf(F.CurrentScene);
    if (List == nullptr) return false;
    const vornu::scripts::Entry* Chosen = vornu::scripts::Choose(F, *List, F.CurrentScene);
    const std::size_t Steps = Chosen == nullptr ? 1 : Chosen->Steps.size();
    return F.ActionStep >= 1 && F.ActionStep <= Steps;
  }
  return false;
}

}  // namespace

std::uint8_t TForm1::OnButton(int X, int Y) const {
  if (X < 10 || Y < 10 || Y - 10 <= 160) return 0;
  if (X - 10 < 100) return 1;
  if (X - 10 < 200) return 2;
  return 3;
}

std::uint16_t TForm1::ItemInSlotAt(int X, int Y) const {
  const int Slot = SlotAt(X, Y);
  if (Slot == 0 || Slot > InventoryCount || Slot > 13) return 0;
  return Inventory[Slot];
}

std::uint16_t TForm1::MouseOnItem() const {
  return ItemInSlotAt(MouseX, MouseY);
}

std::uint16_t TForm1::ClickOnItem() const {
  return ItemInSlotAt(ClickX, ClickY);
}

void TForm1::FormMouseMove(TObject*, TShiftState, int X, int Y) {
  if (Settings.HalveMouse) {
    X /= 2;
    Y /= 2;
  }
  MouseX = X == 0 ? 1 : X;
  MouseY = Y == 0 ? 1 : Y;
  CursorKind = 2;
  if (InventoryOpen == 1) {
    CursorKind = 1;
    if (MouseOnItem() > 0) CursorKind = 2;
  } else {
    const std::uint8_t H = HotspotAt(MouseX, MouseY);
    if (H == 255 || H == 0) CursorKind = 1;
    if (CursorKind == 2 && HotspotIsHidden(CurrentScene, H)) CursorKind = 1;
  }
  if (SpeechActive == 1) CursorKind = 1;
  if (MenuOpen == 1) {
    CursorKind = 1;
    SelectedVerb = 1;
    for (int V = 0; V < 3; ++V) {
      const int* Box = kVerbBoxes[V];
      if (X >= Box[0] && Y >= Box[1] && X <= Box[2] && Y <= Box[3]) {
        SelectedVerb = static_cast<std::uint8_t>(V + 2);
      }
    }
  }
}

namespace {

std::uint8_t ButtonBit(TMouseButton Button) {
  return static_cast<std::uint8_t>(1u << static_cast<unsigned>(Button));
}

}  // namespace

void TForm1::FormMouseDown(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  ButtonsHeld |= ButtonBit(Button);
  Timer3->SetEnabled(false);
  if (Timer4->Enabled() || ScriptBetweenSteps(*this)) return;
  if (Settings.HalveMouse) {
    X /= 2;
    Y /= 2;
  }
  if (Button == mbLeft && OnButton(X, Y) > 0 && InventoryOpen == 1) return;
  if (Button == mbLeft && SceneActionIdle == 1) SelectedVerb = 1;
  if (SpeechActive == 1 || Button != mbLeft) return;
  ClickX = X;
  ClickY = Y;
  if (CursorKind == 2) Timer2->SetEnabled(true);
}

void TForm1::Timer2Timer(TObject*) {
  if (MenuAllowed == 0 || ItemInHand == 1) return;
  // A button held since before Pukki arrived opens no menu over his running script: the menu
  // would stop the script and its opening would swap the script's hotspot halfway.
  if (InventoryOpen == 0 && SceneActionIdle == 0 && WalkDone == 1) return;
  MenuOpen = 1;
  if (InventoryOpen == 0) {
    ActionHotspot = HotspotAt(ClickX, ClickY);
  } else {
    ActionItem = ClickOnItem();
  }
}

void TForm1::FormMouseUp(TObject*, TMouseButton Button, TShiftState, int X, int Y) {
  ButtonsHeld &= static_cast<std::uint8_t>(~ButtonBit(Button));
  // A script waiting for a click swallows the release; a speech on screen takes it whole and
  // ends there.
  if (Timer4->Enabled()) return;
  if (SpeechActive == 1) {
    // The speech ends here, once: its timer, still running when the button was pressed before
    // the speech began, must not end it a second time and skip a step of its script.
    SpeechActive = 0;
    ++ActionStep;
    Timer3->SetEnabled(false);
    return;
  }
  if (ScriptBetweenSteps(*this)) return;
  // The inventory's load, save and quit buttons act at once; nothing else sees that click.
  if (Settings.HalveMouse) {
    X /= 2;
    Y /= 2;
  }
  const bool Left = Button == mbLeft;
  if (Left && InventoryOpen == 1) {
    switch (OnButton(X, Y)) {
      case 1:
        LoadGame();
        return;
      case 2:
        SaveGame();
        return;
      case 3:
        QuitGame();
        return;
      default:
        break;
    }
  }
  // The long press is over, so no menu opens any more; a release without the menu cancels a
  // verb still waiting for Pukki.
  Timer2->SetEnabled(false);
  if (MenuOpen == 0) {
    SelectedVerb = 1;
    SceneActionIdle = 1;
  }
  // A short left click in the scene walks Pukki there, or to what was clicked.
  if (InventoryOpen == 0 && Left && MenuOpen == 0 && PukkiInScene == 1) {
    SelectedVerb = 1;
    const std::uint8_t H = HotspotAt(X, Y);
    if (H == 0) {
      CalculateWayPoints(ClickX, ClickY);
    } else if (H != 255) {
      CheckWalkPoints();
    }
  }
  // A verb chosen in the menu starts its action; in the scene Pukki first walks to the
  // hotspot's walk point.
  if (MenuOpen == 1 && SelectedVerb > 1) {
    ActionStep = 1;
    if (InventoryOpen == 0) {
      SceneActionIdle = 0;
      // The verb replaces an item use still waiting for Pukki (its item already put back), as
      // a click replaces a pending verb: the two would run in one frame, the use's speech then
      // ending a step of the script too, which left the script stuck past its last step.
      UseItemIdle = 1;
    } else {
      ItemActionIdle = 0;
    }
    if (Left && PukkiInScene == 1 && InventoryOpen == 0 && ActionHotspot >= 1 &&
        ActionHotspot <= 255) {
      const THotspotWalkPoint& Walk = HotspotWalkPoints[ActionHotspot];
      ArrivalDirection = Walk.Facing;
      CalculateWayPoints(Walk.X, Walk.Y);
    }
  }
  // Clicks in the inventory take, combine or drop the held item.
  if (Left && InventoryOpen == 1) {
    const std::uint16_t Under = MouseOnItem();
    if (Under > 0 && MenuOpen == 0) {
      if (ItemInHand == 1) {
        CombineIdle = 0;
        ActionItem = Under;
      } else {
        ItemInHand = 1;
        HeldItem = ClickOnItem();
      }
    }
    if (ClickOnItem() == 0) {
      ItemInHand = 0;
      HeldItem = 0;
    }
  }
  // Clicks in the scene with an item put it back or use it.
  if (Left && InventoryOpen == 0) {
    if (CursorKind == 1) {
      // The item is put back, and its use waiting for Pukki's arrival goes with it.
      if (ItemInHand == 1) UseItemIdle = 1;
      ItemInHand = 0;
      HeldItem = 0;
    }
    if (ItemInHand == 1 && CursorKind == 2) {
      UseItemIdle = 0;
      ActionHotspot = HotspotAt(ClickX, ClickY);
      ActionItem = HeldItem;
    }
  }
  // Whatever the click did, the menu closes; the right button opens or closes the inventory,
  // and a place clicked on the map starts the journey there.
  MenuOpen = 0;
  if (Button == mbRight && InventoryAllowed == 1) InventoryOpen = 1 - InventoryOpen;
  if (CurrentScene == 0 && CursorKind == 2) {
    MapIdle = 0;
    ActionStep = 1;
    ActionHotspot = HotspotAt(ClickX, ClickY);
  }
}

void TForm1::FormKeyPress(TObject*, char&) {
  // The sequences stop at their last step; further keys change nothing.
  if (IntroActive == 1 && IntroStep < 7) ++IntroStep;
  if (EndingActive == 1 && EndingStep < 5) ++EndingStep;
}
