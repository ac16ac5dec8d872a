// vornu-datacheck GAME_DIR: fails naming every file that the game could not use as it is.
#include <iostream>

#include "tools/datacheck/DataCheck.h"

int main(int argc, char** argv) {
  if (argc != 2 && !(argc == 3 && std::string(argv[2]) == "--warnings")) {
    std::cerr << "usage: vornu-datacheck GAME_DIR [--warnings]\n";
    return 2;
  }
  const auto report = vornu::datacheck::CheckGameDir(argv[1]);
  for (const auto& p : report.problems) std::cout << "error: " << p << "\n";
  if (argc == 3)
    for (const auto& w : report.warnings) std::cout << "warning: " << w << "\n";
  std::cout << report.problems.size() << " error(s), " << report.warnings.size() << " warning(s)"
            << (argc == 3 ? "" : " (--warnings lists them)") << "\n";
  return report.problems.empty() ? 0 : 1;
}
