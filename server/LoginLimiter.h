#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>

namespace server {

// Login attempts counted per account and per address, each in a bucket that refills with
// time: a few attempts in a row pass, a stream of guesses does not.
class LoginLimiter {
public:
    struct Limit {
        // Attempts allowed at once, and seconds for one more to be allowed.
        double burst;
        double refillSeconds;
    };

    LoginLimiter(Limit perAccount, Limit perAddress);

    // Counts an attempt at this account from this address and returns 0, or returns the
    // seconds to wait before the next attempt may be made, counting nothing.
    int64_t attempt(const std::string& account, const std::string& address, int64_t now);

private:
    struct Bucket {
        double tokens = 0.0;
        int64_t updated = 0;
    };
    using Buckets = std::unordered_map<std::string, Bucket>;

    static double tokens(const Buckets& buckets, const std::string& key, const Limit& limit, int64_t now);
    static void take(Buckets& buckets, const std::string& key, const Limit& limit, int64_t now);
    static void forgetFull(Buckets& buckets, const Limit& limit, int64_t now);

    Limit accountLimit;
    Limit addressLimit;
    std::mutex lock;
    Buckets accounts;
    Buckets addresses;
};

} // namespace server
