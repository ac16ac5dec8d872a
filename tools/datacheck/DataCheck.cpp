#include "tools/datacheck/DataCheck.h"

#include <algorithm>
#include <array>
#include <exception>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "game/PathFinding.h"
#include "game/SceneFiles.h"
#include "platform/BitmapFont.h"
#include "platform/PictureFile.h"
#include "platform/Text1252.h"
#include "tools/databuild/music/Midi.h"
#include "tools/databuild/scenes/SceneTable.h"

namespace vornu::datacheck {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxReplyChars = 50;
constexpr int kSpeechSurface = 240;

const std::array<const char*, 8> kDirections = {"right", "left",   "up",    "down",
                                                "dleft", "dright", "uleft", "uright"};

std::string Rel(const fs::path& dir, const fs::path& p) {
  return p.lexically_relative(dir).generic_string();
}

// Drawn as the game draws its text line (a shadow at 1, the text at 2 on a surface put at
// 160 - w/2), a text of w pixels keeps every pixel on the 320-pixel screen.
bool FitsTextLine(int w) {
  const int x = 160 - w / 2;
  return x + 1 >= 0 && x + 1 + w <= 319;
}

struct Checker {
  fs::path dir;
  Report r;
  fs::path root;                        // where this language's files lie: dir, or dir/lang/CODE
  bool base = true;                     // the Finnish data with the pictures, maps and songs
  std::string useWord = "K\xE4yt\xE4";  // the held item's caption starts with it
  // For the one-line texts: every hotspot's captions and use name, and the items' names.
  std::vector<std::pair<fs::path, TObjectRecord>> hotspots;
  std::vector<std::string> heldNames;    // item text 5, "Käytä <this> ..."
  std::vector<std::string> targetNames;  // item text 6, "... <this>" in the inventory

  void Problem(const fs::path& p, const std::string& what) {
    r.problems.push_back(Rel(dir, p) + ": " + what);
  }
  void Warn(const fs::path& p, const std::string& what) {
    r.warnings.push_back(Rel(dir, p) + ": " + what);
  }

  bool Exists(const fs::path& p) {
    if (fs::is_regular_file(p)) return true;
    Problem(p, "missing");
    return false;
  }

  // A picture of w x h; a `keyed` one is drawn see-through where it is black, so a dark
  // colour that the 16-bit display turns into black would punch a hole in it.
  void Picture(const fs::path& p, int w, int h, bool keyed = false) {
    if (!Exists(p)) return;
    try {
      const Pixels32 pic = LoadBitmapFile(p.string());
      if (pic.Width != w || pic.Height != h) {
        Problem(p, "is " + std::to_string(pic.Width) + "x" + std::to_string(pic.Height) +
                       ", the game needs " + std::to_string(w) + "x" + std::to_string(h));
      }
      int holes = 0, fx = 0, fy = 0;
      for (int y = 0; keyed && y < pic.Height; ++y)
        for (int x = 0; x < pic.Width; ++x) {
          const std::uint32_t c = pic.At(x, y);
          if (c != 0 && ((c >> 16) & 0xFF) < 8 && ((c >> 8) & 0xFF) < 4 && (c & 0xFF) < 8) {
            if (holes++ == 0) fx = x, fy = y;
          }
        }
      if (holes > 0) {
        Problem(p, std::to_string(holes) + " dark pixel(s), the first at " + std::to_string(fx) +
                       "," + std::to_string(fy) +
                       ", turn see-through on the 16-bit display; use (8, 8, 8) or lighter");
      }
    } catch (const std::exception& e) {
      Problem(p, std::string("not a readable bitmap: ") + e.what());
    }
  }

  std::string Bytes(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
  }

  // Raw lines of a CR LF text file (the reader cuts long lines, so they are measured here).
  std::vector<std::string> Lines(const fs::path& p, const std::string& bytes) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
      const auto end = bytes.find("\r\n", pos);
      if (end == std::string::npos) {
        Problem(p, "line " + std::to_string(out.size() + 1) + " does not end with CR LF");
        out.push_back(bytes.substr(pos));
        break;
      }
      out.push_back(bytes.substr(pos, end - pos));
      pos = end + 2;
    }
    for (std::size_t i = 0; i < out.size(); ++i)
      if (out[i].find('\x1A') != std::string::npos) {
        Problem(p, "line " + std::to_string(i + 1) + " holds byte 26, which ends a text file");
      }
    return out;
  }

  // A speech line as stored: at most 50 characters, and it fits the speech surface.
  void SpeechLine(const fs::path& p, int lineNo, const std::string& line,
                  const std::string& what = "") {
    const std::string text =
        !line.empty() && line.back() == '\xA7' ? line.substr(0, line.size() - 1) : line;
    const std::string where = (what.empty() ? "" : what + ", ") + "line " + std::to_string(lineNo) +
                              " \"" + Cp1252ToUtf8(text) + "\"";
    if (text.empty()) Problem(p, where + ": a reply line is empty");
    if (static_cast<int>(text.size()) > kMaxReplyChars) {
      Problem(p, where + ": " + std::to_string(text.size()) + " characters, at most 50 are kept");
    }
    const int w = font::TextWidth(text);
    // The speech is drawn at 120 - w/2 + 1 on a 240-pixel surface.
    if (120 - w / 2 + 1 < 0 || 120 - w / 2 + 1 + w > kSpeechSurface) {
      Problem(p, where + ": " + std::to_string(w) + " pixels wide, cut on the speech surface");
    }
  }

  // Walks the reply section of raw lines from `i`, checking every reply line; `what(k)` names
  // reply k in reports.
  template <typename NameFn>
  std::size_t Replies(const fs::path& p, const std::vector<std::string>& lines, std::size_t i,
                      int count, NameFn what) {
    for (int k = 0; k < count; ++k) {
      int n = 0;
      for (;;) {
        if (i >= lines.size()) {
          Problem(p, "ends inside the replies");
          return i;
        }
        SpeechLine(p, static_cast<int>(i + 1), lines[i], what(k));
        ++n;
        const bool more = !lines[i].empty() && lines[i].back() == '\xA7';
        ++i;
        if (!more) break;
      }
      if (n > 10) {
        Problem(p, what(k) + ": the reply ending at line " + std::to_string(i) + " has " +
                       std::to_string(n) + " lines, at most 10 are shown");
      }
    }
    return i;
  }

  void TextLine(const fs::path& p, const std::string& text, const std::string& what) {
    const int w = font::TextWidth(text);
    if (!FitsTextLine(w)) {
      Problem(p, what + " \"" + Cp1252ToUtf8(text) + "\" is " + std::to_string(w) +
                     " pixels wide; the text line shows at most 316");
    }
  }

  // Captions, and every "Käytä <item> <target>" line: each held item over every hotspot and
  // over every other item.
  void TextLines() {
    const std::string use = useWord + " ";
    for (const auto& [file, rec] : hotspots) {
      if (file.empty()) continue;
      for (int k = 0; k < 4; ++k)
        TextLine(file, rec.Captions[k],
                 "caption " + std::to_string(k + 1) + " of hotspot " + std::to_string(rec.Hotspot));
      for (std::size_t h = 0; h < heldNames.size(); ++h)
        TextLine(file, use + heldNames[h] + " " + rec.UseName,
                 "item " + std::to_string(h + 1) + " held over hotspot " +
                     std::to_string(rec.Hotspot) + ":");
    }
    for (std::size_t t = 0; t < targetNames.size(); ++t)
      for (std::size_t h = 0; h < heldNames.size(); ++h)
        if (h != t)
          TextLine(
              root / "items" / "items.txt", use + heldNames[h] + " " + targetNames[t],
              "item " + std::to_string(h + 1) + " held over item " + std::to_string(t + 1) + ":");
  }

  void Lines();
  void Scene(int n);
  void Reach(int n, const fs::path& datPath, const THotspotMap& map,
             const std::vector<TObjectRecord>& recs);
  void Items();
  void Sprites();
  void Music();
};

void Checker::Scene(int n) {
  const auto& info = databuild::scenes::Scene(n);
  const fs::path base = dir / "scenes" / ("scene" + std::to_string(n));
  if (this->base) {
    Picture(base.string() + ".bmp", 320, 200);
    for (std::size_t k = 1; k <= info.tiles.size(); ++k) {
      Picture(dir / "scenes" / "tiles" / (info.tilePrefix + std::to_string(k) + ".bmp"),
              info.tiles[k - 1].first, info.tiles[k - 1].second,
              TileIsKeyed(n, static_cast<int>(k)));
    }
  }
  const fs::path datPath = base.string() + ".dat";
  const fs::path objPath = root / "scenes" / ("scene" + std::to_string(n) + ".obj");
  THotspotMap map;
  bool haveMap = false;
  std::set<int> inMap;
  if (this->base && Exists(datPath)) {
    const std::string dat = Bytes(datPath);
    if (dat.size() != 64000) {
      Problem(datPath, std::to_string(dat.size()) + " bytes, the game needs 64000");
    }
    const auto at26 = dat.find('\x1A');
    if (at26 != std::string::npos) {
      Problem(datPath, "hotspot 26 at x " + std::to_string(at26 % 320 + 1) + ", y " +
                           std::to_string(at26 / 320 + 1) + ": byte 26 ends the map there");
    }
    ParseHotspotMap(dat, map);
    haveMap = true;
    for (unsigned char c : dat)
      if (c != 0 && c != 255 && c != 26) inMap.insert(c);
  }
  if (!Exists(objPath)) return;
  const std::string obj = Bytes(objPath);
  std::vector<TObjectRecord> recs;
  try {
    recs = ParseObjectFile(obj, objPath.string());
    // The map has no verb menu and no inventory: only its names are ever shown.
    for (const auto& rec : recs) hotspots.emplace_back(n == 0 ? fs::path() : objPath, rec);
    for (auto& rec : recs)
      if (n == 0)
        TextLine(objPath, rec.Captions[0], "the name of hotspot " + std::to_string(rec.Hotspot));
  } catch (const std::exception& e) {
    Problem(objPath, e.what());
    return;
  }
  // Raw lines: the count, the record lines, 5 text lines per record, then the replies.
  const auto lines = Lines(objPath, obj);
  if (recs.size() > 256) Problem(objPath, "more than 256 records");
  std::size_t i = 1;
  std::set<int> inObj;
  for (std::size_t k = 0; k < recs.size() && i < lines.size(); ++k, ++i) {
    if (lines[i].size() < 13)
      Problem(objPath, "record line " + std::to_string(i + 1) + " is shorter than 13 characters");
    const int h = recs[k].Hotspot;
    if (h < 1 || h > 254 || h == 26)
      Problem(objPath, "hotspot number " + std::to_string(h) + " cannot be in a map");
    if (!inObj.insert(h).second)
      Problem(objPath, "hotspot " + std::to_string(h) + " has two records");
  }
  for (std::size_t k = 0; k < 5 * recs.size() && i < lines.size(); ++k, ++i) {
    if (k < 4 * recs.size() && lines[i].empty()) {
      Problem(objPath, "caption line " + std::to_string(i + 1) + " is empty");
    }
  }
  i = Replies(objPath, lines, i, static_cast<int>(3 * recs.size()), [&](int k) {
    return "hotspot " + std::to_string(recs[static_cast<std::size_t>(k / 3)].Hotspot) + " reply" +
           std::to_string(k % 3 + 2);
  });
  // Left-over lines mean a continued reply lost its "§": every reply after it is misplaced.
  if (i < lines.size()) {
    const std::string what =
        "lines after the last reply are never read (a reply lost its \xC2\xA7?)";
    if (this->base)
      Warn(objPath, what);
    else
      Problem(objPath, what);
  }

  if (!haveMap) return;
  for (int h : inObj)
    if (!inMap.count(h))
      Problem(objPath, "hotspot " + std::to_string(h) + " has a record but is not in the map");
  for (int h : inMap)
    if (!inObj.count(h))
      Problem(datPath, "hotspot " + std::to_string(h) + " has no record in the object file");
  for (int h : RequiredHotspots(n))
    if (!inMap.count(h) || !inObj.count(h)) {
      Problem(base.string() + ".*",
              "hotspot " + std::to_string(h) +
                  " is needed by the game (scripts, travel, item uses) but is missing");
    }
  if (info.pukki) Reach(n, datPath, map, recs);
}

void Checker::Reach(int n, const fs::path& datPath, const THotspotMap& map,
                    const std::vector<TObjectRecord>& recs) {
  std::vector<Entry> entries = FixedEntries(n);
  std::map<int, THotspotWalkPoint> wp;
  for (const auto& rec : recs) wp[rec.Hotspot] = rec.WalkPoint;
  for (const auto& rec : recs) {
    const auto& p = rec.WalkPoint;
    if (!OnMap(p.X, p.Y) || map[p.X][p.Y] != 0) {
      Problem(datPath, "walk point " + std::to_string(p.X) + "," + std::to_string(p.Y) +
                           " of hotspot " + std::to_string(rec.Hotspot) + " is not floor");
    }
  }
  for (int h : CloseUpDoors(n))
    if (wp.count(h)) {
      entries.push_back(
          {wp[h].X, wp[h].Y, "returning from the close-up of hotspot " + std::to_string(h)});
    }
  for (const auto& e : entries) {
    if (!OnMap(e.x, e.y) || map[e.x][e.y] != 0) {
      Problem(datPath, "Pukki stands off the floor at " + std::to_string(e.x) + "," +
                           std::to_string(e.y) + " (" + e.why + ")");
    }
    for (const auto& rec : recs) {
      const auto& p = rec.WalkPoint;
      if (PlanRoute(map, e.x, e.y, p.X, p.Y).Count == 0) {
        Problem(datPath, "the walk point " + std::to_string(p.X) + "," + std::to_string(p.Y) +
                             " of hotspot " + std::to_string(rec.Hotspot) +
                             " cannot be reached from " + std::to_string(e.x) + "," +
                             std::to_string(e.y) + " (" + e.why + ")");
      }
    }
  }
  // From one hotspot to another: the player will try it, but it is not always required.
  for (const auto& from : recs)
    for (const auto& to : recs)
      if (PlanRoute(map, from.WalkPoint.X, from.WalkPoint.Y, to.WalkPoint.X, to.WalkPoint.Y)
              .Count == 0) {
        Warn(datPath, "walking from hotspot " + std::to_string(from.Hotspot) + " to hotspot " +
                          std::to_string(to.Hotspot) + " needs a stop in between");
      }
}

void Checker::Items() {
  Picture(root / "items" / "invent.bmp", 300, 180);
  // Held on the pointer, items are drawn see-through.
  for (int n = 1; base && n <= 13; ++n)
    Picture(dir / "items" / ("item" + std::to_string(n) + ".bmp"), 30, 30, true);
  const fs::path p = root / "items" / "items.txt";
  if (!Exists(p)) return;
  const std::string bytes = Bytes(p);
  TItemFileData data;
  try {
    data = ParseItemFile(bytes, p.string());
    for (int n = 1; n <= 13; ++n) {
      heldNames.push_back(data.Texts[5][n]);
      targetNames.push_back(data.Texts[6][n]);
      for (int k = 1; k <= 4; ++k)
        TextLine(p, data.Texts[k][n],
                 "text " + std::to_string(k) + " of item " + std::to_string(n));
    }
  } catch (const std::exception& e) {
    Problem(p, e.what());
    return;
  }
  const auto lines = Lines(p, bytes);
  int count = 0;
  if (lines.empty() || !ParseDecimal(lines[0], count) || count != 13) {
    Problem(p, "must describe all 13 items");
    return;
  }
  for (std::size_t i = 1; i <= 6 * 13 && i < lines.size(); ++i)
    if (lines[i].empty()) Problem(p, "text line " + std::to_string(i + 1) + " is empty");
  std::size_t i = Replies(p, lines, 1 + 6 * 13, 3 * 13, [](int k) {
    return "item " + std::to_string(k / 3 + 1) + " reply" + std::to_string(k % 3 + 2);
  });
  if (data.UseFailReplyCount == 0)
    Problem(p, "has no refusal replies for items used on the wrong thing");
  for (std::size_t k = 0; k < data.UseFailReplyCount && i + 1 + k < lines.size(); ++k) {
    const std::string& l = lines[i + 1 + k];
    if (!l.empty() && l.back() == '\xA7')
      Problem(p, "refusal line " + std::to_string(i + 2 + k) + " ends with a section sign");
    SpeechLine(p, static_cast<int>(i + 2 + k), l, "refusal " + std::to_string(k + 1));
  }
}

// lines.txt: pairs of records (the Finnish speech, then its translation), a record's lines but
// its last ending in "§"; the caption's first word is the pair whose key is "Käytä".
void Checker::Lines() {
  const fs::path p = root / "lines.txt";
  if (!Exists(p)) return;
  const auto lines = Lines(p, Bytes(p));
  std::vector<std::pair<std::size_t, std::vector<std::string>>> records;  // first line, lines
  bool open = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!open) records.push_back({i + 1, {}});
    const bool more = !lines[i].empty() && lines[i].back() == '\xA7';
    records.back().second.push_back(more ? lines[i].substr(0, lines[i].size() - 1) : lines[i]);
    open = more;
  }
  if (open) Problem(p, "the last record ends with a section sign: its next line is missing");
  if (records.size() % 2 != 0) {
    Problem(p, "the record at line " + std::to_string(records.back().first) +
                   " has no translation after it");
  }
  std::set<std::vector<std::string>> keys;
  bool caption = false;
  for (std::size_t k = 0; k + 1 < records.size(); k += 2) {
    const auto& key = records[k].second;
    const auto& value = records[k + 1].second;
    const std::string what = "speech \"" + Cp1252ToUtf8(key.front()) + "\"";
    if (!keys.insert(key).second) Problem(p, what + " appears twice");
    if (key.size() == 1 && key.front() == "K\xE4yt\xE4") {
      caption = true;
      if (value.size() != 1 || value.front().empty()) {
        Problem(p, "the caption word (after \"K\xC3\xA4yt\xC3\xA4\") must be one line");
      } else {
        useWord = value.front();
      }
      continue;
    }
    for (const auto* rec : {&key, &value}) {
      const std::size_t first = rec == &key ? records[k].first : records[k + 1].first;
      for (std::size_t l = 0; l < rec->size(); ++l) {
        SpeechLine(p, static_cast<int>(first + l), (*rec)[l], what);
      }
      if (rec->size() > 10) {
        Problem(p, what + ": " + std::to_string(rec->size()) + " lines from line " +
                       std::to_string(first) + ", at most 10 are shown");
      }
    }
  }
  if (!caption) Problem(p, "has no translation of the caption word \"K\xC3\xA4yt\xC3\xA4\"");
}

void Checker::Sprites() {
  if (!base) {
    for (const char* f : {"alkukuva", "varoitus", "intro", "theend", "krediit"})
      Picture(root / "sprites" / (std::string(f) + ".bmp"), 320, 200);
    return;
  }
  for (const char* d : kDirections)
    for (int f = 1; f <= 30; ++f) {
      char name[32];
      std::snprintf(name, sizeof name, "%s%02d.bmp", d, f);
      Picture(dir / "sprites" / "pukki" / name, 45, 60, true);
    }
  for (int n = 1; n <= 4; ++n)
    Picture(dir / "sprites" / ("menu" + std::to_string(n) + ".bmp"), 50, 50);
  Picture(dir / "sprites" / "normcurs.bmp", 10, 10, true);
  Picture(dir / "sprites" / "acticurs.bmp", 10, 10, true);
  for (const char* f : {"alkukuva", "varoitus", "intro", "theend", "krediit"})
    Picture(dir / "sprites" / (std::string(f) + ".bmp"), 320, 200);
}

void Checker::Music() {
  for (const char* f : {"music01.mid", "music02.mid"}) {
    const fs::path p = dir / "music" / f;
    if (!Exists(p)) continue;
    std::string why;
    if (!midi::ParseMidiFile(p, why)) Problem(p, "not a Standard MIDI file: " + why);
  }
}

}  // namespace

const std::vector<int>& RequiredHotspots(int n) {
  static const std::vector<std::vector<int>> kTable = {
      {1, 2, 3, 4, 5, 6, 7},           // the map: the seven places
      {7, 8, 9, 10, 12, 13, 14, 254},  // kitchen: cabinets, pantry, door
      {1, 2, 3},                       // cabinet: way back, peg, gloves
      {1, 2},                          // pantry: way back, broom
      {1, 12},                         // shed: door, safe
      {1, 2},                          // safe: way back, key
      {1, 9, 11, 12, 13, 19, 20},      // office
      {1, 2, 3, 4},                    // office cabinet
      {1, 2, 3},                       // ink compartment
      {1, 3, 4},                       // elves' yard
      {3, 15, 16},                     // storeroom
      {1, 2},                          // chest
      {1, 2},                          // shop
      {2, 3, 4, 5, 6},                 // workshop
  };
  return kTable.at(static_cast<std::size_t>(n));
}

const std::vector<Entry>& FixedEntries(int n) {
  static const std::map<int, std::vector<Entry>> kTable = {
      {1, {{171, 152, "the start of the game"}, {183, 133, "arriving from the map"}}},
      {4, {{131, 131, "arriving from the map"}}},
      {6, {{130, 130, "arriving from the map"}}},
      {9, {{141, 181, "arriving from the map"}, {98, 165, "coming out of the storeroom"}}},
      {10, {{110, 195, "coming down the stairs"}, {133, 135, "coming in by the back door"}}},
      {12, {{146, 174, "arriving from the map"}}},
      {13, {{74, 177, "arriving from the map"}}},
  };
  static const std::vector<Entry> kNone;
  auto it = kTable.find(n);
  return it == kTable.end() ? kNone : it->second;
}

bool TileIsKeyed(int n, int k) {
  switch (n) {
    case 1:
      return k <= 7;  // cabinet doors, the pantry door
    case 6:
      return k == 4 || (k >= 6 && k <= 13);  // foreground, nose pegs, printout
    case 7:
      return true;  // the shelves' things
    case 12:
      return true;  // the trader's animation
    default:
      return false;
  }
}

const std::vector<int>& CloseUpDoors(int n) {
  static const std::map<int, std::vector<int>> kTable = {
      {1, {9, 10}}, {4, {12}}, {6, {9, 13}}, {10, {3}}};
  static const std::vector<int> kNone;
  auto it = kTable.find(n);
  return it == kTable.end() ? kNone : it->second;
}

Report CheckGameDir(const fs::path& dir) {
  Report all;
  // The Finnish data, then each language's own files over it.
  std::vector<fs::path> roots{dir};
  std::error_code ec;
  if (fs::is_directory(dir / "lang")) {
    std::vector<fs::path> langs;
    for (const auto& e : fs::directory_iterator(dir / "lang", ec))
      if (e.is_directory() && e.path().filename().string().front() != '.')
        langs.push_back(e.path());
    std::sort(langs.begin(), langs.end());
    roots.insert(roots.end(), langs.begin(), langs.end());
  }
  for (const fs::path& root : roots) {
    Checker c;
    c.dir = dir;
    c.root = root;
    c.base = root == dir;
    if (!c.base) {
      c.Lines();
      if (!fs::is_regular_file(root / "page.json")) c.Problem(root / "page.json", "missing");
    }
    for (int n = 0; n < databuild::scenes::kSceneCount; ++n) c.Scene(n);
    c.Items();
    c.Sprites();
    if (c.base) c.Music();
    c.TextLines();
    all.problems.insert(all.problems.end(), c.r.problems.begin(), c.r.problems.end());
    all.warnings.insert(all.warnings.end(), c.r.warnings.begin(), c.r.warnings.end());
  }
  return all;
}

}  // namespace vornu::datacheck
