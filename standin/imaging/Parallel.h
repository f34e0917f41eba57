// Splitting work over threads. No pool lives beyond its owner: functions that run often on
// small work (the alignment solver) keep a WorkerPool; the others start threads per call,
// and only when the work is large enough to pay for them.
#pragma once

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace standin::imaging {

// The threads to use when a caller asks for 0 (the machine's cores, at most 8).
int iDefaultThreads();

// Threads that wait for work. vRun runs fn(0) .. fn(tasks - 1), the calling thread taking
// its share, and returns when all are done; an exception of a task is rethrown there.
class WorkerPool {
public:
    // threads counts the caller: 1 means no extra thread; 0 means iDefaultThreads().
    explicit WorkerPool(int threads = 0);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    int threads() const { return int(m_workers.size()) + 1; }
    void vRun(int tasks, const std::function<void(int task)>& fn);

private:
    void vWork();
    bool bTakeTask(int& task);

    std::vector<std::thread> m_workers;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    const std::function<void(int)>* m_pFn = nullptr;
    int m_iTasks = 0;
    int m_iNext = 0;
    int m_iRunning = 0;
    unsigned m_uiGeneration = 0;
    bool m_bStop = false;
    std::exception_ptr m_error;
};

// Runs fn(begin, end) over consecutive parts of [0, count), on up to `threads` threads
// (0: iDefaultThreads()), each part at least minPerPart long. With a pool the pool's
// threads serve; otherwise threads are started for the call. Exceptions reach the caller.
void vParallelFor(int count, int threads, int minPerPart, const std::function<void(int begin, int end)>& fn,
    WorkerPool* pPool = nullptr);

} // namespace standin::imaging
