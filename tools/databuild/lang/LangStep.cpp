// The "lang" step: for every po/CODE.po, the files of that language under lang/CODE/, made
// from the Finnish sources through the catalogue with the writers the Finnish data uses.
#include <algorithm>
#include <iostream>
#include <regex>
#include <string_view>

#include "platform/BitmapFont.h"
#include "platform/FileAccess.h"
#include "platform/Text1252.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/items/ItemText.h"
#include "tools/databuild/lang/Catalogue.h"
#include "tools/databuild/lang/LangData.h"
#include "tools/databuild/lang/Sources.h"
#include "tools/databuild/scenes/SceneTable.h"
#include "tools/databuild/scenes/SceneText.h"
#include "tools/databuild/sprites/Art.h"

namespace vornu::databuild::lang {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxSourceBytes = 4 << 20;
constexpr char kSection = '\xA7';

int SpeechWidth(const std::string& cp1252) {
  return font::TextWidth(cp1252);
}

void Write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  ReplaceFile(p.string(), std::string_view(bytes));
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::vector<std::string> SplitLines(const std::string& s) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == '\n')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

}  // namespace

Translator::Translator(const lang::Catalogue& catalogue) : catalogue_(catalogue) {}

std::string Translator::Text(const std::string& context, const std::string& cp1252) const {
  if (catalogue_.IsIdentity()) return cp1252;
  return Encode(context, Cp1252ToUtf8(cp1252), catalogue_.Translate(context, Cp1252ToUtf8(cp1252)));
}

std::string Translator::Encode(const std::string& context, const std::string& id,
                               const std::string& utf8) const {
  std::string out;
  try {
    out = Utf8To1252(utf8);
  } catch (const std::invalid_argument& e) {
    throw BuildError(catalogue_.File(), 0,
                     "the translation of " + Describe(context, id) + ": " + e.what());
  }
  for (unsigned char c : out)
    if ((c < 32 && c != '\n') || c == 127 || c == static_cast<unsigned char>(kSection)) {
      throw BuildError(catalogue_.File(), 0,
                       "the translation of " + Describe(context, id) +
                           " holds a character the game's text files cannot carry (" +
                           std::to_string(c) + ")");
    }
  return out;
}

std::string Translator::OneLine(const std::string& context, const std::string& cp1252) const {
  const std::string t = Text(context, cp1252);
  if (t.find('\n') != std::string::npos) {
    throw BuildError(
        catalogue_.File(), 0,
        "the translation of " + Describe(context, Cp1252ToUtf8(cp1252)) + " must be one line");
  }
  return t;
}

// The three replies of a hotspot or an item record, each wrapped here first so that a reply
// too long names its message; the source line numbers no longer apply.
template <typename Record>
void TranslateReplies(const Translator& tr, const std::string& at, Record& r) {
  static const char* const kReplies[] = {"reply2", "reply3", "reply4"};
  for (std::size_t v = 0; v < 3; ++v) {
    const std::string ctx = at + kReplies[v];
    const std::string id = Cp1252ToUtf8(r.replies[v]);
    r.replies[v] = tr.OneLine(ctx, r.replies[v]);
    scenes::WrapReply(r.replies[v], tr.File().string() + ": " + Describe(ctx, id), 0, &SpeechWidth);
    r.replyLines[v] = 0;
  }
}

std::string TranslatedObjectFile(int n, const std::string& sourceUtf8, const fs::path& source,
                                 const Translator& tr) {
  auto records = scenes::ParseSceneText(sourceUtf8, source);
  if (tr.IsIdentity()) return scenes::WriteObjectFile(records, source, &SpeechWidth);
  const std::string scene = "scene" + std::to_string(n) + " ";
  for (scenes::HotspotRecord& r : records) {
    const std::string at = scene + "[" + std::to_string(r.number) + "] ";
    r.name = tr.OneLine(at + "name", r.name);
    r.verb2 = tr.OneLine(at + "verb2", r.verb2);
    r.verb3 = tr.OneLine(at + "verb3", r.verb3);
    r.verb4 = tr.OneLine(at + "verb4", r.verb4);
    r.use = tr.OneLine(at + "use", r.use);
    TranslateReplies(tr, at, r);
  }
  return scenes::WriteObjectFile(records, tr.File(), &SpeechWidth);
}

std::string TranslatedItemFile(const std::string& sourceUtf8, const fs::path& source,
                               const Translator& tr) {
  auto src = items::ParseItemText(sourceUtf8, source);
  const std::string useWord = tr.OneLine("caption", "K\xE4yt\xE4");
  if (tr.IsIdentity()) return items::WriteItemFile(src, source, &SpeechWidth, useWord);
  static const char* const kKeys[] = {"name", "verb2", "verb3", "verb4", "use", "target"};
  for (items::ItemRecord& r : src.items) {
    const std::string at = "item " + std::to_string(r.number) + " ";
    for (std::size_t k = 0; k < 6; ++k) r.texts[k] = tr.OneLine(at + kKeys[k], r.texts[k]);
    TranslateReplies(tr, at, r);
  }
  for (std::size_t i = 0; i < src.refusals.size(); ++i) {
    const std::string id = Cp1252ToUtf8(src.refusals[i]);
    src.refusals[i] = tr.OneLine("item refusal", src.refusals[i]);
    const auto lines = scenes::WrapReply(
        src.refusals[i], tr.File().string() + ": " + Describe("item refusal", id), 0, &SpeechWidth);
    if (lines.size() != 1) {
      throw BuildError(tr.File(), 0,
                       "the translation of " + Describe("item refusal", id) +
                           " must fit one speech line (50 characters, 236 pixels)");
    }
    src.refusalLines[i] = 0;
  }
  return items::WriteItemFile(src, tr.File(), &SpeechWidth, useWord);
}

std::string LinesFile(const std::vector<TemplateMessage>& messages, const Translator& tr) {
  std::string out;
  auto record = [&](const std::vector<std::string>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      out += lines[i];
      if (i + 1 < lines.size()) out += kSection;
      out += "\r\n";
    }
  };
  for (const TemplateMessage& m : messages) {
    if (m.context != "speech" && m.context != "caption") continue;
    const std::string translated =
        tr.Encode(m.context, m.id, tr.IsIdentity() ? m.id : tr.Source().Translate(m.context, m.id));
    const auto key = SplitLines(tr.Encode(m.context, m.id, m.id));
    const auto value = SplitLines(translated);
    for (const auto* rec : {&key, &value})
      for (const std::string& l : *rec)
        if (l.empty()) {
          throw BuildError(tr.File(), 0,
                           "the speech " + Describe(m.context, m.id) +
                               " has an empty line: a record's lines cannot be empty");
        }
    if (m.context == "caption" && value.size() != 1) {
      throw BuildError(tr.File(), 0,
                       "the translation of " + Describe(m.context, m.id) + " must be one line");
    }
    record(key);
    record(value);
  }
  return out;
}

std::string PageFile(const std::vector<TemplateMessage>& messages, const Translator& tr) {
  std::string out = "{";
  bool first = true;
  for (const TemplateMessage& m : messages) {
    if (m.context != "web page") continue;
    const std::string t = tr.IsIdentity() ? m.id : tr.Source().Translate(m.context, m.id);
    out += std::string(first ? "\n" : ",\n") + "  " + JsonString(m.id) + ": " + JsonString(t);
    first = false;
  }
  return out + (first ? "}\n" : "\n}\n");
}

void BuildLanguage(const Paths& paths, const Catalogue& catalogue, const fs::path& dest) {
  const Translator tr(catalogue);
  const fs::path root = RootOf(paths.assets);
  const auto messages = CollectMessages(root);
  for (int n = 0; n < scenes::kSceneCount; ++n) {
    const fs::path txt = paths.assets / "scenes" / ("scene" + std::to_string(n) + ".txt");
    if (!fs::exists(txt)) continue;
    Write(dest / "scenes" / ("scene" + std::to_string(n) + ".obj"),
          TranslatedObjectFile(n, ReadFileText(txt.string(), kMaxSourceBytes), txt, tr));
  }
  const fs::path items = paths.assets / "items" / "items.txt";
  Write(dest / "items" / "items.txt",
        TranslatedItemFile(ReadFileText(items.string(), kMaxSourceBytes), items, tr));
  const Paths out{paths.assets, dest};
  const sprites::PictureTextFn text = [&](const std::string& name, const std::string& t) {
    return tr.OneLine("picture " + name, t);
  };
  sprites::BuildInventory(out, text);
  sprites::BuildScreens(out, text);
  Write(dest / "lines.txt", LinesFile(messages, tr));
  Write(dest / "page.json", PageFile(messages, tr));
}

namespace {

void BuildLanguagesStep(const Paths& paths) {
  const fs::path po = RootOf(paths.assets) / "po";
  const fs::path langDir = paths.out / "lang";
  // Always there, even with no other language, so that installing it never fails.
  fs::create_directories(langDir);
  std::vector<std::string> codes;
  if (fs::is_directory(po))
    for (const auto& e : fs::directory_iterator(po))
      if (e.is_regular_file() && e.path().extension() == ".po") codes.push_back(e.path().stem());
  std::sort(codes.begin(), codes.end());
  static const std::regex kCode("[a-z]{2,3}(_[A-Z]{2})?");
  std::vector<std::string> failed;
  for (const std::string& code : codes) {
    const fs::path file = po / (code + ".po");
    try {
      if (!std::regex_match(code, kCode)) {
        throw BuildError(file, 0, "name a catalogue by its language code, e.g. en.po or pt_BR.po");
      }
      if (code == "fi") {
        throw BuildError(file, 0, "Finnish is the sources' own language: mend assets/ instead");
      }
      // Built beside the old files and put in place whole: a failed language keeps its last
      // good files and the game never reads a half-made set.
      const fs::path fresh = langDir / ("." + code + ".new");
      fs::remove_all(fresh);
      BuildLanguage(paths, Catalogue::Read(file), fresh);
      fs::remove_all(langDir / code);
      fs::rename(fresh, langDir / code);
    } catch (const std::exception& e) {
      std::cerr << "vornu-databuild: lang: " << e.what() << "\n";
      failed.push_back(code);
    }
  }
  // A catalogue taken away takes its language with it.
  if (fs::is_directory(langDir))
    for (const auto& e : fs::directory_iterator(langDir)) {
      const std::string name = e.path().filename().string();
      if (std::find(codes.begin(), codes.end(), name) == codes.end()) fs::remove_all(e.path());
    }
  if (!failed.empty()) {
    std::string list;
    for (const auto& f : failed) list += (list.empty() ? "" : ", ") + f;
    throw BuildError(po, 0, "language(s) " + list + " could not be built");
  }
}

const StepRegistrar registrar("lang", &BuildLanguagesStep);

}  // namespace

}  // namespace vornu::databuild::lang
