// vornu-databuild ASSETS_DIR OUT_DIR [STEP...]: writes every file the game reads.
// vornu-databuild --template ASSETS_DIR POT_FILE: writes the translators' template.
#include <exception>
#include <iostream>
#include <set>
#include <string>

#include "tools/databuild/Registry.h"
#include "tools/databuild/lang/Catalogue.h"
#include "tools/databuild/lang/Sources.h"

int main(int argc, char** argv) {
  using namespace vornu::databuild;
  if (argc == 4 && std::string(argv[1]) == "--template") {
    try {
      const auto messages = lang::CollectMessages(lang::RootOf(argv[2]));
      lang::WriteTemplate(messages, argv[3]);
      std::cout << argv[3] << ": " << messages.size() << " messages\n";
      return 0;
    } catch (const std::exception& e) {
      std::cerr << "vornu-databuild: template: " << e.what() << "\n";
      return 1;
    }
  }
  if (argc < 3 || std::string(argv[1]).rfind("--", 0) == 0) {
    std::cerr << "usage: vornu-databuild ASSETS_DIR OUT_DIR [STEP...]\n"
                 "       vornu-databuild --template ASSETS_DIR POT_FILE\n";
    return 2;
  }
  const Paths paths{argv[1], argv[2]};
  std::set<std::string> only(argv + 3, argv + argc);
  int failures = 0;
  for (const auto& step : Steps()) {
    if (!only.empty() && !only.count(step.name)) continue;
    try {
      step.run(paths);
    } catch (const std::exception& e) {
      std::cerr << "vornu-databuild: " << step.name << ": " << e.what() << "\n";
      ++failures;
    }
  }
  return failures == 0 ? 0 : 1;
}
