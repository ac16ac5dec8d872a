// Worker threads in the browser: there are none (timers run from the page's main loop), so
// there is no priority to give.
#include "platform/Threads.h"

namespace vornu {

long CurrentThreadId() { return 1; }

void SetThreadPriority(long, int) {}

}  // namespace vornu
