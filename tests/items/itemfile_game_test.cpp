// What the builder writes for the items, read by the game's own item-file reader.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "game/SceneFiles.h"
#include "game/Unit1.h"
#include "platform/BitmapFont.h"
#include "platform/Text1252.h"
#include "tools/databuild/items/ItemText.h"

namespace vornu::databuild::items {
namespace {

TEST(GameItems, TheGameReadsEveryTextAndReplyTheBuilderWrote) {
  const auto file = std::filesystem::path(VORNU_SOURCE_DIR) / "assets" / "items" / "items.txt";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::ostringstream text;
  text << in.rdbuf();
  const ItemSource src = ParseItemText(text.str(), file);
  const std::string bytes =
      WriteItemFile(src, file, [](const std::string& s) { return font::TextWidth(s); });
  const TItemFileData game = ParseItemFile(bytes, "items/items.txt");
  for (int n = 1; n <= kItemCount; ++n) {
    const ItemRecord& r = src.items[static_cast<std::size_t>(n - 1)];
    for (int k = 1; k <= 6; ++k) EXPECT_EQ(game.Texts[k][n], r.texts[static_cast<std::size_t>(k - 1)]);
    for (int v = 2; v <= 4; ++v) {
      const SayStr& said = game.Replies[v][n];
      ASSERT_GE(said.LineCount, 1) << "item " << n << " verb " << v;
      std::string joined;
      for (int i = 1; i <= said.LineCount; ++i) joined += (i > 1 ? " " : "") + said.Lines[i];
      // Forced breaks (" / ") become line ends; otherwise the words come back as written.
      std::string expected = r.replies[static_cast<std::size_t>(v - 2)];
      for (std::size_t at; (at = expected.find(" / ")) != std::string::npos;) {
        expected.erase(at + 1, 2);  // " / " -> " "
      }
      EXPECT_EQ(joined, expected) << "item " << n << " verb " << v;
    }
  }
  ASSERT_EQ(game.UseFailReplyCount, src.refusals.size());
  for (std::size_t r = 0; r < src.refusals.size(); ++r) {
    EXPECT_EQ(game.UseFailReplies[static_cast<int>(r)].Lines[1], src.refusals[r]);
  }
}

}  // namespace
}  // namespace vornu::databuild::items
