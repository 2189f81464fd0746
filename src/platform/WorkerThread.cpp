#include "platform/WorkerThread.h"

#include <cstdio>
#include <exception>

namespace velmoa {

WorkerThread::~WorkerThread() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(tasks_);
    }
    wake_.notify_all();
    // What the dropped tasks hold goes now, not once the running one has finished.
    dropped.clear();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void WorkerThread::post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
    }
    wake_.notify_one();
}

void WorkerThread::run() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
            if (stopping_) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        runGuarded(task);
    }
}

void WorkerThread::runGuarded(const std::function<void()>& task) {
    // A task hands its failures back through its own result; one that escapes must not end the
    // program, nor the tasks queued behind it.
    try {
        task();
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "velmoa: a background task failed: %s\n", failure.what());
    } catch (...) {
        std::fprintf(stderr, "velmoa: a background task failed\n");
    }
}

} // namespace velmoa
