// The inventory list, the item file, verbs on items and combining two items.
#include <chrono>

#include "game/SceneFiles.h"
#include "game/Unit1.h"
#include "platform/Text1252.h"

void TForm1::ReadItemDataFile() {
  const std::string Path = "items/items.txt";
  // Parse everything first, so that a broken file changes none of the tables.
  const vornu::TItemFileData Data = vornu::ParseItemFile(vornu::ReadWholeFile(Path), Path);
  ItemTexts = Data.Texts;
  ItemReplies = Data.Replies;
  UseFailReplies = Data.UseFailReplies;
  UseFailReplyCount = Data.UseFailReplyCount;
}

void TForm1::ClearInventory() {
  Inventory.Fill(0);
  InventoryCount = 0;
}

void TForm1::AddItem(std::uint16_t Item) {
  if (InventoryCount >= Inventory.High) return;  // a fourteenth item has nowhere to go
  ++InventoryCount;
  Inventory[InventoryCount] = Item;
}

std::uint16_t TForm1::FindItem(std::uint16_t Item) const {
  for (std::uint16_t P = InventoryCount; P >= 1; --P) {
    if (Inventory[P] == Item) return P;
  }
  return 0;
}

bool TForm1::IsItem(std::uint16_t Item) const {
  return FindItem(Item) > 0;
}

void TForm1::RemoveItem(std::uint16_t Item) {
  const std::uint16_t P = FindItem(Item);
  if (P == 0) return;  // not carried: the list stays as it is
  for (std::uint16_t I = P; I < InventoryCount; ++I) Inventory[I] = Inventory[I + 1];
  --InventoryCount;
}

void TForm1::CheckItemActions() {
  auto Flag = [this](int S, int K) -> std::uint8_t& { return SceneFlags[S][K]; };
  SayStr Speech;
  if (CurrentScene == 6 && Flag(6, 7) && !Flag(6, 8) && SelectedVerb == 2 && ActionItem == 1 &&
      !Flag(6, 6)) {
    RemoveItem(1);
    Flag(6, 6) = 1;
    StringToSayStr("AUUUUTS!! SE SATTU!", Speech);
    PukkiSay(Speech);
  } else if (CurrentScene == 13 && Flag(13, 6) && !Flag(13, 4) && SelectedVerb == 2 &&
             ActionItem == 2 && !Flag(13, 7)) {
    Flag(13, 7) = 1;
    RemoveItem(2);
    StringToSayStr(vornu::W("Noniin, nyt on kädet eristetty."), Speech);
    PukkiSay(Speech);
  } else if (SelectedVerb >= 2 && SelectedVerb <= 4 && ActionItem >= 1 && ActionItem <= 13) {
    PukkiSay(ItemReplies[SelectedVerb][ActionItem]);
  }
  SelectedVerb = 1;
  SceneActionIdle = 1;
  ItemActionIdle = 1;
}

void TForm1::SayUseFailReply() {
  if (UseFailReplyCount == 0) return;  // nothing to choose from: nothing is said
  Random.seed(
      static_cast<std::uint32_t>(std::chrono::system_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<int> Pick(0, UseFailReplyCount - 1);
  PukkiSay(UseFailReplies[Pick(Random)]);
}

void TForm1::DoCompiles() {
  if (HeldItem == 6 && ActionItem == 5) {
    RemoveItem(6);
    RemoveItem(5);
    AddItem(10);
    SayStr Speech;
    StringToSayStr(vornu::W("Doddii, siitä tuli fakebanaani."), Speech);
    PukkiSay(Speech);
  } else {
    SayUseFailReply();
  }
  CombineIdle = 1;
  ActionHotspot = 0;
  ItemInHand = 0;
  HeldItem = 0;
}
