// The workers' loop.
#include "server/workers.h"

#include <chrono>
#include <cstdio>
#include <memory>

#include "server/runs.h"

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

Workers::Workers(WorkerSettings settings) : settings_(std::move(settings)) {
    for (int i = 0; i < settings_.count; ++i) threads_.emplace_back([this] { Work(); });
}

Workers::~Workers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void Workers::Wake() {
    {
        std::lock_guard lock(mutex_);
        ++wakes_;
    }
    wake_.notify_one();
}

bool Workers::WaitFor(int ms) {
    std::unique_lock lock(mutex_);
    const std::uint64_t seen = wakes_;
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping_ || wakes_ != seen; });
    return !stopping_;
}

void Workers::Work() {
    std::unique_ptr<DbConnection> db;
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) return;
        }
        try {
            if (!db) db = OpenDatabase(settings_.database);
            const auto run = TakeRun(*db, NowMs(), settings_.leaseMs);
            if (!run) {
                if (!WaitFor(1000)) return;
                continue;
            }
            const Verdict verdict = VerifyInSandbox(settings_.sandbox, run->demo);
            if (verdict.kind == Verdict::Kind::NoSandbox) {
                ReturnRun(*db, run->id);
                if (!sandboxReported_.exchange(true)) {
                    std::fprintf(stderr, "lantern-blade-server: no sandbox, runs wait in the queue: %s\n",
                                 verdict.reason.c_str());
                }
                if (!WaitFor(10000)) return;
                continue;
            }
            sandboxReported_ = false;
            FinishRun(*db, run->id, verdict);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "lantern-blade-server: a worker's database call failed: %s\n", e.what());
            db.reset();
            if (!WaitFor(1000)) return;
        }
    }
}
