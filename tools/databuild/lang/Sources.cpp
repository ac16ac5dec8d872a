#include "tools/databuild/lang/Sources.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "platform/FileAccess.h"
#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/items/ItemText.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/databuild/scenes/SceneText.h"
#include "tools/databuild/sprites/Art.h"

namespace vornu::databuild::lang {

namespace fs = std::filesystem;

namespace {

// A source is a few kilobytes of text; far more is no source.
constexpr std::size_t kMaxSourceBytes = 4 << 20;

const char* const kCaptionNote =
    "On the text line at the bottom of the screen: at most 316 pixels of the game's font "
    "(about 50 characters).";
const char* const kReplyNote =
    "Speech: wrapped into lines of at most 50 characters (236 pixels), at most 10 lines. "
    "A lone \"/\" forces a line break.";

class Gatherer {
 public:
  explicit Gatherer(fs::path root) : root_(std::move(root)) {}

  void Add(const std::string& context, const std::string& id, const fs::path& file, int line,
           const std::string& note) {
    const std::string rel = file.lexically_relative(root_).generic_string();
    const auto [it, fresh] = index_.try_emplace({context, id}, out_.size());
    if (fresh) out_.push_back({context, id, note, {}});
    out_[it->second].refs.emplace_back(rel, line);
  }
  // Windows-1252 texts of the parsers go into the template as UTF-8.
  void Add1252(const std::string& context, const std::string& text, const fs::path& file, int line,
               const std::string& note) {
    Add(context, Cp1252ToUtf8(text), file, line, note);
  }
  std::vector<TemplateMessage> Take() { return std::move(out_); }

 private:
  fs::path root_;
  std::vector<TemplateMessage> out_;
  std::map<std::pair<std::string, std::string>, std::size_t> index_;
};

bool IdentChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

void SkipSpace(const std::string& t, std::size_t& i) {
  while (i < t.size() && std::isspace(static_cast<unsigned char>(t[i]))) ++i;
}

// Reads the literal starting at t[i] (a quote); false when it does not end on its line.
bool ReadLiteral(const std::string& t, std::size_t& i, std::string& out, const fs::path& file,
                 int line) {
  const char quote = t[i++];
  while (i < t.size() && t[i] != quote) {
    if (t[i] == '\n') return false;
    if (t[i] != '\\') {
      out += t[i++];
      continue;
    }
    if (++i >= t.size()) return false;
    switch (t[i]) {
      case '"':
      case '\'':
      case '\\':
        out += t[i];
        break;
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      default:
        throw BuildError(file, line,
                         std::string("an escape \\") + t[i] + " in a text: write the character");
    }
    ++i;
  }
  if (i >= t.size()) return false;
  ++i;
  return true;
}

// Literals (joined when adjacent) separated by commas, up to `close`.
bool ReadLiterals(const std::string& t, std::size_t& i, char close, std::vector<std::string>& out,
                  const fs::path& file, int line) {
  bool wantLiteral = true;
  for (;;) {
    SkipSpace(t, i);
    if (i >= t.size()) return false;
    if (t[i] == close) return !out.empty() && !wantLiteral;
    if (t[i] == '"' || t[i] == '\'') {
      std::string lit;
      if (!ReadLiteral(t, i, lit, file, line)) return false;
      if (wantLiteral)
        out.push_back(lit);
      else
        out.back() += lit;
      wantLiteral = false;
    } else if (t[i] == ',' && !wantLiteral && close == '}') {
      wantLiteral = true;
      ++i;
    } else {
      return false;
    }
  }
}

std::string Joined(const std::vector<std::string>& lines) {
  std::string s;
  for (const auto& l : lines) s += (s.empty() ? "" : "\n") + l;
  return s;
}

std::string Read(const fs::path& p) {
  return ReadFileText(p.string(), kMaxSourceBytes);
}

}  // namespace

std::vector<LiteralCall> FindLiteralCalls(const std::string& text,
                                          const std::vector<std::string>& names,
                                          const fs::path& file) {
  std::vector<LiteralCall> calls;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (at > 0 && IdentChar(text[at - 1])) continue;
    for (const std::string& name : names) {
      if (text.compare(at, name.size(), name) != 0) continue;
      std::size_t i = at + name.size();
      if (i < text.size() && IdentChar(text[i])) continue;
      SkipSpace(text, i);
      if (i >= text.size() || text[i] != '(') continue;
      ++i;
      SkipSpace(text, i);
      // MakeSpeech(Catalogue, {...}): the catalogue it is looked up in comes first.
      if (std::size_t j = i; j < text.size() && IdentChar(text[j])) {
        while (j < text.size() && IdentChar(text[j])) ++j;
        SkipSpace(text, j);
        if (j < text.size() && text[j] == ',') {
          i = j + 1;
          SkipSpace(text, i);
        }
      }
      if (i >= text.size()) continue;
      const int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n'));
      LiteralCall call;
      call.line = line;
      bool ok = false;
      if (text[i] == '{') {
        ++i;
        ok = ReadLiterals(text, i, '}', call.literals, file, line);
        if (ok) {
          ++i;
          SkipSpace(text, i);
          ok = i < text.size() && text[i] == ')';
        }
      } else if (text[i] == '"' || text[i] == '\'') {
        ok = ReadLiterals(text, i, ')', call.literals, file, line);
      }
      if (ok) calls.push_back(std::move(call));
    }
  }
  return calls;
}

fs::path RootOf(const fs::path& assets) {
  fs::path a = fs::absolute(assets).lexically_normal();
  if (a.filename().empty()) a = a.parent_path();
  return a.parent_path();
}

std::vector<TemplateMessage> CollectMessages(const fs::path& root) {
  Gatherer g(root);
  const fs::path assets = root / "assets";
  static const char* const kVerbs[] = {"verb2", "verb3", "verb4"};
  static const char* const kReplies[] = {"reply2", "reply3", "reply4"};

  for (int n = 0; n < scenes::kSceneCount; ++n) {
    const fs::path txt = assets / "scenes" / ("scene" + std::to_string(n) + ".txt");
    if (!fs::exists(txt)) continue;
    const std::string scene = "scene" + std::to_string(n) + " ";
    for (const scenes::HotspotRecord& r : scenes::ParseSceneText(Read(txt), txt)) {
      const std::string at = scene + "[" + std::to_string(r.number) + "] ";
      g.Add1252(at + "name", r.name, txt, r.line, kCaptionNote);
      const std::string* verbs[] = {&r.verb2, &r.verb3, &r.verb4};
      for (int v = 0; v < 3; ++v) g.Add1252(at + kVerbs[v], *verbs[v], txt, r.line, kCaptionNote);
      g.Add1252(
          at + "use", r.use, txt, r.line,
          "The hotspot as the target of a held item: the text line shows \"K\xC3\xA4yt\xC3\xA4\" + "
          "the item's use form + this (\"on the door\"), at most 316 pixels in all.");
      for (int v = 0; v < 3; ++v) {
        g.Add1252(at + kReplies[v], r.replies[static_cast<std::size_t>(v)], txt,
                  r.replyLines[static_cast<std::size_t>(v)], kReplyNote);
      }
    }
  }

  const fs::path itemFile = assets / "items" / "items.txt";
  if (fs::exists(itemFile)) {
    const items::ItemSource src = items::ParseItemText(Read(itemFile), itemFile);
    static const char* const kKeys[] = {"name", "verb2", "verb3", "verb4", "use", "target"};
    for (const items::ItemRecord& r : src.items) {
      const std::string at = "item " + std::to_string(r.number) + " ";
      for (std::size_t k = 0; k < 6; ++k) {
        const std::string note =
            k == 4   ? "The held item: the text line shows \"K\xC3\xA4yt\xC3\xA4\" + this + the "
                       "target's form (\"the glove\" + \"on the door\"), at most 316 pixels in all."
            : k == 5 ? "The item as the target of another held item (\"with the bottle\"): "
                       "\"K\xC3\xA4yt\xC3\xA4\" + use form + this, at most 316 pixels in all."
                     : kCaptionNote;
        g.Add1252(at + kKeys[k], r.texts[k], itemFile, r.line, note);
      }
      for (std::size_t v = 0; v < 3; ++v) {
        g.Add1252(at + kReplies[v], r.replies[v], itemFile, r.replyLines[v], kReplyNote);
      }
    }
    for (std::size_t i = 0; i < src.refusals.size(); ++i) {
      g.Add1252("item refusal", src.refusals[i], itemFile, src.refusalLines[i],
                "Said when an item is used on the wrong thing: one speech line of at most 50 "
                "characters (236 pixels).");
    }
  }

  const fs::path screens = assets / "sprites" / "screens.txt";
  if (fs::exists(screens)) {
    std::vector<std::pair<std::string, sprites::ScreenText>> all;
    for (const auto& [name, lines] : sprites::ReadScreenTexts(screens))
      for (const auto& t : lines) all.emplace_back(name, t);
    std::stable_sort(all.begin(), all.end(),
                     [](const auto& a, const auto& b) { return a.second.line < b.second.line; });
    for (const auto& [name, t] : all) {
      std::string note = "Painted on the picture: one line, centred";
      if (name == "invent")
        note += t.style == "button" ? ", at most 94 pixels (a button)" : ", at most 292 pixels";
      else
        note += ", at most 312 pixels";
      g.Add1252("picture " + name, t.text, screens, t.line, note + ".");
    }
  }

  // The lines the game's own code says, and the first word of the held item's caption.
  std::vector<fs::path> code;
  if (fs::is_directory(root / "game"))
    for (const auto& e : fs::directory_iterator(root / "game"))
      if (e.path().extension() == ".cpp") code.push_back(e.path());
  std::sort(code.begin(), code.end());
  const std::string use = "K\xC3\xA4yt\xC3\xA4";
  bool captionFound = false;
  for (const fs::path& f : code) {
    const std::string text = Read(f);
    if (const auto at = text.find("W(\"" + use + "\")"); at != std::string::npos) {
      g.Add("caption", use, f,
            1 + static_cast<int>(std::count(text.begin(), text.begin() + at, '\n')),
            "The first word of the held item's caption: this + the item's use form + the "
            "target's form (\"Use\" + \"the glove\" + \"on the door\").");
      captionFound = true;
    }
  }
  if (!captionFound) g.Add("caption", use, root / "game", 0, "");
  for (const fs::path& f : code) {
    for (const LiteralCall& c : FindLiteralCalls(Read(f), {"Say", "SayLines", "MakeSpeech"}, f)) {
      g.Add("speech", Joined(c.literals), f, c.line,
            "Speech lines as they stand: keep one line per line (\\n), each at most 50 "
            "characters (236 pixels), at most 10 lines.");
    }
  }
  const fs::path page = root / "web" / "page.js";
  if (fs::exists(page)) {
    for (const LiteralCall& c : FindLiteralCalls(Read(page), {"T"}, page)) {
      for (const std::string& lit : c.literals) g.Add("web page", lit, page, c.line, "");
    }
  }
  return g.Take();
}

}  // namespace vornu::databuild::lang
