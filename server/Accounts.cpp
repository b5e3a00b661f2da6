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

bool plausibleEmail(const std::string& email)
{
    size_t at = email.find('@');
    return email.size() <= 254 && at != std::string::npos && at > 0 && at + 1 < email.size()
        && email.find('@', at + 1) == std::string::npos
        && std::none_of(email.begin(), email.end(), [](unsigned char c) { return c <= 32 || c == 127; });
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

Accounts::Accounts(Store& store)
    : store(store)
{
    if (sodium_init() < 0)
        throw std::runtime_error("libsodium could not be initialised");
}

std::string Accounts::hashPassword(const std::string& password) const
{
    char hash[crypto_pwhash_STRBYTES];
    unsigned long long ops = fastHashing ? crypto_pwhash_OPSLIMIT_MIN : crypto_pwhash_OPSLIMIT_INTERACTIVE;
    size_t memory = fastHashing ? crypto_pwhash_MEMLIMIT_MIN : crypto_pwhash_MEMLIMIT_INTERACTIVE;
    if (crypto_pwhash_str(hash, password.data(), password.size(), ops, memory) != 0)
        throw std::runtime_error("out of memory while hashing a password");
    return hash;
}

Session Accounts::openSession(int user)
{
    Session session { user, randomToken() };
    store.addSession(session.token, user, static_cast<int64_t>(std::time(nullptr)));
    std::lock_guard<std::mutex> guard(lock);
    sessions[session.token] = user;
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

AccountResult Accounts::login(const std::string& email, const std::string& password)
{
    std::optional<Account> account = store.accountByEmail(normalizeEmail(email));
    if (!account || crypto_pwhash_str_verify(account->hash.c_str(), password.data(), password.size()) != 0)
        return { std::nullopt, wrongLogin };
    return { openSession(account->id), "" };
}

std::optional<int> Accounts::userOf(const std::string& idCookie, const std::string& token)
{
    if (token.empty() || token.size() > 128)
        return std::nullopt;
    std::optional<int> user;
    {
        std::lock_guard<std::mutex> guard(lock);
        auto found = sessions.find(token);
        if (found != sessions.end())
            user = found->second;
    }
    if (!user) {
        user = store.sessionUser(token);
        if (!user)
            return std::nullopt;
        std::lock_guard<std::mutex> guard(lock);
        sessions[token] = *user;
    }
    // The id cookie must name the session's own user when it is sent at all.
    if (!idCookie.empty() && idCookie != std::to_string(*user))
        return std::nullopt;
    return user;
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
