// The system's side of worker threads: their ids and priorities.
#pragma once

namespace vornu {

// Called on a worker thread: the system's id of the calling thread (never 0).
long CurrentThreadId();
// Called by the frame timer: gives thread Tid the priority value Priority (-15 .. 15, higher
// is more urgent); a refusal (raising it needs privileges) is accepted silently.
void SetThreadPriority(long Tid, int Priority);

}  // namespace vornu
