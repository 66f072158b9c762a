// Submissions allowed per key (an address, a name): a bucket of `perMinute` tokens
// that refills steadily. Full buckets are forgotten when many keys pile up, so the
// table stays small whatever addresses a flood comes from.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

class RateLimit {
public:
    explicit RateLimit(int perMinute) : perMinute_(perMinute) {}
    bool Allow(const std::string& key, std::int64_t nowMs);

private:
    struct Bucket {
        double tokens;
        std::int64_t lastMs;
    };
    double Refilled(const Bucket& b, std::int64_t nowMs) const;

    int perMinute_;
    std::mutex mutex_;
    std::unordered_map<std::string, Bucket> buckets_;
};
