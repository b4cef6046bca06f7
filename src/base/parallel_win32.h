#pragma once
// Independent jobs shared out among a few threads, the calling one among them. No thread
// outlives the call (RunInParallel) or the queue's Finish (WorkQueue).
#include <windows.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

#include "base/handles_win32.h"

namespace zv {

// The processors this process may run on, at least 1.
int ProcessorCount();

// An exclusive hold of a slim reader/writer lock for one scope.
class ScopedExclusiveLock {
public:
    explicit ScopedExclusiveLock(SRWLOCK& lock) noexcept : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ScopedExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ScopedExclusiveLock(const ScopedExclusiveLock&) = delete;
    ScopedExclusiveLock& operator=(const ScopedExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

// Jobs taken in the order they came by up to threads - 1 helper threads, started as jobs
// arrive, and by the calling thread in Finish. A job gets `worker`, below `threads`, which
// tells the thread that runs it, so that each thread can keep state of its own across its
// jobs. A job that throws is left undone; the others go on. A queue serves one batch: once
// Finish has begun it takes no more jobs.
class WorkQueue {
public:
    explicit WorkQueue(int threads);
    ~WorkQueue();  // Finish
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    // Throws without queueing the job: out of memory, or std::logic_error after Finish.
    void Add(std::function<void(int worker)> job);
    // Runs what is left on the calling thread too (worker 0) and returns when every job is done
    // and every helper has ended. Again, it returns at once.
    void Finish() noexcept;

private:
    struct Helper {
        WorkQueue* queue;
        int worker;
    };
    static DWORD WINAPI HelperMain(void* helper);
    bool TakeJob(std::function<void(int)>& job, bool wait) noexcept;
    void RunJobs(int worker, bool wait) noexcept;

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<std::function<void(int)>> jobs_;
    bool finishing_ = false;  // under lock_
    size_t most_helpers_;
    std::vector<Helper> helpers_;  // reserved up front: the threads hold pointers into it
    std::vector<UniqueHandle> threads_;
};

// job(i, worker) for every i below count, on the calling thread and up to threads - 1 more.
void RunInParallel(size_t count, int threads, const std::function<void(size_t, int)>& job);

}  // namespace zv
