#include "parallel_win32.h"

#include <algorithm>

namespace zv {

int ProcessorCount() {
    // The processors this process may run on: a host pinned to one core gets no helpers.
    DWORD_PTR process = 0, system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process) {
        int count = 0;
        for (; process; process &= process - 1) ++count;
        return count;
    }
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return std::max<int>(1, static_cast<int>(info.dwNumberOfProcessors));
}

WorkQueue::WorkQueue(int threads) : most_helpers_(static_cast<size_t>(std::max(threads, 1) - 1)) {
    // Reserved now: nothing may throw between starting a helper and owning its handle.
    helpers_.reserve(most_helpers_);
    threads_.reserve(most_helpers_);
}

WorkQueue::~WorkQueue() { Finish(); }

void WorkQueue::Add(std::function<void(int)> job) {
    AcquireSRWLockExclusive(&lock_);
    try {
        jobs_.push_back(std::move(job));
    } catch (...) {
        ReleaseSRWLockExclusive(&lock_);
        throw;
    }
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&changed_);
    if (threads_.size() < most_helpers_) {
        helpers_.push_back({this, static_cast<int>(helpers_.size()) + 1});
        // A thread that cannot be made only means fewer hands.
        UniqueHandle thread(CreateThread(nullptr, 0, HelperMain, &helpers_.back(), 0, nullptr));
        if (thread)
            threads_.push_back(std::move(thread));
        else
            helpers_.pop_back();
    }
}

bool WorkQueue::TakeJob(std::function<void(int)>& job, bool wait) noexcept {
    AcquireSRWLockExclusive(&lock_);
    while (jobs_.empty() && wait && !finishing_) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    const bool taken = !jobs_.empty();
    if (taken) {
        job = std::move(jobs_.front());
        jobs_.pop_front();
    }
    ReleaseSRWLockExclusive(&lock_);
    return taken;
}

void WorkQueue::RunJobs(int worker, bool wait) noexcept {
    std::function<void(int)> job;
    while (TakeJob(job, wait)) {
        try {
            job(worker);
        } catch (...) {
            // Left undone: the caller's own path does it later, or shows what it can.
        }
    }
}

DWORD WINAPI WorkQueue::HelperMain(void* helper) {
    const Helper* self = static_cast<const Helper*>(helper);
    self->queue->RunJobs(self->worker, true);
    return 0;
}

void WorkQueue::Finish() noexcept {
    RunJobs(0, false);
    AcquireSRWLockExclusive(&lock_);
    finishing_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&changed_);
    for (const UniqueHandle& thread : threads_) WaitForSingleObject(thread.get(), INFINITE);
    threads_.clear();
    helpers_.clear();
    AcquireSRWLockExclusive(&lock_);
    finishing_ = false;  // the queue can take jobs again
    ReleaseSRWLockExclusive(&lock_);
}

void RunInParallel(size_t count, int threads, const std::function<void(size_t, int)>& job) {
    WorkQueue queue(static_cast<int>(std::min<size_t>(count, static_cast<size_t>(std::max(threads, 1)))));
    for (size_t i = 0; i < count; ++i) queue.Add([&job, i](int worker) { job(i, worker); });
    queue.Finish();
}

}  // namespace zv
