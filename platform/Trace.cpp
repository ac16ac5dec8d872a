#include "platform/Trace.h"

#include <cstdio>
#include <mutex>

#include "platform/Text1252.h"

namespace {

std::mutex gTraceMutex;
std::function<void(const std::string&)> gTraceHook;

}  // namespace

void TraceLine(std::string_view Text) {
  const std::string line(Text.substr(0, 255));
  std::function<void(const std::string&)> hook;
  {
    std::lock_guard<std::mutex> lock(gTraceMutex);
    hook = gTraceHook;
  }
  if (hook) {
    hook(line);
    return;
  }
  std::fprintf(stderr, "vornu trace: %s\n", vornu::Cp1252ToUtf8(line).c_str());
}

void SetTraceHook(std::function<void(const std::string& Line)> Hook) {
  std::lock_guard<std::mutex> lock(gTraceMutex);
  gTraceHook = std::move(Hook);
}
