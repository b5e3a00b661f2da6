#pragma once

#include "server/Boat.h"
#include "server/Route.h"
#include "server/Sqlite.h"

#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace server {

struct Account {
    int id = 0;
    std::string email;
    std::string hash;
    std::string nick;
};

struct StoredSession {
    int user = 0;
    // When the session was last used, to the day.
    int64_t used = 0;
};

// Everything the server must not forget, in one SQLite database (write-ahead log) in the
// data folder. Every call is one transaction or one statement and is safe from any thread.
class Store {
public:
    explicit Store(const std::string& path);

    // The new account's id, or nothing when the e-mail address is taken.
    std::optional<int> addAccount(const std::string& email, const std::string& hash, const std::string& nick);
    std::optional<Account> accountByEmail(const std::string& email);
    std::optional<Account> accountById(int id);

    // Sessions are kept under a digest of their token, so that the database alone lets
    // nobody in.
    void addSession(const std::string& token, int user, int64_t created);
    // The session of a token, or nothing for an unknown one.
    std::optional<StoredSession> session(const std::string& token);
    void touchSession(const std::string& token, int64_t used);
    void dropSessionsUnusedSince(int64_t time);

    // Races are stored once; a stored race keeps its start time across restarts.
    std::optional<Race> race(int id);
    void saveRace(const Race& race);
    std::vector<Race> races();

    // Simulated time a race has been stepped to, 0 when never.
    int64_t raceClock(int race);
    void setRaceClock(int race, int64_t time);

    std::vector<Boat> boats(int race);
    // Inserts the boat and returns it with its id.
    Boat addBoat(Boat boat);
    // Inserts many boats in one transaction and returns them with their ids.
    std::vector<Boat> addBoats(std::vector<Boat> boats);
    // Writes the moving state of `count` boats from `boats` in one transaction.
    void saveBoats(const Boat* boats, size_t count);
    // Writes players' headings and sails in one transaction.
    void saveCourses(const std::vector<Boat>& boats);

private:
    void createSchema();
    bool hasColumn(const std::string& table, const std::string& column);
    void digestSessionTokens();
    static std::string encodeRoute(const std::vector<Waypoint>& route);
    static std::vector<Waypoint> decodeRoute(const std::string& text);
    static Boat readBoat(const Statement& row);
    Boat insertBoat(Statement& insert, Boat boat);

    std::mutex lock;
    SqliteDb db;
};

// The hex digest under which a session token is stored.
std::string tokenDigest(const std::string& token);

} // namespace server
