#pragma once

#include "server/Postgres.h"
#include "server/Storage.h"

namespace server {

// The storage of one or more servers sharing a PostgreSQL database. The schema is made,
// or brought up to date, on construction, one instance at a time.
class PostgresStorage : public Storage {
public:
    // `uri` is a connection URI (postgresql://user@host:port/database).
    explicit PostgresStorage(const std::string& uri);

    bool shared() const override { return true; }

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

    bool holdLease(int race, const std::string& owner, int seconds) override;
    void releaseLease(int race, const std::string& owner) override;

private:
    void migrate();
    static Boat insertBoat(PostgresDb::Transaction& transaction, Boat boat);
    static std::vector<Boat> readBoats(const PgResult& rows);
    static std::vector<Race> readRaces(const PgResult& rows);
    static std::optional<Account> readAccount(const PgResult& rows);

    PostgresDb db;
};

} // namespace server
