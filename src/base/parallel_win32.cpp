#include "parallel_win32.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <vector>

#include "handles_win32.h"

namespace zv {
namespace {

struct Batch {
    const std::function<void(size_t, int)>* job;
    size_t count;
    std::atomic<size_t> next{0};
    std::atomic<int> workers{0};

    void Work() noexcept {
        const int worker = workers.fetch_add(1);
        for (size_t i; (i = next.fetch_add(1)) < count;) {
            try {
                (*job)(i, worker);
            } catch (...) {
                // Left undone: the caller's own path does it later, or shows what it can.
            }
        }
    }
};

DWORD WINAPI Worker(void* batch) {
    static_cast<Batch*>(batch)->Work();
    return 0;
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

void RunInParallel(size_t count, int threads, const std::function<void(size_t, int)>& job) {
    Batch batch;
    batch.job = &job;
    batch.count = count;
    const size_t helpers = std::min<size_t>(count, static_cast<size_t>(std::max(threads, 1))) - (count ? 1 : 0);
    std::vector<UniqueHandle> started;
    // Reserved before any thread starts: nothing may throw while one runs on `batch`.
    started.reserve(helpers);
    for (size_t i = 0; i < helpers; ++i) {
        // A thread that cannot be made only means fewer hands.
        UniqueHandle thread(CreateThread(nullptr, 0, Worker, &batch, 0, nullptr));
        if (!thread) break;
        started.push_back(std::move(thread));
    }
    batch.Work();
    for (const UniqueHandle& thread : started) WaitForSingleObject(thread.get(), INFINITE);
}

}  // namespace zv
