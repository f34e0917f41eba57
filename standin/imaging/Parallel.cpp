#include "Parallel.h"

#include <algorithm>
#include <cstdint>
#ifdef __linux__
#include <sched.h>
#endif

namespace standin::imaging {

int iDefaultThreads()
{
    int cores = int(std::thread::hardware_concurrency());
#ifdef __linux__
    // The cores this process may run on (taskset, containers), not all the machine has.
    cpu_set_t allowed;
    if (sched_getaffinity(0, sizeof allowed, &allowed) == 0)
        cores = CPU_COUNT(&allowed);
#endif
    return std::clamp(cores, 1, 8);
}

WorkerPool::WorkerPool(int threads)
{
    const int count = (threads <= 0 ? iDefaultThreads() : std::min(threads, 64)) - 1;
    for (int i = 0; i < count; ++i)
        m_workers.emplace_back([this] { vWork(); });
}

WorkerPool::~WorkerPool()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_wake.notify_all();
    for (std::thread& worker : m_workers)
        worker.join();
}

bool WorkerPool::bTakeTask(int& task)
{
    if (!m_pFn || m_iNext >= m_iTasks)
        return false;
    task = m_iNext++;
    ++m_iRunning;
    return true;
}

void WorkerPool::vWork()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        int task = 0;
        m_wake.wait(lock, [&] { return m_bStop || (m_pFn && m_iNext < m_iTasks); });
        if (m_bStop)
            return;
        while (bTakeTask(task)) {
            const std::function<void(int)>& fn = *m_pFn;
            lock.unlock();
            std::exception_ptr error;
            try {
                fn(task);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            if (error && !m_error)
                m_error = error;
            if (--m_iRunning == 0 && m_iNext >= m_iTasks)
                m_done.notify_all();
        }
    }
}

void WorkerPool::vRun(int tasks, const std::function<void(int task)>& fn)
{
    if (tasks <= 0)
        return;
    if (m_workers.empty() || tasks == 1) {
        for (int i = 0; i < tasks; ++i)
            fn(i);
        return;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    m_pFn = &fn;
    m_iTasks = tasks;
    m_iNext = 0;
    m_iRunning = 0;
    m_error = nullptr;
    m_wake.notify_all();
    int task = 0;
    while (bTakeTask(task)) {
        lock.unlock();
        std::exception_ptr error;
        try {
            fn(task);
        } catch (...) {
            error = std::current_exception();
        }
        lock.lock();
        if (error && !m_error)
            m_error = error;
        --m_iRunning;
    }
    m_done.wait(lock, [&] { return m_iRunning == 0 && m_iNext >= m_iTasks; });
    m_pFn = nullptr;
    m_iTasks = 0;
    std::exception_ptr error = m_error;
    m_error = nullptr;
    lock.unlock();
    if (error)
        std::rethrow_exception(error);
}

void vParallelFor(int count, int threads, int minPerPart, const std::function<void(int, int)>& fn, WorkerPool* pPool)
{
    if (count <= 0)
        return;
    int parts = pPool ? pPool->threads() : (threads <= 0 ? iDefaultThreads() : threads);
    parts = std::max(1, std::min(parts, count / std::max(1, minPerPart)));
    if (parts == 1) {
        fn(0, count);
        return;
    }
    auto part = [&](int i) { fn(int(std::int64_t(count) * i / parts), int(std::int64_t(count) * (i + 1) / parts)); };
    if (pPool) {
        pPool->vRun(parts, part);
        return;
    }
    std::vector<std::thread> helpers;
    std::vector<std::exception_ptr> errors(parts);
    for (int i = 1; i < parts; ++i)
        helpers.emplace_back([&, i] {
            try {
                part(i);
            } catch (...) {
                errors[i] = std::current_exception();
            }
        });
    try {
        part(0);
    } catch (...) {
        errors[0] = std::current_exception();
    }
    for (std::thread& helper : helpers)
        helper.join();
    for (const std::exception_ptr& error : errors)
        if (error)
            std::rethrow_exception(error);
}

} // namespace standin::imaging
