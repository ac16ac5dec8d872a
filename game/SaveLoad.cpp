// The saved game (savegame.dat), loading it back, quitting, and closing the form (also when
// start-up fails).
#include <charconv>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "engine/SuperTimer.h"
#include "game/SpeechText.h"
#include "game/Unit1.h"
#include "platform/Classes.h"
#include "platform/FileAccess.h"
#include "platform/MessageBox.h"
#include "platform/Text1252.h"

namespace {

const char* const SaveFileName = "savegame.dat";
constexpr std::size_t SaveLineCount = 3018;

[[noreturn]] void Fail(const std::string& What) {
  throw EInOutError(std::string(SaveFileName) + ": " + What);
}

// The decimal conversion of the run-time: optional leading blanks, an optional sign, digits,
// nothing after them.
bool ParseInteger(const std::string& Text, long long& Value) {
  std::size_t I = 0;
  while (I < Text.size() && Text[I] == ' ') ++I;
  const char* First = Text.data() + I;
  const char* Last = Text.data() + Text.size();
  if (First < Last && *First == '+') {
    ++First;
    if (First < Last && *First == '-') return false;
  }
  if (First == Last) return false;
  auto [End, Error] = std::from_chars(First, Last, Value);
  return Error == std::errc() && End == Last;
}

// Everything the save file holds, read and checked in full before any of it is used.
struct TSavedGame {
  std::uint8_t Direction = 0;
  std::int32_t X = 0, Y = 0;
  std::uint16_t Scene = 0;
  vornu::Array<vornu::Array<std::uint8_t, 1, 100>, 1, 20> Flags;
  vornu::Array<vornu::Array<std::uint8_t, 1, 50>, 1, 20> Hidden;
  vornu::Array<std::uint16_t, 1, 13> Inventory;
  std::uint16_t Count = 0;
};

class TSaveReader {
 public:
  explicit TSaveReader(std::vector<std::string> Lines) : Lines_(std::move(Lines)) {}

  // The integer on line N (1-based), which must lie in Lo..Hi.
  long long Number(std::size_t N, long long Lo, long long Hi, const char* What) const {
    long long Value = 0;
    if (!ParseInteger(Lines_[N - 1], Value)) {
      Fail("line " + std::to_string(N) + ": " + What + " \"" + vornu::Cp1252ToUtf8(Lines_[N - 1]) +
           "\" is not an integer");
    }
    if (Value < Lo || Value > Hi) {
      Fail("line " + std::to_string(N) + ": " + What + " " + std::to_string(Value) +
           " is outside " + std::to_string(Lo) + ".." + std::to_string(Hi));
    }
    return Value;
  }

  const std::string& Line(std::size_t N) const { return Lines_[N - 1]; }

 private:
  std::vector<std::string> Lines_;
};

// The save file's lines, or none when there is no saved game.
std::optional<std::vector<std::string>> ReadLines() {
  // A saved game is about 9 KB; a file beyond this is not read into memory at all.
  constexpr std::size_t kMaxBytes = 1 << 20;
  std::string Text;
  try {
    Text = vornu::ReadFileText(SaveFileName, kMaxBytes);
  } catch (const vornu::EFileAccess& E) {
    if (E.Fault() == vornu::EFileAccess::TFault::Missing) return std::nullopt;
    if (E.Fault() == vornu::EFileAccess::TFault::TooLarge) {
      Fail("the file is larger than 1 MiB, far more than a saved game");
    }
    throw;
  }
  std::vector<std::string> Lines;
  std::size_t Start = 0;
  while (Start < Text.size()) {
    std::size_t Stop = Text.find('\n', Start);
    if (Stop == std::string::npos) Stop = Text.size();
    std::string Line = Text.substr(Start, Stop - Start);
    if (!Line.empty() && Line.back() == '\r') Line.pop_back();
    Lines.push_back(std::move(Line));
    Start = Stop + 1;
  }
  return Lines;
}

}  // namespace

bool TForm1::S2B(const std::string& Text) const {
  return Text == "T";
}

char TForm1::B2C(std::uint8_t Flag) const {
  return Flag != 0 ? 'T' : 'F';
}

void TForm1::SaveGame() {
  std::string Data;
  Data.reserve(SaveLineCount * 4);
  auto Put = [&Data](const std::string& Line) {
    Data += Line;
    Data += "\r\n";
  };
  Put(std::to_string(PukkiDirection));
  Put(std::to_string(PukkiX));
  Put(std::to_string(PukkiY));
  Put(std::to_string(CurrentScene));
  for (long S = 1; S <= 20; ++S)
    for (long K = 1; K <= 100; ++K) Put(std::string(1, B2C(SceneFlags[S][K])));
  for (long S = 1; S <= 20; ++S)
    for (long H = 1; H <= 50; ++H) Put(std::string(1, B2C(HotspotHidden[S][H])));
  for (long N = 1; N <= 13; ++N) Put(std::to_string(Inventory[N]));
  Put(std::to_string(InventoryCount));
  vornu::ReplaceFile(SaveFileName, Data);

  InventoryOpen = 0;
  ItemInHand = 0;
  UseItemIdle = 1;
  CombineIdle = 1;
  PukkiSay(vornu::MakeSpeech(Catalogue, {"Peli tallennettu."}));
}

void TForm1::LoadGame() {
  std::optional<std::vector<std::string>> Read = ReadLines();
  if (!Read) {
    InventoryOpen = 0;
    ItemInHand = 0;
    UseItemIdle = 1;
    CombineIdle = 1;
    PukkiSay(
        vornu::MakeSpeech(Catalogue, {"Ethän sää oo tallentanu peliä",
                                      "kertaakaan. Miten kuvittelet", "että pystyis lataan??."}));
    return;
  }

  std::vector<std::string> Lines = std::move(*Read);
  if (Lines.size() < SaveLineCount) {
    Fail("the file has " + std::to_string(Lines.size()) + " lines instead of " +
         std::to_string(SaveLineCount));
  }
  TSaveReader R(std::move(Lines));
  TSavedGame G;
  G.Direction = static_cast<std::uint8_t>(R.Number(1, 0, 7, "direction"));
  // Pukki's feet (the sprite corner plus 21, 52) must lie on the 320 x 200 screen.
  G.X = static_cast<std::int32_t>(R.Number(2, -21, 319 - 21, "Pukki's x"));
  G.Y = static_cast<std::int32_t>(R.Number(3, -52, 199 - 52, "Pukki's y"));
  G.Scene = static_cast<std::uint16_t>(R.Number(4, 1, 13, "scene"));
  std::size_t N = 5;
  for (long S = 1; S <= 20; ++S)
    for (long K = 1; K <= 100; ++K) G.Flags[S][K] = S2B(R.Line(N++)) ? 1 : 0;
  for (long S = 1; S <= 20; ++S)
    for (long H = 1; H <= 50; ++H) G.Hidden[S][H] = S2B(R.Line(N++)) ? 1 : 0;
  for (long I = 1; I <= 13; ++I) {
    G.Inventory[I] = static_cast<std::uint16_t>(R.Number(N++, 0, 13, "inventory entry"));
  }
  G.Count = static_cast<std::uint16_t>(R.Number(N, 0, 13, "item count"));
  for (long I = 1; I <= G.Count; ++I) {
    if (G.Inventory[I] == 0) {
      Fail("line " + std::to_string(3004 + I) + ": carried item " + std::to_string(I) + " of " +
           std::to_string(G.Count) + " is empty");
    }
  }

  PukkiDirection = G.Direction;
  PukkiX = G.X;
  PukkiY = G.Y;
  CurrentScene = G.Scene;
  SceneFlags = G.Flags;
  HotspotHidden = G.Hidden;
  Inventory = G.Inventory;
  InventoryCount = G.Count;

  InventoryOpen = 0;
  ItemInHand = 0;
  UseItemIdle = 1;
  CombineIdle = 1;
  PukkiTargetX = PukkiX;
  PukkiTargetY = PukkiY;
  WalkDone = 1;
  SceneActionIdle = 1;
  LoadScene(CurrentScene);
  PukkiSay(vornu::MakeSpeech(Catalogue, {"Peli ladattu."}));
}

void TForm1::QuitGame() {
  for (long D = 0; D <= 7; ++D)
    for (long F = 1; F <= 30; ++F) PukkiFrames[D][F].reset();
  BitmapLoader.reset();
  for (long C = 1; C <= 2; ++C) CursorPictures[C].reset();
  SceneBackground.reset();
  for (long M = 1; M <= 4; ++M) MenuPictures[M].reset();
  TextLineSurface.reset();
  SpeechSurface.reset();
  CloseForm();
}

void TForm1::TheEnd() {
  CloseForm();
}

void TForm1::FailStartup(const std::string& Message) {
  StartupError = Message;
  vornu::ShowErrorBox("Vornu", "Vornu cannot start: " + Message);
  CloseForm();
}

void TForm1::CloseForm() {
  if (Timer1) Timer1->SetEnabled(false);
  Close();
}
