// Worker threads on the desktop (Linux): a thread's own id, its nice value as its priority.
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "platform/Threads.h"

namespace vornu {

long CurrentThreadId() { return static_cast<long>(syscall(SYS_gettid)); }

void SetThreadPriority(long Tid, int Priority) {
  // Higher priority means a lower nice value.
  setpriority(PRIO_PROCESS, static_cast<id_t>(Tid), -Priority);
}

}  // namespace vornu
