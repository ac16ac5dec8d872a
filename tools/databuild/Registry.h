// The data builder's steps: each part of the game data registers one, the builder runs them all.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vornu::databuild {

// A malformed source: names the source file and line (0 when no line applies).
class BuildError : public std::runtime_error {
 public:
  BuildError(const std::filesystem::path& file, int line, const std::string& what)
      : std::runtime_error(Where(file, line) + ": " + what) {}

 private:
  static std::string Where(const std::filesystem::path& file, int line) {
    std::string where = file.string();
    if (line > 0) where.append(":").append(std::to_string(line));
    return where;
  }
};

struct Paths {
  std::filesystem::path assets;  // assets/ of the repository
  std::filesystem::path out;     // the game directory the programs run in
};

using Step = std::function<void(const Paths&)>;

struct StepEntry {
  std::string name;
  Step run;
};

// All registered steps, in registration order.
std::vector<StepEntry>& Steps();

// Registers a step at static-initialisation time: `static StepRegistrar r("music", &BuildMusic);`
struct StepRegistrar {
  StepRegistrar(std::string name, Step run) { Steps().push_back({std::move(name), std::move(run)}); }
};

}  // namespace vornu::databuild
