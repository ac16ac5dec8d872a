// Builder step "items": assets/items/items.txt becomes items/items.txt in the game's format.
#include <fstream>
#include <sstream>

#include "platform/BitmapFont.h"
#include "tools/databuild/Registry.h"
#include "tools/databuild/items/ItemText.h"

namespace vornu::databuild::items {
namespace {

void BuildItems(const Paths& paths) {
  const std::filesystem::path source = paths.assets / "items" / "items.txt";
  std::ifstream in(source, std::ios::binary);
  if (!in) throw BuildError(source, 0, "cannot open the item text source");
  std::ostringstream text;
  text << in.rdbuf();
  const ItemSource parsed = ParseItemText(text.str(), source);
  const std::string bytes = WriteItemFile(
      parsed, source, [](const std::string& s) { return font::TextWidth(s); });
  const std::filesystem::path dir = paths.out / "items";
  std::filesystem::create_directories(dir);
  const std::filesystem::path target = dir / "items.txt";
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (!out) throw BuildError(target, 0, "cannot create the file");
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw BuildError(target, 0, "write failed");
}

const StepRegistrar registrar("items", &BuildItems);

}  // namespace
}  // namespace vornu::databuild::items
