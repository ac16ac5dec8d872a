// The saved game (savegame.dat), loading it back, quitting, and closing the form (also when
// start-up fails).
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/GX.h"
#include "engine/SuperTimer.h"
#include "game/SpeechText.h"
#include "game/Unit1.h"
#include "platform/Classes.h"
#include "platform/MessageBox.h"
#include "platform/Text1252.h"

namespace {

const char* const SaveFileName = "savegame.dat";
constexpr std::size_t SaveLineCount = 3018;

[[noreturn]] void Fail(const std::string& What) {
  throw EInOutError(std::string(SaveFileName) + ": " + What);
}

[[noreturn]] void FailErrno(const std::string& What) {
  Fail(What + ": " + std::strerror(errno));
}

// Writes all of Data to the descriptor, however the system splits the writes.
void WriteAll(int Fd, const std::string& Data) {
  std::size_t Done = 0;
  while (Done < Data.size()) {
    ssize_t N = ::write(Fd, Data.data() + Done, Data.size() - Done);
    if (N < 0) {
      if (errno == EINTR) continue;
      FailErrno("cannot write the saved game");
    }
    Done += static_cast<std::size_t>(N);
  }
}

// Removes what saves killed halfway (a power cut, the process killed) left behind: temporary
// files old enough that no save can still be writing them. Best effort.
void RemoveStaleTempFiles() {
  namespace fs = std::filesystem;
  const std::string Prefix = std::string(SaveFileName) + ".";
  const auto Before = fs::file_time_type::clock::now() - std::chrono::minutes(1);
  std::error_code E;
  for (fs::directory_iterator It(".", E), End; !E && It != End; It.increment(E)) {
    const std::string Name = It->path().filename().string();
    if (Name.size() != Prefix.size() + 6 || Name.compare(0, Prefix.size(), Prefix) != 0) continue;
    std::error_code Ignored;
    if (It->is_regular_file(Ignored) && !It->is_symlink(Ignored) &&
        fs::last_write_time(It->path(), Ignored) < Before) {
      fs::remove(It->path(), Ignored);
    }
  }
}

// Replaces the save file with Data, or leaves the previous file exactly as it was: the data
// goes to a new file beside it, reaches the disk, and only then takes the old file's name.
void ReplaceFileAtomically(const std::string& Data) {
  std::string Temp = std::string(SaveFileName) + ".XXXXXX";
  int Fd = ::mkstemp(Temp.data());
  if (Fd < 0) FailErrno("cannot create a temporary file for saving");
  try {
    ::fchmod(Fd, 0644);
    WriteAll(Fd, Data);
    if (::fsync(Fd) != 0) FailErrno("cannot flush the saved game to disk");
    if (::close(Fd) != 0) {
      Fd = -1;
      FailErrno("cannot close the saved game");
    }
    Fd = -1;
    if (std::rename(Temp.c_str(), SaveFileName) != 0) FailErrno("cannot replace the saved game");
    // The new name itself reaches the disk too (best effort: the save is already whole).
    const int Dir = ::open(".", O_RDONLY | O_DIRECTORY);
    if (Dir >= 0) {
      ::fsync(Dir);
      ::close(Dir);
    }
    RemoveStaleTempFiles();
  } catch (...) {
    if (Fd >= 0) ::close(Fd);
    ::unlink(Temp.c_str());
    throw;
  }
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

std::vector<std::string> ReadLines() {
  std::ifstream In(SaveFileName, std::ios::binary);
  if (!In) FailErrno("cannot open the saved game");
  // A saved game is about 9 KB; a file beyond this is not read into memory at all.
  constexpr std::size_t kMaxBytes = 1 << 20;
  std::string Text;
  char Piece[4096];
  while (In.read(Piece, sizeof Piece) || In.gcount() > 0) {
    Text.append(Piece, static_cast<std::size_t>(In.gcount()));
    if (Text.size() > kMaxBytes) Fail("the file is larger than 1 MiB, far more than a saved game");
  }
  if (In.bad()) FailErrno("cannot read the saved game");
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
  ReplaceFileAtomically(Data);

  InventoryOpen = 0;
  ItemInHand = 0;
  UseItemIdle = 1;
  CombineIdle = 1;
  PukkiSay(vornu::MakeSpeech({"Peli tallennettu."}));
}

void TForm1::LoadGame() {
  struct stat Info;
  if (::stat(SaveFileName, &Info) != 0 && errno == ENOENT) {
    InventoryOpen = 0;
    ItemInHand = 0;
    UseItemIdle = 1;
    CombineIdle = 1;
    PukkiSay(vornu::MakeSpeech({"Ethän sää oo tallentanu peliä", "kertaakaan. Miten kuvittelet",
                                "että pystyis lataan??."}));
    return;
  }

  std::vector<std::string> Lines = ReadLines();
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
  PukkiSay(vornu::MakeSpeech({"Peli ladattu."}));
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
