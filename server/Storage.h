#pragma once

#include "server/Boat.h"
#include "server/Route.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace server {

// Failures of the database: the message carries the database's own text.
class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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

// Players' boats whose course changed, or which joined, after a revision of their race.
struct BoatChanges {
    std::vector<Boat> boats;
    // The race's revision they bring the reader to.
    int64_t revision = 0;
};

// Everything the server must not forget: accounts, sessions, races, boats with their
// courses and positions. Every call is one transaction or one statement and is safe from
// any thread; a failure raises DatabaseError.
class Storage {
public:
    virtual ~Storage() = default;

    // True when other server instances may use the same database at the same time.
    virtual bool shared() const = 0;

    // The new account's id, or nothing when the e-mail address is taken.
    virtual std::optional<int> addAccount(const std::string& email, const std::string& hash, const std::string& nick) = 0;
    virtual std::optional<Account> accountByEmail(const std::string& email) = 0;
    virtual std::optional<Account> accountById(int id) = 0;

    // Sessions are kept under a digest of their token, so that the database alone lets
    // nobody in.
    virtual void addSession(const std::string& token, int user, int64_t created) = 0;
    // The session of a token, or nothing for an unknown one.
    virtual std::optional<StoredSession> session(const std::string& token) = 0;
    virtual void touchSession(const std::string& token, int64_t used) = 0;
    virtual void dropSessionsUnusedSince(int64_t time) = 0;

    // Races are stored once; a stored race keeps its start time across restarts.
    virtual std::optional<Race> race(int id) = 0;
    virtual void saveRace(const Race& race) = 0;
    virtual std::vector<Race> races() = 0;

    // Simulated time a race has been stepped to, 0 when never.
    virtual int64_t raceClock(int race) = 0;
    virtual void setRaceClock(int race, int64_t time) = 0;

    virtual std::vector<Boat> boats(int race) = 0;
    // The player's boat in the race, or nothing when they have not joined it.
    virtual std::optional<Boat> playerBoat(int race, int user) = 0;
    // Inserts the boat and returns it with its id; a player who has a boat in the race
    // already gets that one.
    virtual Boat addBoat(Boat boat) = 0;
    // Inserts many boats in one transaction and returns them with their ids.
    virtual std::vector<Boat> addBoats(std::vector<Boat> boats) = 0;
    // Writes the moving state of `count` boats from `boats` in one transaction; players'
    // headings and sails are left as saveCourses wrote them.
    virtual void saveBoats(const Boat* boats, size_t count) = 0;
    // Writes players' headings and sails in one transaction.
    virtual void saveCourses(const std::vector<Boat>& boats) = 0;
    // Players' boats added or given a course after `revision`.
    virtual BoatChanges boatChanges(int race, int64_t revision) = 0;

    // Takes the race's lease for `owner` when it is free or expired, or renews it when
    // `owner` holds it, for `seconds`; true when `owner` holds it afterwards. The holder
    // alone simulates the race.
    virtual bool holdLease(int race, const std::string& owner, int seconds) = 0;
    // Gives the lease up, when `owner` holds it, for another instance to take at once.
    virtual void releaseLease(int race, const std::string& owner) = 0;
};

// The hex digest under which a session token is stored.
std::string tokenDigest(const std::string& token);
// A race's waypoints as the text both databases keep them in, one a line, and back.
std::string encodeRoute(const std::vector<Waypoint>& route);
std::vector<Waypoint> decodeRoute(const std::string& text);

} // namespace server
