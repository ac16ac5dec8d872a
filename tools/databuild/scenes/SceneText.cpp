#include "tools/databuild/scenes/SceneText.h"

#include <charconv>
#include <cstdio>
#include <map>
#include <set>
#include <sstream>
#include <stdexcept>

#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"

namespace vornu::databuild::scenes {

namespace {

constexpr char kSection = '\xA7';  // "§" in Windows-1252

std::string Trim(const std::string& s) {
  const auto a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return "";
  const auto b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

int ParseInt(const std::string& s, int lo, int hi, const std::filesystem::path& file, int line,
             const std::string& what) {
  int v = 0;
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size() || v < lo || v > hi) {
    throw BuildError(file, line,
                     what + " must be a number " + std::to_string(lo) + ".." + std::to_string(hi) +
                         ", got \"" + s + "\"");
  }
  return v;
}

int ParseFacing(const std::string& s, const std::filesystem::path& file, int line) {
  static const std::map<std::string, int> kNames = {{"up", 0},     {"uright", 1}, {"right", 2},
                                                    {"dright", 3}, {"down", 4},   {"dleft", 5},
                                                    {"left", 6},   {"uleft", 7}};
  if (auto it = kNames.find(s); it != kNames.end()) return it->second;
  return ParseInt(s, 0, 7, file, line, "the facing");
}

std::string To1252(const std::string& utf8, const std::filesystem::path& file, int line) {
  std::string out;
  try {
    out = Utf8To1252(utf8);
  } catch (const std::invalid_argument& e) {
    throw BuildError(file, line, e.what());
  }
  for (unsigned char c : out)
    if (c < 32 || c == 127) {
      throw BuildError(file, line, "control character " + std::to_string(c) + " in a text");
    }
  return out;
}

}  // namespace

std::vector<HotspotRecord> ParseSceneText(const std::string& utf8,
                                          const std::filesystem::path& file) {
  std::vector<HotspotRecord> out;
  std::set<int> seen;
  std::set<std::string> given;
  std::istringstream in(utf8);
  int line = 0;
  int lastReply = -1;  // the reply a continuation line extends
  auto finish = [&]() {
    if (out.empty()) return;
    static const char* kKeys[] = {"walk", "name",   "verb2",  "verb3", "verb4",
                                  "use",  "reply2", "reply3", "reply4"};
    for (const char* k : kKeys)
      if (!given.count(k)) {
        throw BuildError(file, out.back().line,
                         "hotspot " + std::to_string(out.back().number) + " has no `" + k + "`");
      }
  };
  for (std::string raw; std::getline(in, raw);) {
    ++line;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (line == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);  // editors' BOM
    const std::string t = Trim(raw);
    if (t.empty() || t[0] == '#') continue;
    if (raw[0] == ' ' || raw[0] == '\t') {
      if (lastReply < 0) throw BuildError(file, line, "an indented line continues only a reply");
      out.back().replies[static_cast<std::size_t>(lastReply)].append(" ").append(
          To1252(t, file, line));
      continue;
    }
    lastReply = -1;
    if (t[0] == '[') {
      if (t.back() != ']') throw BuildError(file, line, "a record header looks like [12]");
      finish();
      HotspotRecord r;
      r.line = line;
      r.number = ParseInt(t.substr(1, t.size() - 2), 1, 254, file, line, "a hotspot number");
      if (r.number == 26) {
        throw BuildError(file, line, "hotspot 26 cannot be used: byte 26 ends a hotspot map");
      }
      if (!seen.insert(r.number).second) {
        throw BuildError(file, line, "hotspot " + std::to_string(r.number) + " appears twice");
      }
      out.push_back(r);
      given.clear();
      continue;
    }
    if (out.empty()) throw BuildError(file, line, "text before the first [N] record header");
    const auto sp = t.find_first_of(" \t");
    const std::string key = t.substr(0, sp);
    const std::string value = sp == std::string::npos ? "" : Trim(t.substr(sp));
    HotspotRecord& r = out.back();
    if (!given.insert(key).second) throw BuildError(file, line, "`" + key + "` given twice");
    if (value.empty()) throw BuildError(file, line, "`" + key + "` needs a value");
    if (key == "walk") {
      std::istringstream w(value);
      std::string xs, ys, fs, extra;
      w >> xs >> ys >> fs;
      if (fs.empty() || (w >> extra)) {
        throw BuildError(file, line, "walk needs: walk X Y FACING");
      }
      r.x = ParseInt(xs, 1, 320, file, line, "walk x");
      r.y = ParseInt(ys, 1, 200, file, line, "walk y");
      r.facing = ParseFacing(fs, file, line);
    } else if (key == "name" || key == "verb2" || key == "verb3" || key == "verb4" ||
               key == "use") {
      std::string& dst = key == "name"    ? r.name
                         : key == "verb2" ? r.verb2
                         : key == "verb3" ? r.verb3
                         : key == "verb4" ? r.verb4
                                          : r.use;
      dst = To1252(value, file, line);
    } else if (key == "reply2" || key == "reply3" || key == "reply4") {
      lastReply = key[5] - '2';
      r.replies[static_cast<std::size_t>(lastReply)] = To1252(value, file, line);
      r.replyLines[static_cast<std::size_t>(lastReply)] = line;
    } else {
      throw BuildError(file, line, "unknown key \"" + key + "\"");
    }
  }
  finish();
  return out;
}

std::vector<std::string> WrapReply(const std::string& text, const std::filesystem::path& file,
                                   int line, const TextWidthFn& width) {
  if (text.find(kSection) != std::string::npos) {
    throw BuildError(file, line, "a reply may not contain \xC2\xA7: it marks continued lines");
  }
  auto fits = [&](const std::string& s) {
    if (static_cast<int>(s.size()) > kReplyMaxChars) return false;
    if (width) return width(s) <= kReplyMaxWidth;
    return static_cast<int>(s.size()) <= kFallbackChars;
  };
  std::vector<std::string> lines;
  // A lone "/" forces a break; the pieces between are wrapped word by word.
  std::vector<std::vector<std::string>> pieces(1);
  {
    std::istringstream ws(text);
    for (std::string w; ws >> w;) {
      if (w == "/")
        pieces.emplace_back();
      else
        pieces.back().push_back(w);
    }
  }
  // Balanced wrapping: among the breaks that fit, the one with the least ragged right
  // edge, so that a reply never ends with a lonely word on its own line.
  auto measure = [&](const std::string& s) {
    return width ? width(s) : static_cast<int>(s.size()) * kReplyMaxWidth / kFallbackChars;
  };
  for (const auto& words : pieces) {
    if (words.empty()) throw BuildError(file, line, "a reply has an empty line");
    for (const auto& w : words)
      if (!fits(w)) {
        throw BuildError(file, line, "the word \"" + Cp1252ToUtf8(w) + "\" is too long for a line");
      }
    const std::size_t n = words.size();
    constexpr long long kInf = 1LL << 60;
    std::vector<long long> cost(n + 1, kInf);
    std::vector<std::size_t> from(n + 1, 0);
    cost[0] = 0;
    for (std::size_t end = 1; end <= n; ++end) {
      std::string cur;
      for (std::size_t start = end; start-- > 0;) {
        cur = cur.empty() ? words[start] : words[start] + " " + cur;
        if (!fits(cur)) break;
        if (cost[start] == kInf) continue;
        const long long slack = kReplyMaxWidth - measure(cur);
        // One line more costs as much as a badly ragged line, so lines stay few.
        const long long c = cost[start] + slack * slack + kReplyMaxWidth * kReplyMaxWidth / 4;
        if (c < cost[end]) {
          cost[end] = c;
          from[end] = start;
        }
      }
    }
    std::vector<std::string> pieceLines;
    for (std::size_t end = n; end > 0; end = from[end]) {
      std::string l;
      for (std::size_t i = from[end]; i < end; ++i) l += (l.empty() ? "" : " ") + words[i];
      pieceLines.insert(pieceLines.begin(), l);
    }
    lines.insert(lines.end(), pieceLines.begin(), pieceLines.end());
  }
  if (static_cast<int>(lines.size()) > kReplyMaxLines) {
    throw BuildError(
        file, line,
        "the reply needs " + std::to_string(lines.size()) + " lines; at most 10 fit in a speech");
  }
  return lines;
}

std::string WriteObjectFile(const std::vector<HotspotRecord>& records,
                            const std::filesystem::path& file, const TextWidthFn& width) {
  std::string out;
  auto put = [&out](const std::string& s) { out += s + "\r\n"; };
  put(std::to_string(records.size()));
  for (const auto& r : records) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%03d %03d %03d %d", r.number, r.x, r.y, r.facing);
    put(buf);
  }
  for (const auto& r : records) {
    put(r.name);
    put(r.verb2);
    put(r.verb3);
    put(r.verb4);
  }
  for (const auto& r : records) put(r.use);
  for (const auto& r : records)
    for (std::size_t v = 0; v < 3; ++v) {
      const auto lines = WrapReply(r.replies[v], file, r.replyLines[v], width);
      for (std::size_t i = 0; i < lines.size(); ++i)
        put(i + 1 < lines.size() ? lines[i] + kSection : lines[i]);
    }
  return out;
}

}  // namespace vornu::databuild::scenes
