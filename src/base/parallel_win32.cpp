#include "parallel_win32.h"

#include <algorithm>

namespace zv {
namespace {

void RunGuarded(const std::function<void()>& job) noexcept {
    try {
        job();
    } catch (...) {
        // Left undone: the caller's own path does it later, or shows what it can.
    }
}

}  // namespace

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
}

WorkQueue::~WorkQueue() { Finish(); }

void WorkQueue::Add(std::function<void()> job) {
    AcquireSRWLockExclusive(&lock_);
    try {
        jobs_.push_back(std::move(job));
    } catch (...) {
        ReleaseSRWLockExclusive(&lock_);
        throw;
    }
    ReleaseSRWLockExclusive(&lock_);
    WakeConditionVariable(&changed_);
    if (helpers_.size() < most_helpers_) {
        // A thread that cannot be made only means fewer hands.
        UniqueHandle helper(CreateThread(nullptr, 0, Helper, this, 0, nullptr));
        if (helper) helpers_.push_back(std::move(helper));
    }
}

bool WorkQueue::TakeJob(std::function<void()>& job, bool wait) noexcept {
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

DWORD WINAPI WorkQueue::Helper(void* queue) {
    auto* self = static_cast<WorkQueue*>(queue);
    std::function<void()> job;
    while (self->TakeJob(job, true)) RunGuarded(job);
    return 0;
}

void WorkQueue::Finish() noexcept {
    std::function<void()> job;
    while (TakeJob(job, false)) RunGuarded(job);
    AcquireSRWLockExclusive(&lock_);
    finishing_ = true;
    ReleaseSRWLockExclusive(&lock_);
    WakeAllConditionVariable(&changed_);
    for (const UniqueHandle& helper : helpers_) WaitForSingleObject(helper.get(), INFINITE);
    helpers_.clear();
    AcquireSRWLockExclusive(&lock_);
    finishing_ = false;  // the queue can take jobs again
    ReleaseSRWLockExclusive(&lock_);
}

void RunInParallel(size_t count, int threads, const std::function<void(size_t)>& job) {
    WorkQueue queue(static_cast<int>(std::min<size_t>(count, static_cast<size_t>(std::max(threads, 1)))));
    for (size_t i = 0; i < count; ++i) queue.Add([&job, i] { job(i); });
    queue.Finish();
}

}  // namespace zv
