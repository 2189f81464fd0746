#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace velmoa {

// One background thread that runs posted tasks in order. Tasks must not touch widgets; they
// hand their results, failures included, back through futures. An exception that a task lets out
// is written to standard error and the next task runs. Started with the first task.
class WorkerThread {
  public:
    WorkerThread() = default;
    // Drops the tasks that have not started and waits for the running one.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void post(std::function<void()> task);

  private:
    void run();
    static void runGuarded(const std::function<void()>& task);

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace velmoa
