#pragma once

#include "server/Sqlite.h"
#include "server/Storage.h"

#include <mutex>

namespace server {

// The storage of a single server: one SQLite database (write-ahead log, full sync) in
// the data folder, which no other instance opens.
class SqliteStorage : public Storage {
public:
    explicit SqliteStorage(const std::string& path);

    bool shared() const override { return false; }

    std::optional<int> addAccount(const std::string& email, const std::string& hash, const std::string& nick) override;
    std::optional<Account> accountByEmail(const std::string& email) override;
    std::optional<Account> accountById(int id) override;

    void addSession(const std::string& token, int user, int64_t created) override;
    std::optional<StoredSession> session(const std::string& token) override;
    void touchSession(const std::string& token, int64_t used) override;
    void dropSessionsUnusedSince(int64_t time) override;

    std::optional<Race> race(int id) override;
    void saveRace(const Race& race) override;
    std::vector<Race> races() override;

    int64_t raceClock(int race) override;
    void setRaceClock(int race, int64_t time) override;

    std::vector<Boat> boats(int race) override;
    std::optional<Boat> playerBoat(int race, int user) override;
    Boat addBoat(Boat boat) override;
    std::vector<Boat> addBoats(std::vector<Boat> boats) override;
    void saveBoats(const Boat* boats, size_t count) override;
    void saveCourses(const std::vector<Boat>& boats) override;
    BoatChanges boatChanges(int race, int64_t revision) override;

    // The one server on the database always holds every lease.
    bool holdLease(int, const std::string&, int) override { return true; }
    void releaseLease(int, const std::string&) override { }

private:
    void createSchema();
    bool hasColumn(const std::string& table, const std::string& column);
    void digestSessionTokens();
    static Boat readBoat(const Statement& row);
    Boat insertBoat(Statement& insert, Boat boat);
    int64_t nextRevision(int race);

    std::mutex lock;
    SqliteDb db;
};

} // namespace server
