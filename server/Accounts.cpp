#include "server/Accounts.h"

#include <sodium.h>

#include <algorithm>
#include <cctype>
#include <ctime>
#include <stdexcept>

namespace server {

namespace {

const char* const wrongLogin = "Wrong e-mail or password.";
const char* const emailTaken = "This e-mail address is already registered.";
constexpr int64_t day = 86400;
// A session unused this long is over.
constexpr int64_t sessionLife = 30 * day;
// Five attempts at once per account, then one a minute; twenty per address, then one every
// ten seconds.
constexpr LoginLimiter::Limit accountAttempts { 5, 60 };
constexpr LoginLimiter::Limit addressAttempts { 20, 10 };

bool plausibleEmail(const std::string& email)
{
    size_t at = email.find('@');
    return email.size() <= 254 && at != std::string::npos && at > 0 && at + 1 < email.size()
        && email.find('@', at + 1) == std::string::npos
        && std::none_of(email.begin(), email.end(), [](unsigned char c) { return c <= 32 || c == 127; });
}

std::string tooManyAttempts(int64_t wait)
{
    int64_t minutes = (wait + 59) / 60;
    return "Too many login attempts. Please try again in " + (minutes <= 1 ? std::string("a minute") : std::to_string(minutes) + " minutes")
        + ".";
}

std::string randomToken()
{
    unsigned char bytes[24];
    randombytes_buf(bytes, sizeof bytes);
    char hex[sizeof bytes * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, bytes, sizeof bytes);
    return hex;
}

}

std::string normalizeEmail(const std::string& email)
{
    std::string lower = email;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

Accounts::Accounts(Storage& store)
    : store(store)
    , clock([] { return static_cast<int64_t>(std::time(nullptr)); })
    , limiter(accountAttempts, addressAttempts)
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
    unknownAccountHash = hashPassword(randomToken());
}

void Accounts::useFastHashing()
{
    fastHashing = true;
    unknownAccountHash = hashPassword(randomToken());
}

std::string Accounts::hashPassword(const std::string& password)
{
    char hash[crypto_pwhash_STRBYTES];
    unsigned long long ops = fastHashing ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    size_t memory = fastHashing ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    Semaphore::Place place(hashPlaces);
    if (crypto_pwhash_str(hash, password.data(), password.size(), ops, memory) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return hash;
}

bool Accounts::verifyPassword(const std::string& hash, const std::string& password)
{
    Semaphore::Place place(hashPlaces);
    return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

Session Accounts::openSession(int user)
{
    Session session { user, randomToken() };
    int64_t now = clock();
    store.addSession(session.token, user, now);
    bool purge = false;
    {
        std::lock_guard<std::mutex> guard(lock);
        sessions[session.token] = { user, now };
        purge = now - lastPurge >= day;
        if (purge)
            lastPurge = now;
    }
    if (purge)
        store.dropSessionsUnusedSince(now - sessionLife);
    return session;
}

AccountResult Accounts::registerAccount(const std::string& email, const std::string& password, const std::string& nick)
{
    std::string address = normalizeEmail(email);
    if (!plausibleEmail(address))
        return { std::nullopt, "Please enter a valid e-mail address." };
    if (password.size() < 4 || password.size() > 128)
        return { std::nullopt, "Please choose a password of 4 to 128 characters." };
    if (nick.empty() || nick.size() > 32)
        return { std::nullopt, "Please choose a nick name of 1 to 32 characters." };
    std::optional<int> user = store.addAccount(address, hashPassword(password), nick);
    if (!user)
        return { std::nullopt, emailTaken };
    return { openSession(*user), "" };
}

AccountResult Accounts::login(const std::string& email, const std::string& password, const std::string& address)
{
    std::string key = normalizeEmail(email);
    int64_t wait = limiter.attempt(key, address, clock());
    if (wait > 0)
        return { std::nullopt, tooManyAttempts(wait) };
    std::optional<Account> account = store.accountByEmail(key);
    bool verified = verifyPassword(account ? account->hash : unknownAccountHash, password);
    if (!account || !verified)
        return { std::nullopt, wrongLogin };
    return { openSession(account->id), "" };
}

std::optional<int> Accounts::userOf(const std::string& idCookie, const std::string& token)
{
    if (token.empty() || token.size() > 128)
        return std::nullopt;
    std::optional<StoredSession> session = findSession(token, clock());
    // The id cookie must name the session's own user when it is sent at all.
    if (!session || (!idCookie.empty() && idCookie != std::to_string(session->user)))
        return std::nullopt;
    return session->user;
}

std::optional<StoredSession> Accounts::findSession(const std::string& token, int64_t now)
{
    std::optional<StoredSession> session;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = sessions.find(token);
        if (found != sessions.end())
            session = found->second;
    }
    if (!session)
        session = store.session(token);
    if (!session || now - session->used > sessionLife) {
        std::lock_guard<std::mutex> guard(lock);
        sessions.erase(token);
        return std::nullopt;
    }
    // The time of last use is written to the day, not on every request.
    if (now - session->used >= day) {
        session->used = now;
        store.touchSession(token, now);
    }
    std::lock_guard<std::mutex> guard(lock);
    sessions[token] = *session;
    return session;
}

std::string Accounts::nick(int user)
{
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = nicks.find(user);
        if (found != nicks.end())
            return found->second;
    }
    std::optional<Account> account = store.accountById(user);
    std::string name = account ? account->nick : std::string();
    std::lock_guard<std::mutex> guard(lock);
    nicks[user] = name;
    return name;
}

} // namespace server
