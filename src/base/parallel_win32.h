#pragma once
// Independent jobs shared out among a few threads, the calling one among them. No thread
// outlives the call (RunInParallel) or the queue's Finish (WorkQueue).
#include <windows.h>

#include <cstddef>
#include <deque>
#include <functional>
#include <vector>

#include "handles_win32.h"

namespace zv {

// The processors this process may run on, at least 1.
int ProcessorCount();

// A queue that helper threads work off while the thread that fills it goes on with its own
// work; Finish (or the destructor) has that thread help until the queue is empty, then
// waits for the helpers. A job that throws is left undone; the others go on.
class WorkQueue {
public:
    // threads counts the calling thread: up to threads - 1 helpers start with the first jobs.
    explicit WorkQueue(int threads);
    ~WorkQueue();
    WorkQueue(const WorkQueue&) = delete;
    WorkQueue& operator=(const WorkQueue&) = delete;

    void Add(std::function<void()> job);
    void Finish() noexcept;

private:
    bool TakeJob(std::function<void()>& job, bool wait) noexcept;
    static DWORD WINAPI Helper(void* queue);

    SRWLOCK lock_ = SRWLOCK_INIT;
    CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
    std::deque<std::function<void()>> jobs_;
    bool finishing_ = false;
    size_t most_helpers_;
    std::vector<UniqueHandle> helpers_;
};

// job(i) for every i below count, shared out as above.
void RunInParallel(size_t count, int threads, const std::function<void(size_t)>& job);

}  // namespace zv
