#include "tools/databuild/items/ItemText.h"

#include <charconv>
#include <map>
#include <sstream>
#include <stdexcept>

#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/scenes/SceneText.h"

namespace vornu::databuild::items {
namespace {

constexpr char kSection = '\xA7';  // "§" in Windows-1252

const std::map<std::string, int>& TextKeys() {
  static const std::map<std::string, int> keys = {{"name", 0},  {"verb2", 1}, {"verb3", 2},
                                                  {"verb4", 3}, {"use", 4},   {"target", 5}};
  return keys;
}

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const auto b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

std::string To1252(const std::string& utf8, const std::filesystem::path& file, int line) {
  std::string out;
  try {
    out = Utf8To1252(utf8);
  } catch (const std::invalid_argument& e) {
    throw BuildError(file, line, e.what());
  }
  for (unsigned char c : out) {
    if (c < 32 || c == 127) {
      throw BuildError(file, line, "control character " + std::to_string(c) + " in a text");
    }
  }
  return out;
}

int Width(const TextWidthFn& width, const std::string& s) {
  // Without the font, assume the widest plausible glyphs so that nothing passes unchecked.
  return width ? width(s) : static_cast<int>(s.size()) * 8;
}

}  // namespace

ItemSource ParseItemText(const std::string& utf8, const std::filesystem::path& file) {
  ItemSource src;
  std::istringstream in(utf8);
  int line = 0;
  int lastReply = -1;  // the reply an indented line continues
  bool inRefusals = false;
  std::array<bool, 9> given{};
  auto finishItem = [&]() {
    if (src.items.empty() || inRefusals) return;
    static const char* kKeys[] = {"name",   "verb2",  "verb3",  "verb4", "use",
                                  "target", "reply2", "reply3", "reply4"};
    for (std::size_t k = 0; k < given.size(); ++k) {
      if (!given[k]) {
        throw BuildError(
            file, src.items.back().line,
            "item " + std::to_string(src.items.back().number) + " has no `" + kKeys[k] + "`");
      }
    }
  };
  for (std::string raw; std::getline(in, raw);) {
    ++line;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    const std::string t = Trim(raw);
    if (t.empty() || t[0] == '#') continue;
    if (raw[0] == ' ' || raw[0] == '\t') {
      if (lastReply < 0) throw BuildError(file, line, "an indented line continues only a reply");
      src.items.back().replies[static_cast<std::size_t>(lastReply)].append(" ").append(
          To1252(t, file, line));
      continue;
    }
    lastReply = -1;
    if (t == "[refusals]") {
      finishItem();
      if (inRefusals) throw BuildError(file, line, "a second [refusals] section");
      inRefusals = true;
      continue;
    }
    if (t[0] == '[') {
      if (inRefusals) throw BuildError(file, line, "items come before the [refusals] section");
      if (t.back() != ']') throw BuildError(file, line, "an item header looks like [7]");
      finishItem();
      const std::string digits = t.substr(1, t.size() - 2);
      int number = 0;
      auto [p, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
      const int expected = static_cast<int>(src.items.size()) + 1;
      if (ec != std::errc() || p != digits.data() + digits.size() || number != expected) {
        throw BuildError(file, line,
                         "expected item [" + std::to_string(expected) + "] here, got " + t +
                             " (items are numbered 1.." + std::to_string(kItemCount) +
                             " in order)");
      }
      ItemRecord r;
      r.number = number;
      r.line = line;
      src.items.push_back(r);
      given.fill(false);
      continue;
    }
    if (inRefusals) {
      if (t[0] != '-') throw BuildError(file, line, "a refusal line starts with \"- \"");
      const std::string text = Trim(t.substr(1));
      if (text.empty()) throw BuildError(file, line, "an empty refusal");
      if (static_cast<int>(src.refusals.size()) == kMaxRefusals) {
        throw BuildError(file, line, "more than 30 refusals; the game keeps 30");
      }
      src.refusals.push_back(To1252(text, file, line));
      src.refusalLines.push_back(line);
      continue;
    }
    if (src.items.empty()) throw BuildError(file, line, "text before the first [1] item header");
    const auto sp = t.find_first_of(" \t");
    const std::string key = t.substr(0, sp);
    const std::string value = sp == std::string::npos ? "" : Trim(t.substr(sp));
    ItemRecord& r = src.items.back();
    int slot = -1;
    if (auto it = TextKeys().find(key); it != TextKeys().end()) {
      slot = it->second;
    } else if (key == "reply2" || key == "reply3" || key == "reply4") {
      slot = 6 + (key[5] - '2');
    } else {
      throw BuildError(file, line, "unknown key \"" + key + "\"");
    }
    if (given[static_cast<std::size_t>(slot)]) {
      throw BuildError(file, line, "`" + key + "` given twice");
    }
    given[static_cast<std::size_t>(slot)] = true;
    if (value.empty()) throw BuildError(file, line, "`" + key + "` needs a value");
    const std::string text = To1252(value, file, line);
    if (slot < 6) {
      if (text.find(kSection) != std::string::npos) {
        throw BuildError(file, line, "\xC2\xA7 belongs only in replies' continuation marks");
      }
      r.texts[static_cast<std::size_t>(slot)] = text;
    } else {
      lastReply = slot - 6;
      r.replies[static_cast<std::size_t>(lastReply)] = text;
      r.replyLines[static_cast<std::size_t>(lastReply)] = line;
    }
  }
  finishItem();
  if (static_cast<int>(src.items.size()) != kItemCount) {
    throw BuildError(file, line,
                     "the file describes " + std::to_string(src.items.size()) +
                         " items; the game has " + std::to_string(kItemCount));
  }
  if (src.refusals.empty()) {
    throw BuildError(file, line, "no [refusals]: a failed use needs something to say");
  }
  return src;
}

std::string WriteItemFile(const ItemSource& source, const std::filesystem::path& file,
                          const TextWidthFn& width, const std::string& useWord) {
  if (source.items.size() > static_cast<std::size_t>(kItemCount) ||
      source.refusals.size() > static_cast<std::size_t>(kMaxRefusals) ||
      source.refusals.size() != source.refusalLines.size()) {
    throw BuildError(file, 0, "too many items or refusals for the game's tables");
  }
  // Everything on the text line must fit it: names, captions and every "Käytä" pairing.
  const std::string use = useWord + " ";
  for (const ItemRecord& r : source.items) {
    for (std::size_t k = 0; k < 4; ++k) {
      if (Width(width, r.texts[k]) > kTextLineWidth) {
        throw BuildError(file, r.line,
                         "\"" + Cp1252ToUtf8(r.texts[k]) + "\" is wider than the text line");
      }
    }
    for (const ItemRecord& target : source.items) {
      const std::string shown = use + r.texts[4] + " " + target.texts[5];
      if (Width(width, shown) > kTextLineWidth) {
        throw BuildError(file, r.line,
                         "\"" + Cp1252ToUtf8(shown) + "\" is wider than the text line");
      }
    }
  }
  std::string out;
  auto put = [&out](const std::string& s) { out += s + "\r\n"; };
  put(std::to_string(source.items.size()));
  for (const ItemRecord& r : source.items) {
    for (const std::string& t : r.texts) put(t);
  }
  const scenes::TextWidthFn sceneWidth = width;
  for (const ItemRecord& r : source.items) {
    for (std::size_t v = 0; v < 3; ++v) {
      const std::vector<std::string> lines =
          scenes::WrapReply(r.replies[v], file, r.replyLines[v], sceneWidth);
      for (std::size_t i = 0; i < lines.size(); ++i) {
        put(i + 1 < lines.size() ? lines[i] + kSection : lines[i]);
      }
    }
  }
  put(std::to_string(source.refusals.size()));
  for (std::size_t i = 0; i < source.refusals.size(); ++i) {
    // A refusal is a single speech line: wrapping it would silently lose the rest.
    const std::vector<std::string> lines =
        scenes::WrapReply(source.refusals[i], file, source.refusalLines[i], sceneWidth);
    if (lines.size() != 1) {
      throw BuildError(file, source.refusalLines[i],
                       "a refusal must fit one speech line (50 characters, " +
                           std::to_string(scenes::kReplyMaxWidth) + " pixels)");
    }
    put(lines[0]);
  }
  return out;
}

}  // namespace vornu::databuild::items
