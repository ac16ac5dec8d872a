// The interpreter of the rule vocabulary, the choice of an entry, and the scene scripts' dispatch.
#include "game/SceneScripts.h"

#include "engine/GX.h"
#include "game/SpeechText.h"
#include "game/Unit1.h"

namespace vornu::scripts {

namespace {

bool VerbMatches(Verb Want, std::uint8_t Chosen) {
  if (Want == Verb::Ignored) return true;
  if (Want == Verb::Any) return Chosen >= 2 && Chosen <= 4;
  return Chosen == static_cast<std::uint8_t>(Want);
}

bool FlagHolds(const TForm1& Form, const FlagTest& Test) {
  return (Form.SceneFlags[Test.Scene][Test.Flag] != 0) == Test.Set;
}

bool ItemHolds(const TForm1& Form, const ItemTest& Test) {
  switch (Test.Role) {
    case ItemRole::Carried:
      return Form.IsItem(Test.Item);
    case ItemRole::NotCarried:
      return !Form.IsItem(Test.Item);
    case ItemRole::ActionItem:
      return Form.ActionItem == Test.Item;
    case ItemRole::HeldItem:
      return Form.HeldItem == Test.Item;
  }
  return false;
}

// The hotspot's own reply for the chosen verb; a verb or hotspot outside the reply table
// (which input never produces) says nothing rather than reading outside it.
void SayHotspotReply(TForm1& Form) {
  if (Form.SelectedVerb < 2 || Form.SelectedVerb > 4) return;
  if (Form.ActionHotspot < 1 || Form.ActionHotspot > 255) return;
  Form.PukkiSay(Form.HotspotReplies[Form.SelectedVerb][Form.ActionHotspot]);
}

// The same guard for the item's own reply: a verb or item outside the table says nothing.
void SayItemReply(TForm1& Form) {
  if (Form.SelectedVerb < 2 || Form.SelectedVerb > 4) return;
  if (Form.ActionItem < 1 || Form.ActionItem > 13) return;
  Form.PukkiSay(Form.ItemReplies[Form.SelectedVerb][Form.ActionItem]);
}

}  // namespace

const SceneList* ListOf(std::uint16_t Scene) {
  switch (Scene) {
    case 1:
      return &Scene01();
    case 2:
      return &Scene02();
    case 3:
      return &Scene03();
    case 4:
      return &Scene04();
    case 5:
      return &Scene05();
    case 6:
      return &Scene06();
    case 7:
      return &Scene07();
    case 8:
      return &Scene08();
    case 9:
      return &Scene09();
    case 10:
      return &Scene10();
    case 11:
      return &Scene11();
    case 12:
      return &Scene12();
    case 13:
      return &Scene13();
    default:
      return nullptr;
  }
}

const Entry* Choose(const TForm1& Form, const SceneList& List, std::uint16_t Scene) {
  for (const Entry& E : List) {
    if (E.Scene != AnyScene && E.Scene != Scene) continue;
    if (E.Hotspot != AnyHotspot && E.Hotspot != Form.ActionHotspot) continue;
    if (!VerbMatches(E.Verbs, Form.SelectedVerb)) continue;
    bool Holds = true;
    for (const FlagTest& T : E.Flags) Holds = Holds && FlagHolds(Form, T);
    for (const ItemTest& T : E.Items) Holds = Holds && ItemHolds(Form, T);
    if (Holds) return &E;
  }
  return nullptr;
}

void RunOperation(TForm1& Form, const Operation& O) {
  if (O.Only && !FlagHolds(Form, *O.Only)) return;
  switch (O.Kind) {
    case Op::HideCursor:
      Form.CursorShown = 0;
      break;
    case Op::ShowCursor:
      Form.CursorShown = 1;
      break;
    case Op::Wait:
      Form.ActionDelayMs(O.A);
      break;
    case Op::Reply:
      SayHotspotReply(Form);
      break;
    case Op::Say:
      Form.PukkiSay(MakeSpeech(Form.Catalogue, O.Lines));
      break;
    case Op::Speaker:
      Form.Speaker = static_cast<std::uint8_t>(O.A);
      break;
    case Op::SetFlag:
      Form.SceneFlags[O.A][O.B] = 1;
      break;
    case Op::ClearFlag:
      Form.SceneFlags[O.A][O.B] = 0;
      break;
    case Op::HideHotspot:
      Form.HotspotHidden[O.A][O.B] = 1;
      break;
    case Op::ShowHotspot:
      Form.HotspotHidden[O.A][O.B] = 0;
      break;
    case Op::GiveItem:
      Form.AddItem(static_cast<std::uint16_t>(O.A));
      break;
    case Op::TakeItem:
      Form.RemoveItem(static_cast<std::uint16_t>(O.A));
      break;
    case Op::PlacePukki:
      Form.PukkiX = O.A;
      Form.PukkiY = O.B;
      Form.PukkiDirection = static_cast<std::uint8_t>(O.C);
      Form.PukkiTargetX = O.A;
      Form.PukkiTargetY = O.B;
      break;
    case Op::GoToScene:
      Form.LoadScene(static_cast<std::uint16_t>(O.A));
      break;
    case Op::End:
      Form.SceneActionIdle = 1;
      break;
    case Op::Tile:
      // Drawn on every frame of the wait, which is what keeps it on screen.
      if (Form.SceneTiles[O.A] && Form.GXScreen1 && Form.GXScreen1->Back()) {
        Form.GXScreen1->Back()->Draw(137, 43, *Form.SceneTiles[O.A], true);
      }
      Form.ActionDelayMs(O.B);
      break;
    case Op::ItemReply:
      SayItemReply(Form);
      break;
    case Op::Refuse:
      Form.SayUseFailReply();
      break;
  }
}

void RunStep(TForm1& Form, const Entry& Chosen, std::size_t Number) {
  if (Number < 1 || Number > Chosen.Steps.size()) return;
  for (const Operation& O : Chosen.Steps[Number - 1]) RunOperation(Form, O);
}

}  // namespace vornu::scripts

void TForm1::SceneActions(std::uint16_t Scene) {
  using namespace vornu::scripts;
  const SceneList* List = ListOf(Scene);
  if (List == nullptr) return;
  const Entry* Chosen = Choose(*this, *List, Scene);
  if (Chosen == nullptr) {
    // Default: the hotspot's own reply, and the action is over.
    if (ActionStep == 1) SayHotspotReply(*this);
    SceneActionIdle = 1;
    return;
  }
  RunStep(*this, *Chosen, ActionStep);
}
