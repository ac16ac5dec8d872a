// The inventory list, the item file and the refusal replies.
#include "game/SceneFiles.h"
#include "game/Unit1.h"

void TForm1::ReadItemDataFile() {
  const std::string Path = LanguageFile("items/items.txt");
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

void TForm1::SayUseFailReply() {
  if (UseFailReplyCount == 0) return;  // nothing to choose from: nothing is said
  std::uniform_int_distribution<int> Pick(0, UseFailReplyCount - 1);
  PukkiSay(UseFailReplies[Pick(Random)]);
}
