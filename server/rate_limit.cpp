// The token buckets.
#include "server/rate_limit.h"

#include <algorithm>

namespace {
constexpr std::size_t PRUNE_AT = 50000;
}

double RateLimit::Refilled(const Bucket& b, std::int64_t nowMs) const {
    const double elapsed = static_cast<double>(std::max<std::int64_t>(0, nowMs - b.lastMs));
    return std::min<double>(perMinute_, b.tokens + elapsed * perMinute_ / 60000.0);
}

bool RateLimit::Allow(const std::string& key, std::int64_t nowMs) {
    if (perMinute_ <= 0) return true;
    std::lock_guard lock(mutex_);
    if (buckets_.size() >= PRUNE_AT) {
        std::erase_if(buckets_, [&](const auto& entry) { return Refilled(entry.second, nowMs) >= perMinute_; });
        // Still full of live keys: start afresh rather than grow without bound.
        if (buckets_.size() >= PRUNE_AT) buckets_.clear();
    }
    auto [it, fresh] = buckets_.try_emplace(key, Bucket{static_cast<double>(perMinute_), nowMs});
    Bucket& b = it->second;
    b.tokens = Refilled(b, nowMs);
    b.lastMs = nowMs;
    if (b.tokens < 1.0) return false;
    b.tokens -= 1.0;
    return true;
}
