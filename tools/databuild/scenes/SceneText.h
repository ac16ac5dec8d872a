// The scene text source (sceneN.txt): hotspot records, their captions and replies, and the object
// file writer.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vornu::databuild::scenes {

// Width in pixels of a Windows-1252 line in the game's speech font.
using TextWidthFn = std::function<int(const std::string&)>;

constexpr int kReplyMaxChars = 50;
constexpr int kReplyMaxLines = 10;
constexpr int kReplyMaxWidth = 236;  // the 240-pixel speech surface, drawn at 120 - w/2 + 1
constexpr int kFallbackChars = 40;   // wrap limit when no width function is known

struct HotspotRecord {
  int number = 0;
  int x = 0, y = 0, facing = 0;
  int line = 0;  // line of the [N] header
  // Windows-1252 texts: name (verb 1), verbs 2..4, the use form.
  std::string name, verb2, verb3, verb4, use;
  std::array<std::string, 3> replies;  // verbs 2, 3, 4; Windows-1252, not yet wrapped
  std::array<int, 3> replyLines{};     // source line of each reply
};

// Parses a scene text source; a malformed line throws BuildError naming `file` and the line.
std::vector<HotspotRecord> ParseSceneText(const std::string& utf8,
                                          const std::filesystem::path& file);

// Wraps a Windows-1252 reply into speech lines: each at most 50 characters and, when `width`
// is given, at most 236 pixels (otherwise at most 40 characters); " / " forces a break.
// More than ten lines, an empty reply or a word too long for a line throws BuildError.
std::vector<std::string> WrapReply(const std::string& text, const std::filesystem::path& file,
                                   int line, const TextWidthFn& width);

// The object file's bytes: count line, record lines, captions, use forms, wrapped replies
// with "§" on every line but a reply's last, CR LF line ends.
std::string WriteObjectFile(const std::vector<HotspotRecord>& records,
                            const std::filesystem::path& file, const TextWidthFn& width);

}  // namespace vornu::databuild::scenes
