#include "server/LoginLimiter.h"

#include <algorithm>
#include <cmath>

namespace server {

namespace {

// Buckets are looked through for full ones, which carry nothing, when there are this many.
constexpr size_t pruneAt = 10000;

}

LoginLimiter::LoginLimiter(Limit perAccount, Limit perAddress)
    : accountLimit(perAccount)
    , addressLimit(perAddress)
{
}

double LoginLimiter::tokens(const Buckets& buckets, const std::string& key, const Limit& limit, int64_t now)
{
    auto found = buckets.find(key);
    if (found == buckets.end())
        return limit.burst;
    double refilled = static_cast<double>(now - found->second.updated) / limit.refillSeconds;
    return std::min(limit.burst, found->second.tokens + std::max(refilled, 0.0));
}

void LoginLimiter::take(Buckets& buckets, const std::string& key, const Limit& limit, int64_t now)
{
    double left = std::max(tokens(buckets, key, limit, now) - 1.0, 0.0);
    buckets[key] = { left, now };
    if (buckets.size() >= pruneAt)
        forgetFull(buckets, limit, now);
}

void LoginLimiter::forgetFull(Buckets& buckets, const Limit& limit, int64_t now)
{
    for (auto entry = buckets.begin(); entry != buckets.end();) {
        if (tokens(buckets, entry->first, limit, now) >= limit.burst)
            entry = buckets.erase(entry);
        else
            ++entry;
    }
}

int64_t LoginLimiter::attempt(const std::string& account, const std::string& address, int64_t now)
{
    std::lock_guard<std::mutex> guard(lock);
    // An attempt needs a whole token in both buckets.
    double missing = std::max(1.0 - tokens(accounts, account, accountLimit, now), 0.0) * accountLimit.refillSeconds;
    missing = std::max(missing, std::max(1.0 - tokens(addresses, address, addressLimit, now), 0.0) * addressLimit.refillSeconds);
    if (missing > 0.0)
        return std::max<int64_t>(static_cast<int64_t>(std::ceil(missing)), 1);
    take(accounts, account, accountLimit, now);
    take(addresses, address, addressLimit, now);
    return 0;
}

} // namespace server
