// Placeholders for map travel, save and load, scene scripts and item use until they land.
#include "game/Unit1.h"

void TForm1::MapGoto() {}
void TForm1::SaveGame() {}
void TForm1::LoadGame() {}
void TForm1::QuitGame() {}
void TForm1::TheEnd() {}
bool TForm1::S2B(const std::string& Text) const { return Text == "T"; }
char TForm1::B2C(std::uint8_t Flag) const { return Flag != 0 ? 'T' : 'F'; }
void TForm1::SceneActions(std::uint16_t) {}
void TForm1::SceneUseItem(std::uint16_t) {}
