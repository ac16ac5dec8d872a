// The item text source (assets/items/items.txt) and the game's item file it becomes.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vornu::databuild::items {

constexpr int kItemCount = 13;
constexpr int kMaxRefusals = 30;
constexpr int kTextLineWidth = 316;  // the 320-pixel text line, with a pixel to spare each side

// Width in pixels of a Windows-1252 line in the game's font.
using TextWidthFn = std::function<int(const std::string&)>;

struct ItemRecord {
  int number = 0;
  int line = 0;  // line of the [N] header
  // Windows-1252: name, captions of verbs 2..4, object form after "Käytä ", form as a target.
  std::array<std::string, 6> texts;
  std::array<std::string, 3> replies;  // verbs 2, 3, 4, not yet wrapped
  std::array<int, 3> replyLines{};
};

struct ItemSource {
  std::vector<ItemRecord> items;  // items 1..13 in order
  std::vector<std::string> refusals;
  std::vector<int> refusalLines;
};

// Parses the UTF-8 source; anything malformed throws BuildError naming `file` and the line.
ItemSource ParseItemText(const std::string& utf8, const std::filesystem::path& file);

// The item file's bytes (Windows-1252, CR LF): the count, six texts per item, the wrapped
// replies with "§" on every line but each reply's last, the refusal count and the refusals.
// A reply that needs more than ten lines, a refusal that does not fit one speech line, or a
// text too wide for the text line (`useWord` starts the held item's caption) throws BuildError.
std::string WriteItemFile(const ItemSource& source, const std::filesystem::path& file,
                          const TextWidthFn& width, const std::string& useWord = "K\xE4yt\xE4");

}  // namespace vornu::databuild::items
