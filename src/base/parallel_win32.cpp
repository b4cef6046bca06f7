#include "base/parallel_win32.h"

#include <algorithm>
#include <stdexcept>

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
    {
        ScopedExclusiveLock hold(lock_);
        if (finishing_) throw std::logic_error("WorkQueue::Add after Finish");
        jobs_.push_back(std::move(job));
    }
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
    ScopedExclusiveLock hold(lock_);
    while (jobs_.empty() && wait && !finishing_) SleepConditionVariableSRW(&changed_, &lock_, INFINITE, 0);
    if (jobs_.empty()) return false;
    job = std::move(jobs_.front());
    jobs_.pop_front();
    return true;
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
    {
        ScopedExclusiveLock hold(lock_);
        if (finishing_) return;
        finishing_ = true;  // no more jobs; helpers end once the queue is empty
    }
    WakeAllConditionVariable(&changed_);
    RunJobs(0, false);
    for (const UniqueHandle& thread : threads_) WaitForSingleObject(thread.get(), INFINITE);
    threads_.clear();
    helpers_.clear();
}

void RunInParallel(size_t count, int threads, const std::function<void(size_t, int)>& job) {
    WorkQueue queue(static_cast<int>(std::min<size_t>(count, static_cast<size_t>(std::max(threads, 1)))));
    for (size_t i = 0; i < count; ++i) queue.Add([&job, i](int worker) { job(i, worker); });
    queue.Finish();
}

}  // namespace zv
