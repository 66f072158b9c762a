// The verification workers: threads that take runs from the queue, replay each in the
// sandbox and record the verdict. With no sandbox to be had they leave the queue alone
// and try again later; a run they held when the server died goes back to the queue when
// its lease runs out.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "server/sandbox.h"

struct WorkerSettings {
    std::string database;
    SandboxConfig sandbox;
    int count = 1;
    std::int64_t leaseMs = 120000;
};

class Workers {
public:
    explicit Workers(WorkerSettings settings);
    ~Workers();
    // A run was queued: a sleeping worker looks at once.
    void Wake();

private:
    void Work();
    bool WaitFor(int ms);  // false once stopping

    WorkerSettings settings_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::uint64_t wakes_ = 0;
    bool stopping_ = false;
    std::atomic<bool> sandboxReported_{false};
    std::vector<std::thread> threads_;
};

std::int64_t NowMs();
