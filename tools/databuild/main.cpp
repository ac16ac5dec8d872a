// vornu-databuild ASSETS_DIR OUT_DIR [STEP...]: writes every file the game reads.
#include <exception>
#include <iostream>
#include <set>

#include "tools/databuild/Registry.h"

int main(int argc, char** argv) {
  using namespace vornu::databuild;
  if (argc < 3) {
    std::cerr << "usage: vornu-databuild ASSETS_DIR OUT_DIR [STEP...]\n";
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
