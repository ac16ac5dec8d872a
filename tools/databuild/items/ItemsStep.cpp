// Builder step "items": assets/items/items.txt becomes items/items.txt in the game's format.
#include <string_view>

#include "platform/BitmapFont.h"
#include "platform/FileAccess.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/items/ItemText.h"

namespace vornu::databuild::items {
namespace {

void BuildItems(const Paths& paths) {
  const std::filesystem::path source = paths.assets / "items" / "items.txt";
  // The item texts are a few kilobytes; far more is no item source.
  constexpr std::size_t kMaxSourceBytes = 4 << 20;
  const ItemSource parsed = ParseItemText(ReadFileText(source.string(), kMaxSourceBytes), source);
  const std::string bytes =
      WriteItemFile(parsed, source, [](const std::string& s) { return font::TextWidth(s); });
  const std::filesystem::path dir = paths.out / "items";
  std::filesystem::create_directories(dir);
  const std::filesystem::path target = dir / "items.txt";
  ReplaceFile(target.string(), std::string_view(bytes));
}

const StepRegistrar registrar("items", &BuildItems);

}  // namespace
}  // namespace vornu::databuild::items
