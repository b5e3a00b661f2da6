#pragma once

#include "server/LoginLimiter.h"
#include "server/Semaphore.h"
#include "server/Storage.h"

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>

namespace server {

// What a successful login or registration hands back: the user and the two cookie
// values the client keeps (id is the user number, JSESSIONID the session token).
struct Session {
    int user = 0;
    std::string token;
};

// The outcome of a login or registration: a session, or the text the player reads.
struct AccountResult {
    std::optional<Session> session;
    std::string refusal;
};

// Accounts with salted, memory-hard password hashes, and login sessions that survive
// restarts and end after 30 days unused. Sessions are cached in memory after their first
// lookup. Failed logins are limited per account and per address, an unknown e-mail costs
// the same hashing as a known one, and at most two password hashes are computed at once.
class Accounts {
public:
    explicit Accounts(Storage& store);

    AccountResult registerAccount(const std::string& email, const std::string& password, const std::string& nick);
    // `address` is where the attempt comes from.
    AccountResult login(const std::string& email, const std::string& password, const std::string& address);
    // The user of the session named by the cookies, or nothing when they name none.
    std::optional<int> userOf(const std::string& idCookie, const std::string& token);
    std::string nick(int user);

    // Test hooks: interactive hashing costs about a tenth of a second per password; the
    // clock gives seconds since 1970.
    void useFastHashing();
    void useClock(std::function<int64_t()> seconds) { clock = std::move(seconds); }
    const Semaphore& hashing() const { return hashPlaces; }

private:
    Session openSession(int user);
    std::optional<StoredSession> findSession(const std::string& token, int64_t now);
    std::string hashPassword(const std::string& password);
    bool verifyPassword(const std::string& hash, const std::string& password);

    Storage& store;
    bool fastHashing = false;
    std::function<int64_t()> clock;
    Semaphore hashPlaces { 2 };
    LoginLimiter limiter;
    // Checked against for unknown e-mails, so that they take as long as known ones.
    std::string unknownAccountHash;
    std::mutex lock;
    std::unordered_map<std::string, StoredSession> sessions;
    std::unordered_map<int, std::string> nicks;
    int64_t lastPurge = 0;
};

std::string normalizeEmail(const std::string& email);

} // namespace server
