#pragma once
// Runs a batch of independent jobs on a few threads and returns when all are done: no
// thread outlives the call.
#include <cstddef>
#include <functional>

namespace zv {

// The processors this process may run on, at least 1.
int ProcessorCount();

// job(i, worker) for every i below count, on the calling thread and up to threads - 1 more;
// `worker`, below `threads`, tells which thread runs the job, so that each thread can keep
// state of its own across its jobs. A job that throws is left undone; the others go on.
void RunInParallel(size_t count, int threads, const std::function<void(size_t, int)>& job);

}  // namespace zv
