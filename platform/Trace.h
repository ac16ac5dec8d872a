// Trace lines: the screen's debugging messages, to standard error or to a test's hook.
#pragma once

#include <functional>
#include <string>
#include <string_view>

// Called by the screen: writes a trace line (cut to 255 characters) to stderr, or to the hook
// when one is set.
void TraceLine(std::string_view Text);
// Called by tests: sends trace lines to Hook instead of stderr; nullptr restores stderr.
void SetTraceHook(std::function<void(const std::string& Line)> Hook);
