#include "tools/databuild/Registry.h"

namespace vornu::databuild {

std::vector<StepEntry>& Steps() {
  static std::vector<StepEntry> steps;
  return steps;
}

}  // namespace vornu::databuild
