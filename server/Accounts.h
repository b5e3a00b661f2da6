#pragma once

#include "server/Store.h"

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
// restarts. Sessions are cached in memory after their first lookup.
class Accounts {
public:
    explicit Accounts(Store& store);

    AccountResult registerAccount(const std::string& email, const std::string& password, const std::string& nick);
    AccountResult login(const std::string& email, const std::string& password);
    // The user of the session named by the cookies, or nothing when they name none.
    std::optional<int> userOf(const std::string& idCookie, const std::string& token);
    std::string nick(int user);

    // Test hook: interactive hashing costs about a tenth of a second per password.
    void useFastHashing() { fastHashing = true; }

private:
    Session openSession(int user);
    std::string hashPassword(const std::string& password) const;

    Store& store;
    bool fastHashing = false;
    std::mutex lock;
    std::unordered_map<std::string, int> sessions;
    std::unordered_map<int, std::string> nicks;
};

std::string normalizeEmail(const std::string& email);

} // namespace server
